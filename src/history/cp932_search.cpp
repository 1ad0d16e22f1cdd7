#include "history/cp932_search.h"

#include <cstring>
#include <memory>
#include <unordered_map>

#include "history/cp932_table.h"

namespace tellwick {
namespace {

struct Source {
  std::string bytes;
  int count = 0;
};

// Every character of the table with the bytes it comes from.
std::unique_ptr<std::unordered_map<char16_t, Source>> make_sources() {
  auto sources = std::make_unique<std::unordered_map<char16_t, Source>>();
  const Cp932Table& table = cp932_table();
  for (int b = 0x80; b <= 0xFF; ++b) {
    if (const char16_t unit = table.single[b - 0x80]; unit != 0) {
      Source& source = (*sources)[unit];
      source.bytes = std::string(1, static_cast<char>(b));
      // A byte that no lead takes as its trail may follow a lead without a
      // mapping and be decoded in another way there: never certain.
      source.count += b >= 0xFD ? 2 : 1;
    }
    if (!is_cp932_lead(static_cast<std::uint8_t>(b))) continue;
    for (int trail = 0; trail <= 0xFF; ++trail) {
      const char16_t unit = table.pair[b - 0x80][trail];
      if (unit == 0) continue;
      Source& source = (*sources)[unit];
      source.bytes = {static_cast<char>(b), static_cast<char>(trail)};
      ++source.count;
    }
  }
  return sources;
}

const std::unordered_map<char16_t, Source>& sources() {
  static const auto table = make_sources();
  return *table;
}

// The code point of the UTF-8 character at text[i] and its length; 0 for a
// length where the bytes are no well-formed character.
std::uint32_t next_code_point(std::string_view text, std::size_t i, std::size_t& length) {
  const auto at = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
  const std::uint8_t lead = at(i);
  length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || i + length > text.size()) {
    length = 0;
    return 0;
  }
  static constexpr std::uint8_t kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  std::uint32_t code = lead & kLeadBits[length];
  for (std::size_t k = 1; k < length; ++k) {
    if ((at(i + k) & 0xC0) != 0x80) {
      length = 0;
      return 0;
    }
    code = code << 6 | (at(i + k) & 0x3Fu);
  }
  return code;
}

}  // namespace

bool cp932_needle(std::string_view needle, std::string& bytes) {
  bytes.clear();
  for (std::size_t i = 0; i < needle.size();) {
    std::size_t length;
    const std::uint32_t code = next_code_point(needle, i, length);
    if (length == 0) return false;
    i += length;
    if (code < 0x80) {
      bytes += static_cast<char>(code);
      continue;
    }
    if (code > 0xFFFF || code == 0x30FB) return false;
    const auto found = sources().find(static_cast<char16_t>(code));
    if (found == sources().end() || found->second.count != 1) return false;
    bytes += found->second.bytes;
  }
  return true;
}

bool cp932_bytes_are_plain(const std::uint8_t* data, std::size_t size) {
  const Cp932Table& table = cp932_table();
  std::size_t i = 0;
  while (i < size) {
    for (; i + 8 <= size; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, data + i, 8);
      if ((word & 0x8080808080808080ULL) != 0) break;
    }
    while (i < size && data[i] < 0x80) ++i;
    while (i < size && data[i] >= 0x80) {
      const std::uint8_t b = data[i];
      if (!is_cp932_lead(b)) {
        if (table.single[b - 0x80] == 0) return false;
        ++i;
      } else {
        if (i + 1 >= size || table.pair[b - 0x80][data[i + 1]] == 0) return false;
        i += 2;
      }
    }
  }
  return true;
}

}  // namespace tellwick
