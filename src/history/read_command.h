// The reading command of the headless tool: its option values turned into
// a filter, and the export files it reads when none are named.
#pragma once

#include <string>
#include <vector>

#include "history/history_printer.h"

namespace tellwick {

// Option values as given on the command line, in UTF-8.
struct ReadArguments {
  std::vector<std::string> channels;  // each --channel value: names and groups, comma-separated
  bool has_since = false;
  std::string since;
  bool has_until = false;
  std::string until;
  bool has_sender = false;
  std::string sender;
  bool has_grep = false;
  std::string grep;
};

// False, with a one-line reason in `error`, for a value that cannot be used.
bool make_history_filter(const ReadArguments& arguments, HistoryFilter& filter, std::string& error);

// Reads the named export files in the order given, or with none every
// export file of `log_folder`, oldest first; then hands out the rest of the
// printer's buffer.
void read_export_history(HistoryPrinter& printer, const std::vector<std::u16string>& files,
                         const std::u16string& log_folder);

// Reads the chunk series of a character folder; then hands out the rest.
void read_chunk_history(HistoryPrinter& printer, const std::u16string& character_folder);

}  // namespace tellwick
