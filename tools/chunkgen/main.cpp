// chunkgen: writes a synthetic chunk series for trying out and measuring the
// exporter.
//   chunkgen --out DIR [--character NAME] [--entries N] [--per-chunk N]
//            [--seed S] [--start-time T] [--shape short|real]
// Numbers may be decimal or 0x-prefixed hex. The files go to
// DIR/NAME/log/00000000.log, 00000001.log, ...
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "chunkgen/chunk_series.h"

namespace {

using tellwick::chunkgen::SeriesOptions;
using tellwick::chunkgen::SeriesSummary;

constexpr int kExitWriteFailed = 1;
constexpr int kExitUsage = 2;
constexpr std::uint64_t kMaxEntries = 0xFFFFFFFFULL;  // entry indexes are 32-bit

void print_usage() {
  std::fprintf(stderr,
               "usage: chunkgen --out DIR [--character NAME] [--entries N] [--per-chunk N] [--seed S] "
               "[--start-time T] [--shape short|real]\n");
}

bool parse_number(const char* text, std::uint64_t max, std::uint64_t& value) {
  if (text == nullptr || *text == '\0' || *text == '-') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long parsed = std::strtoull(text, &end, 0);
  if (errno != 0 || *end != '\0' || parsed > max) return false;
  value = parsed;
  return true;
}

bool parse_arguments(int argc, char** argv, SeriesOptions& options) {
  bool have_out = false;
  for (int i = 1; i < argc; ++i) {
    const char* option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    std::uint64_t number = 0;
    if (std::strcmp(option, "--out") == 0 && value != nullptr) {
      options.game_folder = value;
      have_out = true;
    } else if (std::strcmp(option, "--character") == 0 && value != nullptr && *value != '\0') {
      options.character = value;
    } else if (std::strcmp(option, "--entries") == 0 && parse_number(value, kMaxEntries, number)) {
      options.entries = number;
    } else if (std::strcmp(option, "--per-chunk") == 0 && parse_number(value, 0xFFFFFFFFULL, number) && number > 0) {
      options.per_chunk = static_cast<std::uint32_t>(number);
    } else if (std::strcmp(option, "--seed") == 0 && parse_number(value, UINT64_MAX, number)) {
      options.seed = number;
    } else if (std::strcmp(option, "--start-time") == 0 && parse_number(value, 0xFFFFFFFFULL, number)) {
      options.start_time = static_cast<std::uint32_t>(number);
    } else if (std::strcmp(option, "--shape") == 0 && value != nullptr && std::strcmp(value, "short") == 0) {
      options.shape = tellwick::chunkgen::EntryShape::kShort;
    } else if (std::strcmp(option, "--shape") == 0 && value != nullptr && std::strcmp(value, "real") == 0) {
      options.shape = tellwick::chunkgen::EntryShape::kRealShaped;
    } else {
      std::fprintf(stderr, "chunkgen: bad or incomplete option %s\n", option);
      return false;
    }
    ++i;
  }
  if (!have_out) std::fprintf(stderr, "chunkgen: --out is required\n");
  return have_out;
}

}  // namespace

int main(int argc, char** argv) {
  SeriesOptions options;
  if (!parse_arguments(argc, argv, options)) {
    print_usage();
    return kExitUsage;
  }
  SeriesSummary summary;
  std::string error;
  if (!tellwick::chunkgen::write_chunk_series(options, summary, error)) {
    std::fprintf(stderr, "chunkgen: %s\n", error.c_str());
    return kExitWriteFailed;
  }
  std::printf("%s: %" PRIu64 " entries in %" PRIu32 " chunk files, times %08" PRIX32 "..%08" PRIX32 "\n",
              summary.log_folder.string().c_str(), summary.entries, summary.chunk_files, summary.first_time,
              summary.last_time);
  std::printf("%" PRIu64 " with control sequences, %" PRIu64 " materia messages (%" PRIu64 " detectable)\n",
              summary.decorated_entries, summary.materia_messages, summary.detectable_materia);
  return 0;
}
