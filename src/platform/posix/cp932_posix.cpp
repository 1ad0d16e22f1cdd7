#include "platform/encoding.h"
#include "platform/posix/ansi_decode_posix.h"

namespace tellwick {

std::size_t cp932_to_utf16(const char* in, std::size_t in_len, char16_t* out, std::size_t out_cap) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(in);
  std::size_t i = 0;
  std::size_t n = 0;
  while (i < in_len && n < out_cap) {
    if (bytes[i] < 0x80) {
      out[n++] = bytes[i++];
      continue;
    }
    i += decode_ansi_char(bytes + i, in_len - i, out[n++]);
  }
  return n;
}

}  // namespace tellwick
