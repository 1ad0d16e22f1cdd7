// A chunk file made ready ahead comes out the same whether a thread of its
// own makes it ready or the caller does, and each file starts afresh.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "export/chunk_ahead.h"
#include "gamelog/game_folders.h"
#include "platform/path.h"
#include "support/chunk_files.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::Entry;

const FileTime kWritten = test::file_time_of_unix(1394021260);

// Chunk file 0: a line with a sequence, a materia message (time 0x46A.....
// leaves the prefix's leading number at 46), an entry without a time (an
// all-zero prefix leaves the test to the whole line: a candidate too).
const std::vector<Entry> kEntries = {
    {0x5316F48C, 0x000A,
     std::string("a\x02\x10\x01\x03"
                 "b",
                 6)},
    {0x46A00000, 0x000A, "::Aaa Bbb:SwordからStoneが生成された！"},
    {0, 0x000A, "zero"},
};

std::string rendered(const ChunkAheadResult& r) { return std::string(r.rendered.begin(), r.rendered.end()); }

TEST(ChunkAhead, MakesAChunkFileReadyOnItsOwnThreadOrInTurn) {
  test::TempDir dir;
  const fs::path character = dir.path() / "FFXIV_CHR0040000000000001";
  test::write_chunk(character, 0, test::chunk_bytes(0, kEntries), kWritten);
  test::write_chunk(character, 1, test::chunk_bytes(3, {{0x5316F490, 0x000E, "next"}}), kWritten + 10);
  const std::u16string folder = character.u16string() + kPathSeparator;
  const std::u16string chunk0 = chunk_file_path(folder, 0);
  const std::u16string chunk1 = chunk_file_path(folder, 1);

  for (const bool own_thread : {false, true}) {
    SCOPED_TRACE(own_thread ? "own thread" : "in turn");
    ChunkAhead ahead(kCharsetUtf8, false, true, own_thread);
    ahead.start(chunk0, kWritten);
    {
      const ChunkAheadResult& r = ahead.result();
      EXPECT_TRUE(r.file.read);
      EXPECT_EQ(r.file.time, kWritten);
      ASSERT_TRUE(r.file.opened);
      EXPECT_EQ(r.file.view.entry_count, 3u);
      EXPECT_EQ(r.rendered_entries, 3u);
      EXPECT_EQ(rendered(r),
                "5316F48C000Aab\r\n46A00000000A::Aaa Bbb:SwordからStoneが生成された！\r\n00000000000Azero\r\n");
      EXPECT_EQ(r.candidates, (std::vector<std::uint32_t>{1, 2}));
      EXPECT_TRUE(r.any_time);
      EXPECT_EQ(r.first_time, 0x5316F48Cu);
      EXPECT_EQ(r.last_time, 0u);
    }
    // The next file replaces everything the one before left.
    ahead.start(chunk1, kWritten);
    {
      const ChunkAheadResult& r = ahead.result();
      ASSERT_TRUE(r.file.opened);
      EXPECT_EQ(rendered(r), "5316F490000Enext\r\n");
      EXPECT_TRUE(r.candidates.empty());
      EXPECT_EQ(r.first_time, 0x5316F490u);
      EXPECT_EQ(r.last_time, 0x5316F490u);
    }
    // Older than chunk 0 would be: its time, nothing read.
    ahead.start(chunk1, kWritten + 11);
    {
      const ChunkAheadResult& r = ahead.result();
      EXPECT_FALSE(r.file.read);
      EXPECT_FALSE(r.file.opened);
      EXPECT_EQ(r.file.time, kWritten + 10);
      EXPECT_TRUE(r.rendered.empty());
      EXPECT_FALSE(r.any_time);
    }
    // Missing: no time.
    ahead.start(chunk_file_path(folder, 2), 0);
    {
      const ChunkAheadResult& r = ahead.result();
      EXPECT_FALSE(r.file.read);
      EXPECT_EQ(r.file.time, 0u);
      EXPECT_TRUE(r.rendered.empty());
    }
  }
}

TEST(ChunkAhead, WithoutAnExportFileOnlyTheMateriaCandidatesAreFound) {
  test::TempDir dir;
  const fs::path character = dir.path() / "FFXIV_CHR0040000000000001";
  test::write_chunk(character, 0, test::chunk_bytes(0, kEntries), kWritten);
  ChunkAhead ahead(kCharsetUtf8, false, false, true);
  ahead.start(chunk_file_path(character.u16string() + kPathSeparator, 0), 0);
  const ChunkAheadResult& r = ahead.result();
  EXPECT_TRUE(r.rendered.empty());
  EXPECT_EQ(r.rendered_entries, 3u);
  EXPECT_EQ(r.candidates, (std::vector<std::uint32_t>{1, 2}));
}

TEST(ChunkAhead, AFileStartedAndNeverWaitedForIsWaitedForAtTheEnd) {
  test::TempDir dir;
  const fs::path character = dir.path() / "FFXIV_CHR0040000000000001";
  test::write_chunk(character, 0, test::chunk_bytes(0, kEntries), kWritten);
  // The series may end before the file made ready is taken: the thread must
  // finish with it before the object and the file go.
  for (int round = 0; round < 50; ++round) {
    ChunkAhead ahead(kCharsetUtf8, true, true, true);
    ahead.start(chunk_file_path(character.u16string() + kPathSeparator, 0), 0);
  }
}

}  // namespace
}  // namespace tellwick
