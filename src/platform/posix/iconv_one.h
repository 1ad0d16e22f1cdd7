// One character through an iconv converter, for building conversion tables.
#pragma once

#include <iconv.h>

#include <cstddef>

namespace tellwick {

// Converts `in_len` bytes from the converter's initial state into `out`.
// Returns the number of bytes produced, or 0 when the converter refuses them.
inline std::size_t iconv_one(iconv_t cd, const char* in, std::size_t in_len, char* out, std::size_t out_cap) {
  char* in_ptr = const_cast<char*>(in);
  char* out_ptr = out;
  std::size_t in_left = in_len;
  std::size_t out_left = out_cap;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<std::size_t>(-1)) return 0;
  return out_cap - out_left;
}

}  // namespace tellwick
