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
#include "support/file_holder.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr std::int64_t kChunkTime = 1402567200;             // 2014-06-12 10:00:00 UTC
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

  test::FileHolder writer(dir, "write", chunk);
  ASSERT_TRUE(writer.wait_until_holding());
  FileContents contents;
  EXPECT_FALSE(read_whole_file(path.c_str(), contents));
  EXPECT_EQ(contents.data, nullptr);
  EXPECT_EQ(contents.size, 0u);
  FileTime time = 0;
  EXPECT_TRUE(file_write_time(path.c_str(), time));
  EXPECT_EQ(time, kChunkFileTime);
  // The export's reading of a chunk gives the time all the same.
  time = 0;
  EXPECT_FALSE(read_whole_file_not_older(path.c_str(), 0, contents, time));
  EXPECT_EQ(contents.data, nullptr);
  EXPECT_EQ(time, kChunkFileTime);

  EXPECT_TRUE(writer.stop());
  expect_chunk_read(path);
}

TEST(HeldFile, AnotherReaderDoesNotStopTheRead) {
  TempDir dir;
  const fs::path chunk = write_chunk(dir);
  test::FileHolder reader(dir, "read", chunk);
  ASSERT_TRUE(reader.wait_until_holding());
  expect_chunk_read(chunk.u16string());
  FileTime time = 0;
  EXPECT_TRUE(file_write_time(chunk.u16string().c_str(), time));
  EXPECT_EQ(time, kChunkFileTime);
  EXPECT_TRUE(reader.stop());
}

}  // namespace
}  // namespace tellwick
