// Program paths are UTF-16 with either separator; POSIX calls want UTF-8 with "/".
#pragma once

#include <string>

namespace tellwick {

std::string native_path(const char16_t* path);

}  // namespace tellwick
