// What the fuzz targets share: a scratch folder of their own and a report
// sink that drops everything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "report/report.h"

namespace tellwick::fuzz {

// A folder for this process's files, made on first use; it ends in a separator.
const std::u16string& scratch_folder();

// The targets look at what the logic does, not at what it says.
const ReportSink& quiet_reports();

// Makes `folder` the working folder for the scope's life, then puts the
// earlier one back: the fuzzer reads and writes its corpus and artifacts by
// paths that may be relative to its own.
class WorkingFolderScope {
 public:
  explicit WorkingFolderScope(const std::u16string& folder);
  ~WorkingFolderScope();
  WorkingFolderScope(const WorkingFolderScope&) = delete;
  WorkingFolderScope& operator=(const WorkingFolderScope&) = delete;

 private:
  std::filesystem::path earlier_;
};

// Writes `size` bytes to `path`, replacing the file.
void write_scratch_file(const std::u16string& path, const std::uint8_t* data, std::size_t size);

}  // namespace tellwick::fuzz
