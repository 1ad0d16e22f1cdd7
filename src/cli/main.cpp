// tellwick-export: the exporter without a window, for tools, tests and
// players who run the game under Wine. It works in the current folder exactly
// as the program does: same settings file, same keys, same log folder.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <chrono>
#include <thread>

#include "cli/command_line.h"
#include "cli/console_output.h"
#include "export/export_run.h"
#include "gamelog/game_folder_choice.h"
#include "gamelog/game_folders.h"
#include "history/read_command.h"
#include "materia/dropped_file.h"
#include "platform/encoding.h"
#include "platform/file.h"
#include "platform/interrupt.h"
#include "platform/path.h"
#include "settings/game_dir_setting.h"
#include "settings/settings.h"
#include "watch/watch_cycle.h"

namespace tellwick {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotWritten = 1;  // an export's file, the settings file or standard output
constexpr int kExitUsage = 2;

int list_characters() {
  auto table = std::make_unique<CharacterTable>();
  enumerate_character_folders(game_user_folder_path(), *table);
  const std::u16string active = active_character(*table);
  for (int i = 0; i < table->count; ++i) {
    std::u16string line = table->names[i];
    if (line == active) line += u" *";
    write_stdout_utf8((line + u"\n").c_str());
  }
  return kExitOk;
}

// The exporter told the failure as the window does, and its reason on
// standard error; the exit status tells it to the caller.
int export_one(const std::u16string& character, bool automatic, const Settings& settings) {
  install_ending_handler();     // an export cut short leaves no temporary file
  std::u16string told_failure;  // one export: nothing told before it
  const ExportResult result = run_export(character.c_str(), settings, automatic ? kAutomaticExport : kManualExport,
                                         console_reports(), told_failure);
  return result.failed_path.empty() ? kExitOk : kExitNotWritten;
}

// Sleeps in short steps so that Ctrl+C between cycles ends the loop at once.
void wait_seconds(int seconds) {
  constexpr auto kStep = std::chrono::milliseconds(100);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!interrupt_requested() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(kStep);
}

// The window's watch timer without the window: the same cycle, the period
// counted from the end of one cycle to the start of the next. An export
// that failed once makes the whole watch end with kExitNotWritten, even when
// a later one saved the series: a failure told in the night stays known.
int watch(int interval_seconds, const Settings& settings) {
  install_interrupt_handler();
  tell_closed_standard_output();
  auto table = std::make_unique<CharacterTable>();
  enumerate_character_folders(game_user_folder_path(), *table);
  WatchState state;
  state.watched_character = active_character(*table);
  bool all_saved = true;
  for (;;) {
    wait_seconds(interval_seconds);
    if (interrupt_requested()) return all_saved ? kExitOk : kExitNotWritten;
    if (settings.watch_enabled && !watch_cycle(state, *table, settings, console_reports())) all_saved = false;
  }
}

int read_history(const CommandLine& options, const Settings& settings) {
  HistoryPrinter printer;
  std::string error;
  if (!make_history_filter(options.read, printer.filter, error)) {
    write_stderr_line(usage_error_text(error));
    return kExitUsage;
  }
  printer.format = options.json ? HistoryFormat::kJson : HistoryFormat::kText;
  printer.sinks.history = [&printer](std::string_view text) {
    write_stdout_bytes(text);
    if (!standard_output_open()) printer.stopped = true;
  };
  printer.sinks.message = [](std::string_view message) { write_stderr_line(message); };
  if (options.chunks) {
    read_chunk_history(printer, game_user_folder_path(options.positional[0].c_str()));
  } else {
    read_export_history(printer, options.positional, settings.log_folder);
  }
  return kExitOk;
}

int run_command(const std::vector<std::u16string>& args) {
  CommandLine options;
  std::string error;
  if (!parse_command_line(args, options, error)) {
    write_stderr_line(usage_error_text(error));
    return kExitUsage;
  }
  if (options.command == Command::kHelp || options.command == Command::kVersion) {
    write_stdout_bytes(options.command == Command::kHelp ? help_text() : version_text());
    return kExitOk;
  }
  if (options.command == Command::kDrop) {
    // --drop reads no settings file: duplicates are not kept.
    dropped_file_test(options.drop_file.c_str(), false, console_reports());
    return kExitOk;
  }
  const Settings settings = load_settings();
  // Reading export files back needs no game folder: nothing to search or tell.
  if (options.has_game_dir) {
    set_game_user_folder_override(options.game_dir);
  } else if (options.command != Command::kRead || options.chunks) {
    set_game_user_folder_override(choose_game_user_folder(read_game_dir_setting(), console_reports()));
  }
  switch (options.command) {
    case Command::kList: return list_characters();
    case Command::kWatch: return watch(options.interval_seconds, settings);
    case Command::kRead: return read_history(options, settings);
    default: return export_one(options.positional[0], options.automatic, settings);
  }
}

int run(const std::vector<std::u16string>& args) {
  set_up_console();
  const int status = run_command(args);
  const bool output_whole = finish_standard_output();
  return status == kExitOk && !output_whole ? kExitNotWritten : status;
}

}  // namespace
}  // namespace tellwick

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::u16string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
  return tellwick::run(args);
}
#else
int main(int argc, char** argv) {
  std::vector<std::u16string> args;
  // Any argument may name a file, whatever bytes its name holds.
  for (int i = 1; i < argc; ++i) args.push_back(tellwick::path_from_native(argv[i]));
  return tellwick::run(args);
}
#endif
