// The one place that knows how the system spells paths: the separator, a
// folder that cannot exist, and how names the system hands over become the
// program's UTF-16.
#pragma once

#ifndef _WIN32
#include <string>
#endif

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

// Whether paths live in fixed-size buffers. The Windows program keeps them in
// Windows' buffers and leaves out what would not fit there; POSIX paths are
// strings of any length, up to what the system itself accepts.
#ifdef _WIN32
constexpr bool kFixedPathBuffers = true;
#else
constexpr bool kFixedPathBuffers = false;
#endif

// Whether a character ends a folder name in a path. The POSIX build also
// accepts "\", since settings files written on Windows use it.
constexpr bool is_path_separator(char16_t c) { return c == u'\\' || c == u'/'; }

#ifndef _WIN32
// A name as the system hands it over (a program argument, a folder listing,
// an environment variable, a link's target) as a program path. Names are
// bytes, UTF-8 as a rule but not always: each byte that is not part of
// well-formed UTF-8 is kept as the lone surrogate U+DC00 + byte
// (U+DC80..U+DCFF), which the file functions turn back into that same byte,
// so every name the system gives can be opened again. Text shown to the
// player shows such a unit as U+FFFD, as any lone surrogate.
std::u16string path_from_native(const std::string& name);
#endif

}  // namespace tellwick
