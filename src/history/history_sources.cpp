#include "history/history_sources.h"

#include "history/history_reader.h"

namespace tellwick {
namespace {

constexpr std::size_t kStemLength = 15;  // YYYY.MM.DD.hhmm
constexpr std::u16string_view kExtension = u".log";

std::u16string_view file_name_of(std::u16string_view path) {
  const std::size_t cut = path.find_last_of(u"/\\");
  return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::vector<HistorySource> history_sources(const std::u16string& character_folder, const std::u16string& log_folder,
                                           bool& listed) {
  std::vector<HistorySource> sources;
  sources.push_back(HistorySource{true, character_folder});
  std::vector<std::u16string> paths;
  listed = export_files_in(log_folder, paths);
  for (auto p = paths.rbegin(); p != paths.rend(); ++p) sources.push_back(HistorySource{false, *p});
  return sources;
}

std::u16string export_file_label(std::u16string_view path) {
  const std::u16string_view name = file_name_of(path);
  if (!is_export_file_name(name)) return std::u16string(name);
  std::u16string label;
  label += name.substr(0, 4);
  label += u'/';
  label += name.substr(5, 2);
  label += u'/';
  label += name.substr(8, 2);
  label += u' ';
  label += name.substr(11, 2);
  label += u':';
  label += name.substr(13, 2);
  const std::u16string_view number = name.substr(kStemLength, name.size() - kStemLength - kExtension.size());
  if (!number.empty()) {
    label += u" (";
    label += number.substr(1);
    label += u')';
  }
  return label;
}

std::u16string grouped_number(std::size_t n) {
  const std::string digits = std::to_string(n);
  std::u16string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += u',';
    grouped += static_cast<char16_t>(digits[i]);
  }
  return grouped;
}

std::u16string counted_label(std::u16string_view label, std::size_t entries) {
  return std::u16string(label) + u"  " + grouped_number(entries) + u"件";
}

void read_history_source(HistoryPrinter& printer, const HistorySource& source) {
  if (source.current_log) {
    read_chunk_series(printer, source.path);
  } else {
    read_export_file(printer, source.path);
  }
  flush_history(printer);
}

std::size_t count_source_entries(const HistorySource& source, const std::atomic<bool>* stop) {
  HistoryPrinter printer;
  std::size_t count = 0;
  printer.sinks.entry = [&](std::uint32_t, std::uint32_t, std::string_view, std::string_view) {
    ++count;
    if (stop != nullptr && stop->load(std::memory_order_relaxed)) printer.stopped = true;
  };
  read_history_source(printer, source);
  return count;
}

}  // namespace tellwick
