// tellwick-export: the exporter without a window, for tools, tests and
// players who run the game under Wine. It works in the current folder exactly
// as the program does: same settings file, same keys, same log folder.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <chrono>
#include <thread>

#include "cli/console_output.h"
#include "export/export_run.h"
#include "gamelog/game_folder_choice.h"
#include "gamelog/game_folders.h"
#include "history/read_command.h"
#include "materia/dropped_file.h"
#include "platform/encoding.h"
#include "platform/file.h"
#include "platform/interrupt.h"
#include "settings/game_dir_setting.h"
#include "settings/settings.h"
#include "watch/watch_cycle.h"

namespace tellwick {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr char16_t kUsage[] =
    u"usage: tellwick-export [--game-dir DIR] [--auto] CHARACTER | [--game-dir DIR] --list | --drop FILE"
    u" | [--game-dir DIR] --watch [--interval SECONDS]"
    u" | --read [filters] [FILE...] | [--game-dir DIR] --read --chunks CHARACTER [filters];"
    u" filters: --channel NAME[,NAME...] --since DATE --until DATE --sender TEXT --grep TEXT --json\n";

enum class Command { kExport, kList, kDrop, kWatch, kRead };

struct Options {
  Command command = Command::kExport;
  bool automatic = false;
  bool has_game_dir = false;
  std::u16string game_dir;
  std::u16string drop_file;
  bool has_interval = false;
  int interval_seconds = 10;
  std::vector<std::u16string> positional;
  bool chunks = false;
  bool json = false;
  bool has_read_filter = false;
  ReadArguments read;
};

std::string utf8_of(const std::u16string& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(utf16_to_utf8(text.data(), text.size(), out.data(), out.size()));
  return out;
}

// The filters of --read, each given at most once (--channel may repeat).
bool parse_read_filter(const std::u16string& option, const std::u16string& value, ReadArguments& r) {
  auto take = [&](bool& has, std::string& text) {
    if (has) return false;
    has = true;
    text = utf8_of(value);
    return true;
  };
  if (option == u"--channel") {
    r.channels.push_back(utf8_of(value));
    return true;
  }
  if (option == u"--since") return take(r.has_since, r.since);
  if (option == u"--until") return take(r.has_until, r.until);
  if (option == u"--sender") return take(r.has_sender, r.sender);
  return take(r.has_grep, r.grep);
}

bool is_read_filter(const std::u16string& a) {
  return a == u"--channel" || a == u"--since" || a == u"--until" || a == u"--sender" || a == u"--grep";
}

bool parse_seconds(const std::u16string& text, int& seconds) {
  if (text.empty() || text.size() > 6) return false;
  int value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
  }
  if (value < 1) return false;
  seconds = value;
  return true;
}

bool parse(const std::vector<std::u16string>& args, Options& o) {
  bool list = false, drop = false, watch = false, read = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::u16string& a = args[i];
    const bool has_value = i + 1 < args.size();
    if (a == u"--game-dir" && has_value && !o.has_game_dir) {
      o.has_game_dir = true;
      o.game_dir = args[++i];
    } else if (a == u"--auto" && !o.automatic) {
      o.automatic = true;
    } else if (a == u"--list" && !list) {
      list = true;
    } else if (a == u"--drop" && has_value && !drop) {
      drop = true;
      o.drop_file = args[++i];
    } else if (a == u"--watch" && !watch) {
      watch = true;
    } else if (a == u"--interval" && has_value && !o.has_interval) {
      o.has_interval = true;
      if (!parse_seconds(args[++i], o.interval_seconds)) return false;
    } else if (a == u"--read" && !read) {
      read = true;
    } else if (a == u"--chunks" && !o.chunks) {
      o.chunks = true;
    } else if (a == u"--json" && !o.json) {
      o.json = true;
    } else if (is_read_filter(a) && has_value) {
      o.has_read_filter = true;
      if (!parse_read_filter(a, args[++i], o.read)) return false;
    } else if (!a.empty() && a[0] == u'-') {
      return false;
    } else {
      o.positional.push_back(a);
    }
  }
  if (list + drop + watch + read > 1) return false;
  if (o.has_interval && !watch) return false;
  if (!read && (o.chunks || o.json || o.has_read_filter)) return false;
  if (read) {
    o.command = Command::kRead;
    if (o.automatic) return false;
    if (o.chunks) return o.positional.size() == 1 && !o.positional[0].empty();
    return !o.has_game_dir;
  }
  if (list || watch) {
    o.command = list ? Command::kList : Command::kWatch;
    return o.positional.empty() && !o.automatic;
  }
  if (drop) {
    o.command = Command::kDrop;
    return o.positional.empty() && !o.automatic && !o.has_game_dir;
  }
  return o.positional.size() == 1 && !o.positional[0].empty();
}

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

int export_one(const std::u16string& character, bool automatic, const Settings& settings) {
  install_ending_handler();     // an export cut short leaves no temporary file
  std::u16string told_failure;  // one export: nothing told before it
  run_export(character.c_str(), settings, automatic ? kAutomaticExport : kManualExport, console_reports(),
             told_failure);
  return kExitOk;
}

// Sleeps in short steps so that Ctrl+C between cycles ends the loop at once.
void wait_seconds(int seconds) {
  constexpr auto kStep = std::chrono::milliseconds(100);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!interrupt_requested() && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(kStep);
}

// The window's watch timer without the window: the same cycle, the period
// counted from the end of one cycle to the start of the next.
int watch(int interval_seconds, const Settings& settings) {
  install_interrupt_handler();
  auto table = std::make_unique<CharacterTable>();
  enumerate_character_folders(game_user_folder_path(), *table);
  WatchState state;
  state.watched_character = active_character(*table);
  for (;;) {
    wait_seconds(interval_seconds);
    if (interrupt_requested()) return kExitOk;
    if (settings.watch_enabled) watch_cycle(state, *table, settings, console_reports());
  }
}

int read_history(const Options& options, const Settings& settings) {
  HistoryPrinter printer;
  std::string error;
  if (!make_history_filter(options.read, printer.filter, error)) {
    write_stderr_line("usage: " + error);
    return kExitUsage;
  }
  printer.format = options.json ? HistoryFormat::kJson : HistoryFormat::kText;
  printer.sinks.history = write_stdout_bytes;
  printer.sinks.message = [](std::string_view message) { write_stderr_line(message); };
  if (options.chunks) {
    read_chunk_history(printer, game_user_folder_path(options.positional[0].c_str()));
  } else {
    read_export_history(printer, options.positional, settings.log_folder);
  }
  return kExitOk;
}

int run(const std::vector<std::u16string>& args) {
  set_up_console();
  Options options;
  if (!parse(args, options)) {
    write_stderr_utf8(kUsage);
    return kExitUsage;
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
  for (int i = 1; i < argc; ++i) {
    const std::string arg(argv[i]);
    std::u16string wide(arg.size(), u'\0');
    wide.resize(tellwick::utf8_to_utf16(arg.c_str(), arg.size(), wide.data(), wide.size()));
    args.push_back(wide);
  }
  return tellwick::run(args);
}
#endif
