// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tellwick::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // A path inside the folder, as the program's UTF-16 path.
  std::u16string file(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

std::vector<unsigned char> read_bytes(const std::filesystem::path& path);
std::vector<unsigned char> read_bytes(const std::u16string& path);
void write_bytes(const std::filesystem::path& path, const std::vector<unsigned char>& bytes);
// Sets a file's last-write time to whole seconds since 1970-01-01 00:00 UTC.
bool set_write_time(const std::filesystem::path& path, std::int64_t unix_seconds);

}  // namespace tellwick::test
