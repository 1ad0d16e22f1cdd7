// What the fuzz targets share: a scratch folder of their own and a report
// sink that drops everything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/report.h"

namespace tellwick::fuzz {

// A folder for this process's files, made on first use; it ends in a separator.
const std::u16string& scratch_folder();

// The targets look at what the logic does, not at what it says.
const ReportSink& quiet_reports();

// Writes `size` bytes to `path`, replacing the file.
void write_scratch_file(const std::u16string& path, const std::uint8_t* data, std::size_t size);

}  // namespace tellwick::fuzz
