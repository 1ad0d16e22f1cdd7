// Writing a whole buffer to a file descriptor, however the system splits it.
#pragma once

#include <cstddef>

namespace tellwick {

// Writes all `size` bytes, again after a signal interrupts a write. False,
// with errno telling why, when some bytes could not be written.
bool write_all(int fd, const void* data, std::size_t size);

}  // namespace tellwick
