// Per-line cost of the export's inner steps: rendering an entry line,
// writing the rendered line to a file in each output charset, and the whole
// entry pipeline the exporter runs for every entry.
//   build/native/bench/line_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "chunkgen/entry_generator.h"
#include "export/entry_pipeline.h"
#include "gamelog/control_sequence.h"
#include "output/output_charset.h"

namespace tellwick {
namespace {

// Typical lines: short Japanese and English chat, some with colour and link markup.
std::vector<std::string> sample_lines() {
  const std::string colour = std::string("\x02\x13\x06\xFE\xFF\xFF\xE3\x03", 8);
  const std::string link = std::string("\x02\x27\x07\x03\xF2\x01\xF8\x01\x01\x03", 10);
  return {
      "5399A1B4000A:Aaa Bbb:こんにちは、今日もよろしくお願いします！",
      "5399A1B5000C:Ccc Ddd:Want to run the roulette later?",
      "5399A1B60039:" + colour + "ファイアIII" + colour + "の詠唱を開始した。",
      "5399A1B7003E::" + link + "ハイポーション" + link + "を手に入れた。",
      "5399A1B80010:Eee Fff:了解です〜 ありがとうございました",
  };
}

void BM_RenderLine(benchmark::State& state) {
  const auto lines = sample_lines();
  const bool show = state.range(0) != 0;
  char out[kRenderedLineCapacity];
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& line = lines[i++ % lines.size()];
    benchmark::DoNotOptimize(render_line(line.data(), line.size(), show, out));
  }
}
BENCHMARK(BM_RenderLine)->Arg(0)->Arg(1)->ArgName("show");

void BM_StripLine(benchmark::State& state) {
  const auto lines = sample_lines();
  char out[kEntryLineCapacity];
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& line = lines[i++ % lines.size()];
    benchmark::DoNotOptimize(strip_line(line.data(), line.size(), out));
  }
}
BENCHMARK(BM_StripLine);

void BM_WriteExportLine(benchmark::State& state) {
  std::vector<std::string> rendered;
  for (const std::string& line : sample_lines()) {
    char out[kRenderedLineCapacity];
    rendered.emplace_back(out, render_line(line.data(), line.size(), false, out));
  }
  const std::string path = std::string(P_tmpdir) + "/tellwick-line-bench.log";
  const std::u16string wide(path.begin(), path.end());
  auto file = std::make_unique<OutputFile>();
  output_create(*file, wide.c_str());
  const auto charset = static_cast<OutputCharset>(state.range(0));
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& line = rendered[i++ % rendered.size()];
    write_export_line(*file, charset, line.data(), line.size());
  }
  output_close(*file);
  std::remove(path.c_str());
}
BENCHMARK(BM_WriteExportLine)->Arg(0)->Arg(1)->Arg(2)->ArgName("charset");

// One generated entry through everything the exporter does to it, into an
// export file and a recipe file. Args: charset, show flag.
void BM_ExportEntry(benchmark::State& state) {
  chunkgen::EntryGenerator generator;
  chunkgen::start_generator(generator, 1, chunkgen::kDefaultStartTime);
  std::vector<std::vector<std::uint8_t>> entries(1000);
  for (std::vector<std::uint8_t>& bytes : entries) {
    chunkgen::GeneratedEntry entry;
    chunkgen::next_entry(generator, entry);
    chunkgen::append_entry_bytes(entry, bytes);
  }
  const std::string log_path = std::string(P_tmpdir) + "/tellwick-entry-bench.log";
  const std::string recipe_path = std::string(P_tmpdir) + "/tellwick-entry-bench.recipe";
  auto log = std::make_unique<OutputFile>();
  auto recipe = std::make_unique<OutputFile>();
  output_create(*log, std::u16string(log_path.begin(), log_path.end()).c_str());
  output_create(*recipe, std::u16string(recipe_path.begin(), recipe_path.end()).c_str());
  const ReportSink quiet;
  auto out = std::make_unique<EntryOutput>();
  start_entry_output(*out, log.get(), recipe.get(),
                     ExportOptions{static_cast<OutputCharset>(state.range(0)), state.range(1) != 0, false}, quiet);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::vector<std::uint8_t>& bytes = entries[i++ % entries.size()];
    export_entry(ChunkEntry{bytes.data(), bytes.size()}, *out);
  }
  output_close(*log);
  output_close(*recipe);
  std::remove(log_path.c_str());
  std::remove(recipe_path.c_str());
}
BENCHMARK(BM_ExportEntry)->ArgsProduct({{0, 1, 2}, {0, 1}})->ArgNames({"charset", "show"});

}  // namespace
}  // namespace tellwick

BENCHMARK_MAIN();
