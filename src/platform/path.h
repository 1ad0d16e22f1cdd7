// The one place that knows how the system spells paths: the separator, and a
// folder that cannot exist.
#pragma once

namespace tellwick {

#ifdef _WIN32
constexpr char16_t kPathSeparator = u'\\';
#else
constexpr char16_t kPathSeparator = u'/';
#endif

// A folder that no path can lead through: paths that would start from a
// folder the system could not name start here instead, so that they fail
// rather than reach into the current folder or another unintended place.
#ifdef _WIN32
constexpr char16_t kUnreachableFolder[] = u"|";  // "|" is never allowed in a Windows file name
#else
constexpr char16_t kUnreachableFolder[] = u"/dev/null";  // a device, so never a folder
#endif

// Whether a character ends a folder name in a path. The POSIX build also
// accepts "\", since settings files written on Windows use it.
constexpr bool is_path_separator(char16_t c) { return c == u'\\' || c == u'/'; }

}  // namespace tellwick
