// The leading decimal number of a line, read the way the Windows C library's
// wcstol reads it in base 10: white space skipped, an optional sign, then
// digits; 0 without a digit; clamped to the 32-bit limits of a Windows long.
// The program is a Windows program, so its C library is the reference: its
// white space is every unit iswspace accepts (Unicode spaces such as U+3000
// included), and its digits include the decimal digits of other scripts
// (full-width "４６" reads as 46). The POSIX build reads lines the same way.
#pragma once

#include <cstdint>

namespace tellwick {

constexpr std::int32_t kLeadingNumberMax = 2147483647;
constexpr std::int32_t kLeadingNumberMin = -2147483647 - 1;

// `line` is zero-terminated. Reading stops at the first unit that cannot
// continue the number, and as soon as the value is clamped, so a line is
// never read further than its white space, sign and eleven digits.
std::int32_t leading_number(const char16_t* line);

// Whether the C library counts a unit as white space, and the value of a
// decimal digit (-1 for a unit that is none).
bool is_c_library_space(char16_t unit);
int c_library_digit_value(char16_t unit);

}  // namespace tellwick
