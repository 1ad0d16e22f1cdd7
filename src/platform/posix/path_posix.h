// Program paths are UTF-16 with either separator; POSIX calls want bytes with
// "/": UTF-8, and the bytes that path_from_native (platform/path.h) kept as
// U+DC80..U+DCFF given back as they were.
#pragma once

#include <string>

namespace tellwick {

std::string native_path(const char16_t* path);

}  // namespace tellwick
