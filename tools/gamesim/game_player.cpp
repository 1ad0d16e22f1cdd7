#include "game_player.h"

#include <cstdio>
#include <thread>

#include "chunk_writer.h"
#include "chunkgen/entry_generator.h"
#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"

namespace tellwick::gamesim {
namespace fs = std::filesystem;
namespace {

constexpr std::uint32_t kFirstDay = 1714982400;  // 2024-05-06 08:00 UTC, 17:00 in Tokyo
constexpr std::uint32_t kDay = 86400;
constexpr std::uint32_t kMinute = 60;
constexpr std::uint32_t kSameMinuteRelog = 5;         // game seconds between a same-minute logout and login
constexpr std::uint32_t kShortEntriesPerSecond = 50;  // short sessions stay inside twenty seconds

FileTime file_time_of(std::uint32_t unix_seconds) {
  return (static_cast<FileTime>(unix_seconds) + 11644473600ULL) * 10000000ULL;
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The chunk file the game is filling: its first index and its entries.
struct OpenChunk {
  std::uint32_t index = 0;
  std::uint32_t first = 0;
  std::vector<std::uint8_t> area;
  std::vector<std::uint32_t> ends;
};

std::vector<std::uint8_t> chunk_file_bytes(const OpenChunk& chunk) {
  std::vector<std::uint8_t> bytes;
  put_u32(bytes, chunk.first);
  put_u32(bytes, chunk.first + static_cast<std::uint32_t>(chunk.ends.size()));
  for (std::uint32_t end : chunk.ends) put_u32(bytes, end);
  bytes.insert(bytes.end(), chunk.area.begin(), chunk.area.end());
  return bytes;
}

void append_expected_line(const std::vector<std::uint8_t>& entry, std::string& text) {
  char line[kEntryLineCapacity];
  char rendered[kRenderedLineCapacity];
  const std::size_t n = build_entry_line(entry.data(), entry.size(), line);
  text.append(rendered, render_line(line, n, false, rendered));
}

class Player {
 public:
  Player(const PlayOptions& options, PlayTotals& totals, std::vector<SeriesRecord>& series)
      : options_(options), totals_(totals), series_(series), rng_{options.seed} {}

  // Evening of the day, unless the sessions before ran past it: the game's
  // clock never goes back.
  void start_day(int day) {
    const std::uint32_t evening = kFirstDay + static_cast<std::uint32_t>(day) * kDay;
    if (clock_ < evening) clock_ = evening;
  }

  void play(const Session& session, bool after_same_minute) {
    std::this_thread::sleep_for(options_.relog_pause);
    if (after_same_minute) {
      clock_ += kSameMinuteRelog;
    } else {
      clock_ += kMinute + rng_.below(10 * kMinute);
      // Both chunk 0 files of the pair then fall in this minute.
      if (session.kind == SessionKind::kSameMinute) clock_ = (clock_ / kMinute + 1) * kMinute + 1;
    }
    SeriesRecord record;
    record.character = session.character;
    const fs::path log = options_.game_folder / character_name(session.character) / "log";
    chunkgen::EntryGenerator generator;
    chunkgen::start_generator(generator, rng_.next(), clock_);
    chunkgen::GeneratedEntry entry;
    std::vector<std::uint8_t> bytes;
    OpenChunk chunk;
    for (std::uint32_t i = 0; i < session.entries; ++i) {
      chunkgen::next_entry(generator, entry);
      entry.time = clock_;
      advance(session.kind, i);
      bytes.clear();
      chunkgen::append_entry_bytes(entry, bytes);
      chunk.area.insert(chunk.area.end(), bytes.begin(), bytes.end());
      chunk.ends.push_back(static_cast<std::uint32_t>(chunk.area.size()));
      append_expected_line(bytes, record.expected_export);
      if (chunk.ends.size() == options_.per_chunk) {
        write(log, chunk, record);
        std::this_thread::sleep_for(options_.chunk_pause);
      }
    }
    if (!chunk.ends.empty() || chunk.index == 0) write(log, chunk, record);  // at logout
    record.entries = session.entries;
    totals_.entries += session.entries;
    series_.push_back(std::move(record));
  }

 private:
  void advance(SessionKind kind, std::uint32_t i) {
    if (kind == SessionKind::kNormal) {
      clock_ += 1 + rng_.below(3);
    } else if ((i + 1) % kShortEntriesPerSecond == 0) {
      ++clock_;
    }
  }

  void write(const fs::path& log, OpenChunk& chunk, SeriesRecord& record) {
    char name[16];
    std::snprintf(name, sizeof name, "%08x.log", static_cast<unsigned>(chunk.index));
    const WriteResult result =
        write_chunk_as_game((log / name).u16string(), chunk_file_bytes(chunk), file_time_of(clock_));
    if (!result.written) totals_.write_failed = true;
    totals_.sharing_waits += static_cast<std::uint64_t>(result.waits);
    ++totals_.chunk_files;
    ++record.chunk_files;
    chunk.first += static_cast<std::uint32_t>(chunk.ends.size());
    ++chunk.index;
    chunk.area.clear();
    chunk.ends.clear();
  }

  const PlayOptions& options_;
  PlayTotals& totals_;
  std::vector<SeriesRecord>& series_;
  chunkgen::SplitMix64 rng_;
  std::uint32_t clock_ = kFirstDay;
};

}  // namespace

std::string character_name(int index) { return "FFXIV_CHR00400000010000" + std::to_string(10 + index); }

PlayTotals play_days(const std::vector<Day>& days, const PlayOptions& options,
                     const std::function<bool()>& game_started, const std::function<bool()>& game_ended,
                     std::vector<SeriesRecord>& series) {
  PlayTotals totals;
  Player player(options, totals, series);
  for (std::size_t day = 0; day < days.size(); ++day) {
    player.start_day(static_cast<int>(day));
    if (!game_started()) totals.write_failed = true;
    bool after_same_minute = false;
    for (const Session& session : days[day].sessions) {
      player.play(session, after_same_minute);
      after_same_minute = session.kind == SessionKind::kSameMinute;
    }
    if (!game_ended()) totals.write_failed = true;
    // Closed long enough for a watch cycle to see it closed.
    std::this_thread::sleep_for(options.relog_pause);
  }
  return totals;
}

}  // namespace tellwick::gamesim
