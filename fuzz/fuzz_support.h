// What the fuzz targets share: a scratch folder of their own and the report
// functions every front end supplies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tellwick::fuzz {

// A folder for this process's files, made on first use; it ends in a separator.
const std::u16string& scratch_folder();

// Writes `size` bytes to `path`, replacing the file.
void write_scratch_file(const std::u16string& path, const std::uint8_t* data, std::size_t size);

}  // namespace tellwick::fuzz
