// The check codes already written since the last reset, one UTF-16 string of
// codes each followed by a space ("841593772011 ..."). It exists only from
// its first use to the next reset, and keeps one recipe file free of
// repeated item and materia pairs; each export owns one.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace tellwick {

constexpr std::size_t kSeenCheckListCapacity = 131072;  // units, taken at once when the list is created
// Codes are appended only while the list is shorter than this, which keeps
// every search short; later codes are not remembered.
constexpr std::size_t kSeenCheckListAppendBound = 102400;

struct SeenCheckList {
  std::unique_ptr<char16_t[]> units;  // absent until first needed
  std::size_t length = 0;
};

// Creates the list when absent. True when the code occurs anywhere in it (a
// plain substring search: a code inside a longer one counts as seen);
// otherwise appends the code and one space, if the list is still below its
// bound, and returns false.
bool seen_check_list_admit(SeenCheckList& list, std::u16string_view code);

// Releases the list; the next admit starts a new, empty one.
void reset_seen_check_list(SeenCheckList& list);

bool seen_check_list_exists(const SeenCheckList& list);
// The list's text; empty when it does not exist.
std::u16string_view seen_check_list_text(const SeenCheckList& list);

}  // namespace tellwick
