// What the history window can show: the character's chunk series as the
// game holds it now, and every export file of the log folder, newest first.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_printer.h"
#include "history/history_session.h"

namespace tellwick {

struct HistorySource {
  bool current_log = false;  // the chunk series of `path`, a character folder
  std::u16string path;       // otherwise an export file
};

// The current log of the character folder first, then the log folder's
// export files, newest first. `listed` is false when the log folder could
// not be listed (the current log is there all the same).
std::vector<HistorySource> history_sources(const std::u16string& character_folder, const std::u16string& log_folder,
                                           bool& listed);

// "2024/05/01 21:07" for "2024.05.01.2107.log", "2024/05/01 21:07 (2)" for
// "…_2.log" (a path or a name): the time the series began, as the name keeps it.
std::u16string export_file_label(std::u16string_view name);

// "1,234,567".
std::u16string grouped_number(std::size_t n);

// The label with the number of entries: "2024/05/01 21:07  1,234件".
std::u16string counted_label(std::u16string_view label, std::size_t entries);

// Prints the source's entries and tells its bad input; messages go to the
// printer's message sink.
void read_history_source(HistoryPrinter& printer, const HistorySource& source);

// The number of entries a reading of the export file shows. `stop` is
// looked at between entries.
std::size_t count_source_entries(const HistorySource& source, const std::atomic<bool>* stop = nullptr);

}  // namespace tellwick
