// The ANSI code page of the POSIX build is 932, the code page of the Japanese
// Windows systems the program is made for, so exports and check codes come out
// the same on both systems. glibc's CP932 converter supplies the mapping once;
// after that every character is a table look-up, since the export converts
// every line it writes.
#include "platform/encoding.h"
#include "platform/posix/iconv_one.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>

namespace tellwick {
namespace {

constexpr char kDefaultChar = '?';

// For each BMP code unit: its CP932 bytes (one or two), or none.
struct Cp932Table {
  std::array<std::uint16_t, 0x10000> bytes{};
  std::array<std::uint8_t, 0x10000> length{};
};

std::unique_ptr<Cp932Table> build_cp932_table() {
  auto table = std::make_unique<Cp932Table>();
  iconv_t cd = iconv_open("CP932", "UTF-16LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return table;  // every character becomes '?'
  for (std::uint32_t unit = 0; unit < 0x10000; ++unit) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;  // a surrogate alone has no mapping
    char in[2] = {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    char out[8];
    const std::size_t produced = iconv_one(cd, in, sizeof in, out, sizeof out);
    if (produced == 1) {
      table->bytes[unit] = static_cast<std::uint8_t>(out[0]);
      table->length[unit] = 1;
    } else if (produced == 2) {
      table->bytes[unit] = static_cast<std::uint16_t>(static_cast<std::uint8_t>(out[0]) << 8 |
                                                      static_cast<std::uint8_t>(out[1]));
      table->length[unit] = 2;
    }
  }
  iconv_close(cd);
  return table;
}

const Cp932Table& cp932_table() {
  static const std::unique_ptr<Cp932Table> table = build_cp932_table();
  return *table;
}

}  // namespace

std::size_t utf16_to_ansi(const char16_t* in, std::size_t in_len, char* out, std::size_t out_cap) {
  const Cp932Table& table = cp932_table();
  std::size_t n = 0;
  for (std::size_t i = 0; i < in_len; ++i) {
    const char16_t unit = in[i];
    if (unit < 0x80) {  // ASCII maps to itself in CP932
      if (n == out_cap) break;
      out[n++] = static_cast<char>(unit);
      continue;
    }
    const std::uint8_t len = table.length[unit];
    if (len == 2) {
      if (n + 2 > out_cap) break;
      out[n++] = static_cast<char>(table.bytes[unit] >> 8);
      out[n++] = static_cast<char>(table.bytes[unit] & 0xFF);
    } else {
      if (n == out_cap) break;
      out[n++] = len == 1 ? static_cast<char>(table.bytes[unit]) : kDefaultChar;
    }
  }
  return n;
}

}  // namespace tellwick
