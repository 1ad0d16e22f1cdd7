// The game's materia-extraction message: a line whose leading number is 46
// or 47 and that holds "から" and "が生成された！". The item name runs from
// just after the actor name (two capitalised ASCII words at position 6) and
// one more unit up to the first "から"; the materia name from there up to the
// first "が生成された！".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tellwick {

constexpr std::int32_t kMateriaNumberLow = 46;
constexpr std::int32_t kMateriaNumberHigh = 47;
constexpr std::u16string_view kProducedMarker = u"が生成された！";
constexpr std::u16string_view kSourceMarker = u"から";
constexpr std::size_t kActorNameStart = 6;
constexpr std::size_t kMateriaNameCapacity = 256;  // units, terminator included
// A longer item or materia name is cut to this many units, before a surrogate
// pair the cut would split.
constexpr std::size_t kMateriaNameMax = kMateriaNameCapacity - 1;

struct MateriaMessage {
  std::size_t actor_length = 0;  // 0 when the name scan failed
  std::size_t item_length = 0;
  std::size_t materia_length = 0;
  char16_t item[kMateriaNameCapacity];     // zero-terminated
  char16_t materia[kMateriaNameCapacity];  // zero-terminated
  std::u16string_view item_name() const { return {item, item_length}; }
  std::u16string_view materia_name() const { return {materia, materia_length}; }
};

// The length of the actor name at the start of `text` (zero-terminated):
// "A".."Z", lower-case letters, one space, "A".."Z", lower-case letters. 0
// when the text does not start that way.
std::size_t actor_name_length(const char16_t* text);

// `line` is zero-terminated. Lines with another leading number are rejected
// after their first few units, without touching the rest of the line.
// When the first "から" lies before the item name's start, the item name is
// empty; when the first "が生成された！" does not follow the first "から",
// the materia name is empty. Such lines still count as detected.
bool detect_materia_message(const char16_t* line, MateriaMessage& message);

}  // namespace tellwick
