// A chunk file that another process still holds open for writing, as the
// game holds the chunk it is writing: its time can be taken, its content
// cannot be read until the writer lets go.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/file.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr auto kLongestStart = std::chrono::seconds(60);

// The helper program holding `file` open in another process ("write" or
// "read"); stopped and waited for when it goes out of scope, whatever the
// test's outcome.
class Holder {
 public:
  Holder(const TempDir& dir, const char* mode, const fs::path& file)
      : ready_(dir.path() / "holder.ready"), stop_(dir.path() / "holder.stop") {
    started_ = test::start_process(test::helper_program("hold_open"), {mode, file, ready_, stop_}, process_);
  }
  ~Holder() { stop(); }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

  // True once the helper has the file open; false when it could not open it.
  bool wait_until_holding() const {
    const auto give_up = std::chrono::steady_clock::now() + kLongestStart;
    std::error_code ignored;
    while (started_ && !fs::exists(ready_, ignored)) {
      if (std::chrono::steady_clock::now() > give_up) return false;
      std::this_thread::sleep_for(kPollInterval);
    }
    return started_ && test::read_bytes(ready_) == std::vector<unsigned char>{'1'};
  }

  // Lets the helper close the file and end; its exit code.
  int stop() {
    if (!started_) return -1;
    started_ = false;
    std::ofstream(stop_).put('1');
    return test::wait_process(process_);
  }

 private:
  fs::path ready_;
  fs::path stop_;
  test::Process process_;
  bool started_ = false;
};

constexpr std::int64_t kChunkTime = 1402567200;              // 2014-06-12 10:00:00 UTC
constexpr FileTime kChunkFileTime = 130470408000000000ULL;  // the same instant

const std::vector<unsigned char> kChunkBytes = {'c', 'h', 'u', 'n', 'k'};

fs::path write_chunk(const TempDir& dir) {
  const fs::path chunk = dir.path() / "00000000.log";
  test::write_bytes(chunk, kChunkBytes);
  EXPECT_TRUE(test::set_write_time(chunk, kChunkTime));
  return chunk;
}

void expect_chunk_read(const std::u16string& path) {
  FileContents contents;
  ASSERT_TRUE(read_whole_file(path.c_str(), contents));
  ASSERT_EQ(contents.size, kChunkBytes.size());
  EXPECT_TRUE(std::equal(kChunkBytes.begin(), kChunkBytes.end(), contents.data.get()));
  EXPECT_EQ(contents.data[contents.size], 0);
}

TEST(HeldFile, NoReadWhileAnotherProcessWritesTheFile) {
  TempDir dir;
  const fs::path chunk = write_chunk(dir);
  const std::u16string path = chunk.u16string();

  Holder writer(dir, "write", chunk);
  ASSERT_TRUE(writer.wait_until_holding());
  FileContents contents;
  EXPECT_FALSE(read_whole_file(path.c_str(), contents));
  EXPECT_EQ(contents.data, nullptr);
  EXPECT_EQ(contents.size, 0u);
  FileTime time = 0;
  EXPECT_TRUE(file_write_time(path.c_str(), time));
  EXPECT_EQ(time, kChunkFileTime);

  EXPECT_EQ(writer.stop(), 0);
  expect_chunk_read(path);
}

TEST(HeldFile, AnotherReaderDoesNotStopTheRead) {
  TempDir dir;
  const fs::path chunk = write_chunk(dir);
  Holder reader(dir, "read", chunk);
  ASSERT_TRUE(reader.wait_until_holding());
  expect_chunk_read(chunk.u16string());
  FileTime time = 0;
  EXPECT_TRUE(file_write_time(chunk.u16string().c_str(), time));
  EXPECT_EQ(time, kChunkFileTime);
  EXPECT_EQ(reader.stop(), 0);
}

}  // namespace
}  // namespace tellwick
