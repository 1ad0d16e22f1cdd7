#include "platform/encoding.h"
#include "platform/posix/ansi_decode_posix.h"

namespace tellwick {
namespace {

// The default character's own bytes read as it without replacing anything.
bool is_replacement(const std::uint8_t* in, std::size_t taken, char16_t unit) {
  return unit == kAnsiDefaultChar && !(taken == 2 && in[0] == kAnsiDefaultBytes[0] && in[1] == kAnsiDefaultBytes[1]);
}

}  // namespace

std::size_t cp932_to_utf16(const char* in, std::size_t in_len, char16_t* out, std::size_t out_cap,
                           std::size_t& replaced) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(in);
  replaced = 0;
  std::size_t i = 0;
  std::size_t n = 0;
  while (i < in_len) {
    char16_t unit = bytes[i];
    std::size_t taken = 1;
    if (bytes[i] >= 0x80) {
      taken = decode_ansi_char(bytes + i, in_len - i, unit);
      if (is_replacement(bytes + i, taken, unit)) ++replaced;
    }
    // Past a cut the rest is still counted.
    if (n < out_cap) out[n++] = unit;
    i += taken;
  }
  return n;
}

}  // namespace tellwick
