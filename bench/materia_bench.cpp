// Per-line cost of the materia detector on generated entry lines, and the
// cost of one seen-check list search as the list fills.
//   build/native/bench/materia_bench
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "chunkgen/entry_generator.h"
#include "chunkgen/splitmix64.h"
#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"
#include "materia/examine_line.h"
#include "materia/seen_check_list.h"
#include "platform/encoding.h"
#include "report/report.h"

namespace tellwick {

namespace {

// The benchmark is its own front end; reports go nowhere.
const ReportSink kReports{nullptr, [](const char16_t* text) { benchmark::DoNotOptimize(text); }};

constexpr int kSampleLines = 1000;  // few enough to stay in the cache, as the line being exported is

// Stripped UTF-16 lines of generated entries, as the exporter hands them over.
std::vector<std::u16string> stripped_lines(std::uint32_t start_time) {
  chunkgen::EntryGenerator generator;
  chunkgen::start_generator(generator, 1, start_time);
  chunkgen::GeneratedEntry entry;
  std::vector<std::uint8_t> bytes;
  std::vector<std::u16string> lines;
  for (int i = 0; i < kSampleLines; ++i) {
    chunkgen::next_entry(generator, entry);
    bytes.clear();
    chunkgen::append_entry_bytes(entry, bytes);
    char line[kEntryLineCapacity];
    char stripped[kEntryLineCapacity];
    char16_t wide[kEntryLineCapacity];
    const std::size_t n = build_entry_line(bytes.data(), bytes.size(), line);
    const std::size_t s = strip_line(line, n, stripped);
    lines.emplace_back(wide, utf8_to_utf16(stripped, s, wide, kEntryLineCapacity - 1));
  }
  return lines;
}

// Arg 0: times in the detectable window (about 1% of the lines are materia
// messages and get a record); arg 1: 2014 times, every line rejected.
void BM_ExamineLine(benchmark::State& state) {
  const auto lines = stripped_lines(state.range(0) == 0 ? chunkgen::kDefaultStartTime : 0x53000000);
  RecipeOutput recipe;
  recipe.charset = kCharsetUtf8;
  std::size_t i = 0;
  for (auto _ : state) {
    examine_line(lines[i].c_str(), recipe, kReports);
    if (++i == lines.size()) i = 0;
  }
}
BENCHMARK(BM_ExamineLine)->Arg(0)->Arg(1)->ArgName("rejected");

// One search for a code at the end of a list of `codes` twelve-digit codes.
void BM_SeenCheckListSearch(benchmark::State& state) {
  SeenCheckList list;
  chunkgen::SplitMix64 mix{7};
  std::u16string last;
  for (int i = 0; i < state.range(0); ++i) {
    // Check codes look random: two six-digit halves.
    const std::uint64_t r = mix.next();
    const std::string digits = std::to_string(100000 + r % 900000) + std::to_string(100000 + (r >> 32) % 900000);
    last.assign(digits.begin(), digits.end());
    seen_check_list_admit(list, last);
  }
  for (auto _ : state) benchmark::DoNotOptimize(seen_check_list_admit(list, last));
}
BENCHMARK(BM_SeenCheckListSearch)->Arg(100)->Arg(1000)->Arg(7877);

}  // namespace
}  // namespace tellwick

BENCHMARK_MAIN();
