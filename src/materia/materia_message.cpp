#include "materia/materia_message.h"

#include "materia/leading_number.h"

namespace tellwick {
namespace {

bool is_capital(char16_t unit) { return unit >= u'A' && unit <= u'Z'; }
bool is_lower(char16_t unit) { return unit >= u'a' && unit <= u'z'; }
bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Copies line[begin, end) into a name buffer; an empty name when end < begin.
std::size_t copy_name(std::u16string_view line, std::size_t begin, std::size_t end, char16_t* out) {
  std::size_t length = end > begin ? end - begin : 0;
  if (length > kMateriaNameMax) {
    length = kMateriaNameMax;
    if (is_high_surrogate(line[begin + length - 1]) && is_low_surrogate(line[begin + length])) --length;
  }
  line.copy(out, length, begin);
  out[length] = u'\0';
  return length;
}

}  // namespace

std::size_t actor_name_length(const char16_t* text) {
  std::size_t i = 0;
  if (!is_capital(text[i++])) return 0;
  while (is_lower(text[i])) ++i;
  if (text[i++] != u' ') return 0;
  if (!is_capital(text[i++])) return 0;
  while (is_lower(text[i])) ++i;
  return i;
}

bool detect_materia_message(const char16_t* line, MateriaMessage& message) {
  const std::int32_t number = leading_number(line);
  if (number != kMateriaNumberLow && number != kMateriaNumberHigh) return false;

  const std::u16string_view text(line);
  const std::size_t produced = text.find(kProducedMarker);
  const std::size_t source = text.find(kSourceMarker);
  if (produced == std::u16string_view::npos || source == std::u16string_view::npos) return false;

  // A line this short cannot hold both markers after its number; the guard
  // only keeps the scan inside the line whatever it holds.
  message.actor_length = text.size() > kActorNameStart ? actor_name_length(line + kActorNameStart) : 0;
  const std::size_t item_start = kActorNameStart + message.actor_length + 1;
  message.item_length = copy_name(text, item_start, source, message.item);
  message.materia_length = copy_name(text, source + kSourceMarker.size(), produced, message.materia);
  return true;
}

}  // namespace tellwick
