#include "export_check.h"

#include <fstream>
#include <iterator>
#include <map>

namespace tellwick::gamesim {
namespace fs = std::filesystem;
namespace {

constexpr char kStarted[] = "FINAL FANTASY XIV の起動を確認しました。\r\n";
constexpr char kEnded[] = "FINAL FANTASY XIV の終了を確認しました。\r\n";
constexpr char kNewSeries[] = "新しいログの記録を確認しました。\r\n";

std::string file_text(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t line_count(const std::string& text) {
  std::size_t n = 0;
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
  return n;
}

bool is_export_file(const std::string& name) {
  return name.size() > 4 && name.ends_with(".log") && !name.starts_with("recipe.");
}

void problem(CheckResult& result, const std::string& text) {
  result.passed = false;
  result.problems.push_back(text);
}

std::string describe(const SeriesRecord& s, std::size_t index) {
  return "series " + std::to_string(index) + " (" + character_name(s.character) + ", " + std::to_string(s.entries) +
         " entries in " + std::to_string(s.chunk_files) + " chunk files)";
}

// The status texts one by one; anything else is a problem. Starts and ends
// must alternate, beginning with a start.
void check_output(const std::string& output, int game_runs, CheckResult& result) {
  std::size_t at = 0;
  bool running = false;
  while (at < output.size()) {
    const std::string rest = output.substr(at);
    if (rest.starts_with(kStarted)) {
      if (running) problem(result, "the game's start told twice in a row");
      running = true;
      ++result.started_texts;
      at += sizeof kStarted - 1;
    } else if (rest.starts_with(kEnded)) {
      if (!running) problem(result, "the game's end told without a start");
      running = false;
      ++result.ended_texts;
      at += sizeof kEnded - 1;
    } else if (rest.starts_with(kNewSeries)) {
      ++result.new_series_texts;
      at += sizeof kNewSeries - 1;
    } else {
      problem(result, "unexpected status text: " + rest.substr(0, rest.find('\n') + 1));
      break;
    }
  }
  if (result.started_texts != game_runs || result.ended_texts != game_runs) {
    problem(result, "the game ran " + std::to_string(game_runs) + " times; starts told " +
                        std::to_string(result.started_texts) + ", ends told " + std::to_string(result.ended_texts));
  }
}

}  // namespace

CheckResult check_exports(const std::vector<SeriesRecord>& series, const fs::path& log_folder,
                          const std::string& watcher_output, int game_runs) {
  CheckResult result;
  check_output(watcher_output, game_runs, result);

  // Export texts can be told apart by content: every series starts at its
  // own game time, and its lines begin with their entry times.
  std::multimap<std::string, std::size_t> series_by_text;
  for (std::size_t i = 0; i < series.size(); ++i) series_by_text.emplace(series[i].expected_export, i);
  std::vector<int> files_of_series(series.size(), 0);
  std::vector<std::string> unmatched;

  std::error_code error;
  for (const auto& entry : fs::directory_iterator(log_folder, error)) {
    const std::string name = entry.path().filename().string();
    if (!is_export_file(name)) continue;
    ++result.export_files;
    const std::string text = file_text(entry.path());
    if (text.empty()) {
      ++result.empty_export_files;
      continue;
    }
    const auto match = series_by_text.find(text);
    if (match == series_by_text.end()) {
      unmatched.push_back(name);
      continue;
    }
    ++files_of_series[match->second];
    result.exported_entries += line_count(text);
  }
  if (error) problem(result, "cannot list " + log_folder.string() + ": " + error.message());

  for (std::size_t i = 0; i < series.size(); ++i) {
    if (files_of_series[i] > 1) ++result.series_with_two_files;
    if (files_of_series[i] > 0) continue;
    // Say how much of it did reach an export file, if any.
    std::string detail = "no export file holds all of " + describe(series[i], i);
    for (const std::string& name : unmatched) {
      const std::string text = file_text(log_folder / name);
      if (series[i].expected_export.starts_with(text)) {
        detail += "; " + name + " holds its first " + std::to_string(line_count(text)) + " entries";
      }
    }
    problem(result, detail);
  }
  for (const std::string& name : unmatched) {
    const std::string text = file_text(log_folder / name);
    problem(result, name + " (" + std::to_string(line_count(text)) +
                        " lines) is the whole of no series, first line: " + text.substr(0, text.find('\n') + 1));
  }
  return result;
}

}  // namespace tellwick::gamesim
