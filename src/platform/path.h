// The one place that knows which separator the system's paths use.
#pragma once

namespace tellwick {

#ifdef _WIN32
constexpr char16_t kPathSeparator = u'\\';
#else
constexpr char16_t kPathSeparator = u'/';
#endif

// Whether a character ends a folder name in a path. The POSIX build also
// accepts "\", since settings files written on Windows use it.
constexpr bool is_path_separator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace tellwick
