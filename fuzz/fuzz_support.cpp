#include "fuzz_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include "report/report.h"

namespace tellwick {

namespace fuzz {

const ReportSink& quiet_reports() {
  static const ReportSink sink;
  return sink;
}

const std::u16string& scratch_folder() {
  static const std::u16string folder = [] {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tellwick-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    static const std::filesystem::path removed_at_exit = path;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(removed_at_exit, ignored);
    });
    std::u16string text = path.u16string();
    text += path.preferred_separator;
    return text;
  }();
  return folder;
}

// A folder that cannot be entered or left again would send the target's
// files, or the fuzzer's, to the wrong place: the run stops instead.
WorkingFolderScope::WorkingFolderScope(const std::u16string& folder) {
  std::error_code error;
  earlier_ = std::filesystem::current_path(error);
  if (!error) std::filesystem::current_path(std::filesystem::path(folder), error);
  if (error) std::abort();
}

WorkingFolderScope::~WorkingFolderScope() {
  std::error_code error;
  std::filesystem::current_path(earlier_, error);
  if (error) std::abort();
}

void write_scratch_file(const std::u16string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace fuzz
}  // namespace tellwick
