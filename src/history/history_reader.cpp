#include "history/history_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "gamelog/chunk_series.h"
#include "gamelog/chunk_view.h"
#include "gamelog/entry_line.h"
#include "gamelog/game_folders.h"
#include "history/entry_text.h"
#include "history/export_lines.h"
#include "history/export_pieces.h"
#include "history/export_text.h"
#include "history/utf8_repair.h"
#include "platform/encoding.h"
#include "platform/file.h"
#include "platform/system_error.h"

namespace tellwick {
namespace {

constexpr std::u16string_view kExtension = u".log";
constexpr std::size_t kStemLength = 15;  // YYYY.MM.DD.hhmm
constexpr std::size_t kMaxNameNumberDigits = 4;

bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }

// The number after "_" in "…hhmm_N.log"; 1 for the plain name.
int name_number(std::u16string_view name) {
  int number = 1;
  if (name.size() > kStemLength + kExtension.size()) {
    number = 0;
    for (std::size_t i = kStemLength + 1; i < name.size() - kExtension.size(); ++i)
      number = number * 10 + (name[i] - u'0');
  }
  return number;
}

std::string count_text(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string utf8_of(std::u16string_view text) {
  std::string out(text.size() * 3, '\0');
  out.resize(utf16_to_utf8(text.data(), text.size(), out.data(), out.size()));
  return out;
}

bool is_export_file_name(std::u16string_view name) {
  // YYYY.MM.DD.hhmm
  static constexpr char kShape[] = "dddd.dd.dd.dddd";
  if (name.size() < kStemLength + kExtension.size() || name.substr(name.size() - kExtension.size()) != kExtension) {
    return false;
  }
  for (std::size_t i = 0; i < kStemLength; ++i) {
    if (kShape[i] == 'd' ? !is_digit(name[i]) : name[i] != u'.') return false;
  }
  const std::u16string_view rest = name.substr(kStemLength, name.size() - kStemLength - kExtension.size());
  if (rest.empty()) return true;
  // "_N": N from 2, without leading zeros, as the exporter numbers them.
  if (rest[0] != u'_' || rest.size() < 2 || rest.size() > 1 + kMaxNameNumberDigits || rest[1] == u'0') return false;
  if (!std::all_of(rest.begin() + 1, rest.end(), is_digit)) return false;
  return rest != u"_1";
}

bool export_files_in(const std::u16string& log_folder, std::vector<std::u16string>& paths) {
  std::vector<DirectoryEntry> entries;
  if (!list_directory(log_folder.c_str(), entries)) return false;
  std::vector<std::u16string> names;
  for (const DirectoryEntry& e : entries) {
    if (!e.is_directory && is_export_file_name(e.name)) names.push_back(e.name);
  }
  std::sort(names.begin(), names.end(), [](const std::u16string& a, const std::u16string& b) {
    const int stem = a.compare(0, kStemLength, b, 0, kStemLength);
    return stem != 0 ? stem < 0 : name_number(a) < name_number(b);
  });
  for (const std::u16string& name : names) paths.push_back(log_folder + name);
  return true;
}

void read_export_bytes(HistoryPrinter& printer, std::string_view name, const std::uint8_t* data, std::size_t size,
                       std::size_t piece_size) {
  const ReadAt read_at = [data, size](std::uint64_t offset, std::uint8_t* buffer, std::size_t capacity,
                                      std::size_t& got) {
    got = offset < size ? std::min<std::size_t>(capacity, size - static_cast<std::size_t>(offset)) : 0;
    if (got > 0) std::memcpy(buffer, data + offset, got);
    return true;
  };
  read_export_pieces(printer, name, read_at, piece_size);
}

void read_export_file(HistoryPrinter& printer, const std::u16string& path) {
  if (is_directory(path.c_str())) {
    report(printer, utf8_of(path) + ": cannot be read (a folder); skipped");
    return;
  }
  const FileHandle file = open_input_file(path.c_str());
  const ReadAt read_at = [file](std::uint64_t offset, std::uint8_t* buffer, std::size_t capacity, std::size_t& got) {
    return read_file_at(file, offset, buffer, capacity, got);
  };
  if (file == kNoFile || !read_export_pieces(printer, utf8_of(path), read_at)) {
    const std::string reason = utf8_of(system_error_text(last_system_error()));
    if (file != kNoFile) close_file(file);
    report(printer, utf8_of(path) + ": cannot be read, " + reason + "; skipped");
    return;
  }
  close_file(file);
}

void read_chunk_bytes(HistoryPrinter& printer, std::string_view name, const std::uint8_t* data, std::size_t size) {
  ChunkView view;
  if (!open_chunk_view(data, size, view)) return;
  char line[kEntryLineCapacity];
  std::string readable;
  std::string repaired;
  std::size_t replaced = 0;
  for (std::uint32_t k = 0; k < view.entry_count && !printer.stopped; ++k) {
    ChunkEntry entry;
    if (!chunk_entry(view, k, entry)) continue;
    const std::size_t line_length = build_entry_line(entry.bytes, entry.length, line);
    readable.clear();
    append_with_raw_sequences(line + kEntryLinePrefix, line_length - kEntryLinePrefix, readable);
    std::string_view text = readable;
    if (first_invalid_utf8(text) != text.size()) {
      repaired.clear();
      replaced += append_repaired_utf8(text, repaired);
      text = repaired;
    }
    // The code as the export file would show it: its first four hex digits.
    std::uint32_t time, code;
    read_entry_prefix(std::string_view(line, line_length), time, code);
    print_entry(printer, time, code, text, false);
  }
  if (replaced > 0) {
    report(printer, std::string(name) + ": " +
                        count_text(replaced, "ill-formed UTF-8 sequence", "ill-formed UTF-8 sequences") +
                        " shown as U+FFFD");
  }
}

void read_chunk_series(HistoryPrinter& printer, const std::u16string& character_folder) {
  const std::u16string chunk0 = chunk_file_path(character_folder, 0);
  FileTime chunk0_time = 0;
  if (!file_write_time(chunk0.c_str(), chunk0_time)) {
    report(printer, utf8_of(chunk0) + ": no chunk file 0; nothing to read");
    return;
  }
  ChunkSeries series = start_chunk_series(character_folder, chunk0_time);
  while (!printer.stopped) {
    ChunkFile file;
    const std::u16string path = next_chunk_path(series);
    const SeriesStep step = read_next_chunk(series, file);
    if (series.end == SeriesEnd::kUnreadable) {
      report(printer, utf8_of(path) + ": cannot be read (the game may be writing it), " +
                          utf8_of(system_error_text(file.read_error)) + "; the series ends before it");
    }
    if (step == SeriesStep::kEnded) break;
    read_chunk_bytes(printer, utf8_of(path), file.contents.data.get(), file.contents.size);
    if (step == SeriesStep::kTakeAndEnd) break;
  }
}

}  // namespace tellwick
