// The generated chunk series read back with the program's own decoder: the
// tests and benchmarks that rely on it can then trust what it writes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "chunkgen/chunk_series.h"
#include "chunkgen/real_shaped_entries.h"
#include "gamelog/chunk_view.h"
#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"
#include "materia/materia_message.h"
#include "platform/encoding.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {
namespace fs = std::filesystem;
using namespace chunkgen;

// What reading a whole series back found.
struct Decoded {
  std::uint32_t files = 0;
  std::uint64_t entries = 0;
  std::uint64_t with_sequences = 0;
  std::uint64_t materia_messages = 0;  // stripped lines holding the produced marker
  std::uint64_t detected = 0;
  std::uint64_t form_entries[kPackedFormCount] = {};
  std::set<std::uint32_t> codes;
  std::vector<fs::file_time_type> mtimes;
  std::vector<std::uint32_t> last_times;  // the last entry time of each chunk file
  std::vector<std::u16string> stripped;
};

std::uint32_t u32_at(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
         static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Walks the control sequences of one entry line; every one must end where
// its packed integer says, inside the line, on its closing byte.
std::uint32_t check_sequences(const char* line, std::size_t length) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(line);
  std::uint32_t forms = 0;
  std::size_t pos = kEntryLinePrefix;
  while (pos < length) {
    if (bytes[pos] != kControlStart) {
      EXPECT_NE(bytes[pos], 0) << "a zero byte outside any sequence at " << pos;
      ++pos;
      continue;
    }
    EXPECT_LE(pos + 3, length);
    const PackedInt packed = decode_packed_int(bytes + pos + 2, length - pos - 2);
    const std::size_t declared = static_cast<std::size_t>(packed.value + packed.count + 3);
    const std::size_t found = control_sequence_length(bytes, pos, length);
    EXPECT_EQ(found, declared) << "sequence cut by the end of the line at " << pos;
    const std::uint8_t lead = bytes[pos + 2];
    if (lead != 0x00) {
      EXPECT_EQ(bytes[pos + found - 1], kSequenceEnd) << "closing byte at " << pos;
    }
    forms |= 1u << packed_form_of(lead);
    pos += found;
  }
  return forms;
}

Decoded decode_series(const fs::path& log_folder) {
  Decoded d;
  std::uint32_t expected_first = 0;
  std::uint32_t last_time = 0;
  for (std::uint32_t k = 0;; ++k) {
    const fs::path path = log_folder / chunk_file_name(k);
    if (!fs::exists(path)) break;
    std::vector<unsigned char> file = test::read_bytes(path);
    const std::size_t size = file.size();
    file.push_back(0);  // the whole-file read's zero byte after the content
    ChunkView view;
    EXPECT_TRUE(open_chunk_view(file.data(), size, view)) << k;
    EXPECT_TRUE(view.complete) << k;
    EXPECT_EQ(view.first_index, expected_first) << "chain broken at chunk " << k;
    EXPECT_EQ(view.entry_count, view.end_index - view.first_index);
    EXPECT_EQ(u32_at(file, 0), view.first_index);
    expected_first = view.end_index;
    d.mtimes.push_back(fs::last_write_time(path));
    ++d.files;
    for (std::uint32_t e = 0; e < view.entry_count; ++e) {
      ChunkEntry entry;
      EXPECT_TRUE(chunk_entry(view, e, entry)) << k << ":" << e;
      if (entry.bytes == nullptr) continue;
      EXPECT_LE(entry.length, kMaxEntryLength);
      char line[kEntryLineCapacity];
      const std::size_t n = build_entry_line(entry.bytes, entry.length, line);
      EXPECT_EQ(n, entry.length + 4) << "entry line cut at " << k << ":" << e;
      const std::uint32_t time = entry_time_of_line(line);
      EXPECT_GE(time, last_time);
      last_time = time;
      d.codes.insert(u32_at(file, static_cast<std::size_t>(entry.bytes - file.data()) + 4));
      ++d.entries;
      if (e + 1 == view.entry_count) d.last_times.push_back(time);

      const std::uint32_t forms = check_sequences(line, n);
      d.with_sequences += forms != 0;
      for (int f = 0; f < kPackedFormCount; ++f) d.form_entries[f] += (forms >> f) & 1u;

      char stripped[kEntryLineCapacity];
      const std::size_t stripped_length = strip_line(line, n, stripped);
      char16_t wide[kEntryLineCapacity];
      const std::size_t units = utf8_to_utf16(stripped, stripped_length, wide, kEntryLineCapacity - 1);
      wide[units] = u'\0';
      d.stripped.emplace_back(wide, units);
      if (d.stripped.back().find(kProducedMarker) != std::u16string::npos) ++d.materia_messages;
      MateriaMessage message;
      if (detect_materia_message(wide, message)) ++d.detected;
    }
  }
  return d;
}

SeriesSummary generate(const fs::path& folder, std::uint64_t entries, std::uint32_t per_chunk, std::uint64_t seed,
                       std::uint32_t start_time = kDefaultStartTime, EntryShape shape = EntryShape::kShort) {
  SeriesOptions options;
  options.shape = shape;
  options.game_folder = folder;
  options.entries = entries;
  options.per_chunk = per_chunk;
  options.seed = seed;
  options.start_time = start_time;
  SeriesSummary summary;
  std::string error;
  EXPECT_TRUE(write_chunk_series(options, summary, error)) << error;
  return summary;
}

TEST(ChunkGenerator, SeriesDecodesWithTheProgramsOwnReader) {
  test::TempDir dir;
  const SeriesSummary s = generate(dir.path(), 2650, 100, 7);
  ASSERT_EQ(s.log_folder, dir.path() / kDefaultCharacter / "log");
  const Decoded d = decode_series(s.log_folder);

  // 26 full chunk files and one of 50 entries, named in lower-case hex.
  EXPECT_EQ(s.chunk_files, 27u);
  EXPECT_EQ(d.files, 27u);
  EXPECT_TRUE(fs::exists(s.log_folder / "0000000a.log"));
  EXPECT_TRUE(fs::exists(s.log_folder / "0000001a.log"));
  EXPECT_EQ(d.entries, 2650u);
  EXPECT_EQ(s.entries, 2650u);
  // Each file was last written when its last entry came, or a second after the file before.
  ASSERT_EQ(d.last_times.size(), d.mtimes.size());
  for (std::size_t k = 0; k < d.mtimes.size(); ++k) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(fs::file_time_type::clock::to_sys(d.mtimes[k]));
    const std::int64_t unix_time = seconds.time_since_epoch().count();
    if (k == 0 || d.last_times[k] > d.last_times[k - 1]) {
      EXPECT_EQ(unix_time, d.last_times[k]) << k;
    }
    if (k > 0) {
      EXPECT_LT(d.mtimes[k - 1], d.mtimes[k]) << k;
    }
  }

  // About a quarter of the entries carry markup, and every form of the packed integer occurs.
  EXPECT_EQ(d.with_sequences, s.decorated_entries);
  EXPECT_GT(d.with_sequences, d.entries / 6);
  EXPECT_LT(d.with_sequences, d.entries / 3);
  for (int f = 0; f < kPackedFormCount; ++f) {
    EXPECT_GT(d.form_entries[f], 0u) << packed_form_name(static_cast<PackedForm>(f));
    EXPECT_EQ(d.form_entries[f], s.form_entries[f]) << packed_form_name(static_cast<PackedForm>(f));
  }

  // The usual channels.
  std::set<std::uint32_t> channels = {kCodeSay,         kCodeTellIn, kCodeTellOut, kCodeParty,
                                      kCodeFreeCompany, kCodeSystem, kCodeLoot,    kCodeSynthesis};
  for (std::uint32_t ls = kCodeLinkshellFirst; ls <= kCodeLinkshellLast; ++ls) channels.insert(ls);
  EXPECT_EQ(d.codes, channels);

  // Every materia message lies in the detectable window and is detected.
  EXPECT_GT(d.materia_messages, 0u);
  EXPECT_EQ(d.materia_messages, s.materia_messages);
  EXPECT_EQ(d.detected, s.detectable_materia);
  EXPECT_EQ(d.detected, d.materia_messages);
}

TEST(ChunkGenerator, SendersAreTwoCapitalisedWords) {
  test::TempDir dir;
  const Decoded d = decode_series(generate(dir.path(), 600, 1000, 3).log_folder);
  std::size_t senders = 0;
  for (const std::u16string& line : d.stripped) {
    // Prefix, ":", sender, ":" - empty senders belong to system messages.
    ASSERT_GE(line.size(), kEntryLinePrefix + 2);
    ASSERT_EQ(line[kEntryLinePrefix], u':');
    const std::size_t end = line.find(u':', kEntryLinePrefix + 1);
    ASSERT_NE(end, std::u16string::npos);
    const std::size_t length = end - kEntryLinePrefix - 1;
    if (length == 0) continue;
    ++senders;
    EXPECT_EQ(actor_name_length(line.c_str() + kEntryLinePrefix + 1), length);
  }
  EXPECT_GT(senders, 300u);
}

TEST(ChunkGenerator, RealShapedSeries) {
  test::TempDir dir;
  const SeriesSummary s = generate(dir.path(), 5000, 1000, 9, 0x6B0F2740, EntryShape::kRealShaped);
  const Decoded d = decode_series(s.log_folder);
  ASSERT_EQ(d.entries, 5000u);
  std::uint64_t bytes = 0;
  for (std::uint32_t k = 0; k < s.chunk_files; ++k) bytes += fs::file_size(s.log_folder / chunk_file_name(k));
  // A real client's log of battle and party play: about 108 bytes an entry,
  // most of them with markup.
  EXPECT_GT(bytes / d.entries, 95u);
  EXPECT_LT(bytes / d.entries, 125u);
  EXPECT_GT(d.with_sequences, d.entries * 3 / 4);
  for (std::uint32_t code : {kCodeBattleFirst, kCodeBattleDamage, kCodeBattleEffect, kCodeBattleDefeat, kCodeLoot,
                             kCodeParty, kCodeFreeCompany}) {
    EXPECT_TRUE(d.codes.count(code)) << std::hex << code;
  }
  std::size_t separated = 0, icons = 0, japanese = 0, english = 0;
  for (const std::u16string& line : d.stripped) {
    separated += line.find(u'\x1F') != std::u16string::npos;
    icons += line.find_first_of(u"\uE03C\uE06F\uE0BB\uE090\uE091\uE092") != std::u16string::npos;
    japanese += line.find_first_of(u"はにをの") != std::u16string::npos;
    english += line.find(u" damage.") != std::u16string::npos || line.find(u" uses ") != std::u16string::npos;
  }
  EXPECT_EQ(separated, d.entries);  // between the sender, maybe empty, and the message
  EXPECT_GT(icons, d.entries / 3);
  EXPECT_GT(japanese, d.entries / 3);
  EXPECT_GT(english, d.entries / 6);
  EXPECT_EQ(d.materia_messages, s.materia_messages);
}

TEST(ChunkGenerator, DetectabilityFollowsTheStartTime) {
  struct Case {
    std::uint32_t start_time;
    bool detected;
  } cases[] = {
      {0x46A00000, true},
      {0x47A00000, true},
      {0x47000000, false},  // "47000000" reads as a larger number
      {0x53000000, false},  // a 2014 time reads as 53
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    const SeriesSummary s = generate(dir.path(), 1500, 1000, 11, c.start_time);
    const Decoded d = decode_series(s.log_folder);
    EXPECT_GT(d.materia_messages, 0u) << std::hex << c.start_time;
    EXPECT_EQ(d.detected, c.detected ? d.materia_messages : 0u) << std::hex << c.start_time;
    EXPECT_EQ(s.detectable_materia, d.detected) << std::hex << c.start_time;
  }
}

std::vector<std::vector<unsigned char>> series_bytes(const fs::path& log_folder) {
  std::vector<std::vector<unsigned char>> files;
  for (std::uint32_t k = 0; fs::exists(log_folder / chunk_file_name(k)); ++k)
    files.push_back(test::read_bytes(log_folder / chunk_file_name(k)));
  return files;
}

TEST(ChunkGenerator, OneSeedOneSeries) {
  test::TempDir a, b, c;
  const auto first = series_bytes(generate(a.path(), 2500, 1000, 42).log_folder);
  const auto again = series_bytes(generate(b.path(), 2500, 1000, 42).log_folder);
  const auto other = series_bytes(generate(c.path(), 2500, 1000, 43).log_folder);
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first, again);
  EXPECT_NE(first, other);
}

TEST(ChunkGenerator, RewritingReplacesTheWholeSeries) {
  test::TempDir dir;
  const fs::path log = generate(dir.path(), 3000, 1000, 5).log_folder;
  ASSERT_TRUE(fs::exists(log / "00000002.log"));
  test::write_bytes(log / "notes.txt", {'x'});
  generate(dir.path(), 1500, 1000, 5);
  EXPECT_FALSE(fs::exists(log / "00000002.log"));
  EXPECT_TRUE(fs::exists(log / "notes.txt"));  // only chunk files are removed
  EXPECT_EQ(decode_series(log).entries, 1500u);
}

TEST(ChunkGenerator, EmptySeriesIsOneFileWithoutEntries) {
  test::TempDir dir;
  const SeriesSummary s = generate(dir.path(), 0, 1000, 1);
  EXPECT_EQ(s.chunk_files, 1u);
  EXPECT_EQ(test::read_bytes(s.log_folder / "00000000.log"), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(fs::exists(s.log_folder / "00000001.log"));
}

TEST(ChunkGenerator, RefusesChunksWithoutEntries) {
  test::TempDir dir;
  SeriesOptions options;
  options.game_folder = dir.path();
  options.per_chunk = 0;
  SeriesSummary summary;
  std::string error;
  EXPECT_FALSE(write_chunk_series(options, summary, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tellwick
