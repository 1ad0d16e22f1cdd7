// Per-line cost of the export's inner steps: rendering an entry line, and
// writing the rendered line to a file in each output charset.
//   build/native/bench/line_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "gamelog/control_sequence.h"
#include "gamelog/output_charset.h"

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
  const int charset = static_cast<int>(state.range(0));
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string& line = rendered[i++ % rendered.size()];
    write_export_line(*file, charset, line.data(), line.size());
  }
  output_close(*file);
  std::remove(path.c_str());
}
BENCHMARK(BM_WriteExportLine)->Arg(0)->Arg(1)->Arg(2)->ArgName("charset");

}  // namespace
}  // namespace tellwick

BENCHMARK_MAIN();
