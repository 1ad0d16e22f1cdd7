#include "platform/posix/path_posix.h"

#include <string_view>

#include "platform/encoding.h"

namespace tellwick {

std::string native_path(const char16_t* path) {
  const std::u16string_view wide(path);
  std::string out(wide.size() * 3, '\0');
  out.resize(utf16_to_utf8(wide.data(), wide.size(), out.data(), out.size()));
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

}  // namespace tellwick
