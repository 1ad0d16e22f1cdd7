#include "history/read_command.h"

#include "history/history_reader.h"
#include "platform/system_error.h"

namespace tellwick {
namespace {

constexpr char kDateForms[] = "YYYY-MM-DD or \"YYYY-MM-DD HH:MM\", local time, from 1970";

bool date_option(const char* option, const std::string& value, bool end, std::int64_t& unix_seconds,
                 std::string& error) {
  if (parse_local_date(value, end, unix_seconds)) return true;
  error = std::string(option) + ": not a date: " + value + " (" + kDateForms + ")";
  return false;
}

}  // namespace

bool make_history_filter(const ReadArguments& arguments, HistoryFilter& filter, std::string& error) {
  filter = HistoryFilter{};
  for (const std::string& list : arguments.channels) {
    std::string unknown;
    if (!add_channel_filter(list, filter, unknown)) {
      error = "--channel: no channel or group is named \"" + unknown +
              "\" (names as the history prints them, a hex number such as 0x3E, or chat, battle)";
      return false;
    }
  }
  if (arguments.has_since && !date_option("--since", arguments.since, false, filter.since, error)) return false;
  if (arguments.has_until && !date_option("--until", arguments.until, true, filter.until, error)) return false;
  if (arguments.has_sender) set_sender_filter(arguments.sender, filter);
  if (arguments.has_grep) set_text_filter(arguments.grep, filter);
  return true;
}

void read_export_history(HistoryPrinter& printer, const std::vector<std::u16string>& files,
                         const std::u16string& log_folder) {
  std::vector<std::u16string> paths = files;
  if (paths.empty() && !export_files_in(log_folder, paths)) {
    const std::string reason = utf8_of(system_error_text(last_system_error()));
    report(printer, utf8_of(log_folder) + ": the log folder cannot be read, " + reason + "; no history to show");
  }
  for (const std::u16string& path : paths) {
    if (printer.stopped) break;
    read_export_file(printer, path);
  }
  flush_history(printer);
}

void read_chunk_history(HistoryPrinter& printer, const std::u16string& character_folder) {
  read_chunk_series(printer, character_folder);
  flush_history(printer);
}

}  // namespace tellwick
