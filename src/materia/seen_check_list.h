// The check codes already written since the last reset, one program-wide
// UTF-16 string of codes each followed by a space ("841593772011 ..."). It
// exists only from its first use to the next reset, and keeps one recipe file
// free of repeated item and materia pairs.
#pragma once

#include <cstddef>
#include <string_view>

namespace tellwick {

constexpr std::size_t kSeenCheckListCapacity = 131072;  // units, taken at once when the list is created
// Codes are appended only while the list is shorter than this, which keeps
// every search short; later codes are not remembered.
constexpr std::size_t kSeenCheckListAppendBound = 102400;

// Creates the list when absent. True when the code occurs anywhere in it (a
// plain substring search: a code inside a longer one counts as seen);
// otherwise appends the code and one space, if the list is still below its
// bound, and returns false.
bool seen_check_list_admit(std::u16string_view code);

// Releases the list; the next admit starts a new, empty one.
void reset_seen_check_list();

bool seen_check_list_exists();
// The list's text; empty when it does not exist.
std::u16string_view seen_check_list_text();

}  // namespace tellwick
