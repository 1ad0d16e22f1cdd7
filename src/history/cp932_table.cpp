#include "history/cp932_table.h"

#include <memory>

#include "platform/encoding.h"

namespace tellwick {
namespace {

// The one character the platform gives for `bytes`, or 0.
char16_t sole_character(const char* bytes, std::size_t size) {
  char16_t units[2];
  std::size_t replaced = 0;
  const std::size_t count = cp932_to_utf16(bytes, size, units, 2, replaced);
  return count == 1 && replaced == 0 ? units[0] : 0;
}

std::unique_ptr<Cp932Table> make_table() {
  auto table = std::make_unique<Cp932Table>();
  for (int b = 0x80; b <= 0xFF; ++b) {
    const char lead = static_cast<char>(b);
    if (!is_cp932_lead(static_cast<std::uint8_t>(b))) {
      table->single[b - 0x80] = sole_character(&lead, 1);
      continue;
    }
    table->single[b - 0x80] = 0;
    for (int trail = 0; trail <= 0xFF; ++trail) {
      const char bytes[2] = {lead, static_cast<char>(trail)};
      table->pair[b - 0x80][trail] = sole_character(bytes, 2);
    }
  }
  for (int i = 0; i < 128; ++i) {
    table->single_utf8[i] = table->single[i] == 0 ? 0 : packed_utf8(table->single[i]);
    for (int trail = 0; trail < 256; ++trail) {
      table->pair_utf8[i][trail] = table->pair[i][trail] == 0 ? 0 : packed_utf8(table->pair[i][trail]);
    }
  }
  return table;
}

}  // namespace

const Cp932Table& cp932_table() {
  static const std::unique_ptr<Cp932Table> table = make_table();
  return *table;
}

}  // namespace tellwick
