#include "materia/seen_check_list.h"

#include <memory>

namespace tellwick {

bool seen_check_list_admit(SeenCheckList& list, std::u16string_view code) {
  if (!list.units) {
    list.units = std::make_unique<char16_t[]>(kSeenCheckListCapacity);
    list.length = 0;
  }
  const std::u16string_view text(list.units.get(), list.length);
  if (text.find(code) != std::u16string_view::npos) return true;
  // A code is at most twenty digits, so the bound leaves ample room; the
  // capacity test only guards against a caller passing something longer.
  if (list.length < kSeenCheckListAppendBound && code.size() + 1 < kSeenCheckListCapacity - list.length) {
    code.copy(list.units.get() + list.length, code.size());
    list.length += code.size();
    list.units[list.length++] = u' ';
    list.units[list.length] = u'\0';
  }
  return false;
}

void reset_seen_check_list(SeenCheckList& list) {
  list.units.reset();
  list.length = 0;
}

bool seen_check_list_exists(const SeenCheckList& list) { return list.units != nullptr; }

std::u16string_view seen_check_list_text(const SeenCheckList& list) {
  return list.units ? std::u16string_view(list.units.get(), list.length) : std::u16string_view();
}

}  // namespace tellwick
