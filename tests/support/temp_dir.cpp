#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

namespace tellwick::test {
namespace fs = std::filesystem;

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() / ("tellwick-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::u16string TempDir::file(const std::string& name) const { return (path_ / name).u16string(); }

std::vector<unsigned char> read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<unsigned char> read_bytes(const std::u16string& path) { return read_bytes(fs::path(path)); }

void write_bytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool set_write_time(const fs::path& path, std::int64_t unix_seconds) {
  const std::chrono::sys_seconds instant{std::chrono::seconds{unix_seconds}};
  std::error_code error;
  fs::last_write_time(path, std::chrono::file_clock::from_sys(instant), error);
  return !error;
}

}  // namespace tellwick::test
