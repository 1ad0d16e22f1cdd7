// Files as byte strings, for tests that compare a file with its expected bytes.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "support/temp_dir.h"

namespace tellwick::test {

inline std::string file_bytes(const std::filesystem::path& path) {
  const std::vector<unsigned char> bytes = read_bytes(path);
  return std::string(bytes.begin(), bytes.end());
}

inline void put_file(const std::filesystem::path& path, std::string_view bytes) {
  write_bytes(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

// Text as UTF-16LE bytes, as a file that starts with a byte order mark holds it.
inline std::string utf16le(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

}  // namespace tellwick::test
