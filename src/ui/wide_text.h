// The program's UTF-16 text as Windows' wide strings: both are 16-bit here,
// so a view is a cast, never a conversion.
#pragma once

#include <string>

namespace tellwick {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the window layer is Windows-only");

inline const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline const wchar_t* wide(const std::u16string& text) { return wide(text.c_str()); }
inline const char16_t* utf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

}  // namespace tellwick
