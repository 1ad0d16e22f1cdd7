// tellwick-export's command line: what it asks for, what is wrong with it,
// and the texts that explain it (--help, --version).
#pragma once

#include <string>
#include <vector>

#include "history/read_command.h"
#include "watch/watch_cycle.h"

namespace tellwick {

enum class Command { kExport, kList, kDrop, kWatch, kRead, kHelp, kVersion };

constexpr int kDefaultWatchSeconds = kWatchIntervalMs / 1000;

struct CommandLine {
  Command command = Command::kExport;
  bool automatic = false;
  bool has_game_dir = false;
  std::u16string game_dir;
  std::u16string drop_file;
  bool has_interval = false;
  int interval_seconds = kDefaultWatchSeconds;
  std::vector<std::u16string> positional;  // CHARACTER, or the files --read reads
  bool chunks = false;
  bool json = false;
  ReadArguments read;
};

// False, with the first thing wrong in `error` (one line naming the option
// or argument, without the hint), for a command line that cannot run.
// --help, -h and --version win over anything else on the line, so that a
// player who asks for help gets it whatever else was typed.
bool parse_command_line(const std::vector<std::u16string>& args, CommandLine& line, std::string& error);

// The line a usage error prints on standard error, without its line end.
std::string usage_error_text(const std::string& error);

// Every command, option and filter with a line each, and examples ("\n" line ends).
const char* help_text();
// "tellwick-export 1.2.3\n".
std::string version_text();

}  // namespace tellwick
