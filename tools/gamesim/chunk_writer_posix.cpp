#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "chunk_writer.h"
#include "platform/encoding.h"
#include "platform/posix/write_all_posix.h"

namespace tellwick::gamesim {
namespace {

constexpr std::uint64_t kUnitsPerSecond = 10000000ULL;
constexpr std::uint64_t kUnixEpochInUnits = 11644473600ULL * kUnitsPerSecond;

std::string narrow(const std::u16string& path) {
  std::string out(path.size() * 3, '\0');
  out.resize(utf16_to_utf8(path.data(), path.size(), out.data(), out.size()));
  return out;
}

}  // namespace

WriteResult write_chunk_as_game(const std::u16string& path, const std::vector<std::uint8_t>& bytes, FileTime time) {
  WriteResult result;
  // A reader holding a read lease makes this open wait until it is done.
  const int fd = ::open(narrow(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return result;
  const bool all_written = write_all(fd, bytes.data(), bytes.size());
  const std::uint64_t since_1970 = time - kUnixEpochInUnits;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(since_1970 / kUnitsPerSecond);
  times[1].tv_nsec = static_cast<long>(since_1970 % kUnitsPerSecond * 100);
  const bool timed = ::futimens(fd, times) == 0;
  result.written = ::close(fd) == 0 && all_written && timed;
  return result;
}

}  // namespace tellwick::gamesim
