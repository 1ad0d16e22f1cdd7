#include "cli/command_line.h"

#include "platform/encoding.h"

namespace tellwick {
namespace {

constexpr char kProgram[] = "tellwick-export";
// Six digits hold more than a day of seconds; more is a typing mistake.
constexpr std::size_t kMaxIntervalDigits = 6;

constexpr char kHelp[] =
    "usage:\n"
    "  tellwick-export [--game-dir DIR] [--auto] CHARACTER\n"
    "  tellwick-export [--game-dir DIR] --list\n"
    "  tellwick-export --drop FILE\n"
    "  tellwick-export [--game-dir DIR] --watch [--interval SECONDS]\n"
    "  tellwick-export --read [filters] [FILE...]\n"
    "  tellwick-export [--game-dir DIR] --read --chunks CHARACTER [filters]\n"
    "\n"
    "Works in the current folder as Tellwick does: its settings in tellwick.ini,\n"
    "its exports in the log folder (log/ unless LOGDIR says otherwise).\n"
    "\n"
    "Commands:\n"
    "  CHARACTER              export that character folder (FFXIV_CHR...) now, as the extract button does\n"
    "  --auto CHARACTER       export it only when the game wrote to it since the last export\n"
    "  --list                 the character folders, one a line; the active one marked \" *\"\n"
    "  --drop FILE            try the materia detector on the lines of a text file (results on stderr)\n"
    "  --watch                export the active character whenever the game writes to it, until Ctrl+C\n"
    "  --read [FILE...]       print the history of the named export files, or of every export in the log folder\n"
    "  --chunks CHARACTER     with --read: the history the game holds now for that character, exported or not\n"
    "  -h, --help             this help\n"
    "  --version              the version\n"
    "\n"
    "Options:\n"
    "  --game-dir DIR         the game's user folder, instead of GAMEDIR in tellwick.ini or the search\n"
    "  --interval SECONDS     with --watch: seconds between the end of one cycle and the next (default 10)\n"
    "\n"
    "Filters (with --read; an entry is shown when it passes all of them):\n"
    "  --channel NAME[,NAME]  only these channels (Say, Party, TellIncoming, 0x3E, ...) or groups (chat,\n"
    "                         battle); any case; may be repeated\n"
    "  --since DATE           only entries from DATE on: YYYY-MM-DD or \"YYYY-MM-DD HH:MM\", local time\n"
    "  --until DATE           only entries up to DATE, that day or minute included\n"
    "  --sender TEXT          only entries whose sender contains TEXT (ASCII letters in any case)\n"
    "  --grep TEXT            only entries whose message contains TEXT (ASCII letters in any case)\n"
    "  --json                 one JSON object a line: time, unix, channel, code, sender, message\n"
    "\n"
    "Standard output receives the status texts (or the history, or the list) as UTF-8; standard error\n"
    "the diagnostic output and what went wrong. Exit status: 0 when everything was written, 1 when an\n"
    "export file, a recipe file, the settings file or standard output could not be written, 2 for a\n"
    "command line that cannot run.\n"
    "\n"
    "Examples:\n"
    "  tellwick-export --list\n"
    "  tellwick-export FFXIV_CHR0040000001A2B3C4D\n"
    "  tellwick-export --game-dir ~/.xlcore/ffxivConfig --watch --interval 30\n"
    "  tellwick-export --read --channel party --since 2024-05-01\n"
    "  tellwick-export --read --json --sender \"Aaa Bbb\" log/2014.03.05.2107.log\n";

std::string utf8_of(const std::u16string& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(utf16_to_utf8(text.data(), text.size(), out.data(), out.size()));
  return out;
}

bool is_read_filter(const std::u16string& a) {
  return a == u"--channel" || a == u"--since" || a == u"--until" || a == u"--sender" || a == u"--grep";
}

// What each option that takes a value calls it, for "missing argument".
const char* value_name(const std::u16string& option) {
  if (option == u"--game-dir") return "DIR";
  if (option == u"--drop") return "FILE";
  if (option == u"--interval") return "SECONDS";
  if (option == u"--channel") return "NAME";
  if (option == u"--since" || option == u"--until") return "DATE";
  return "TEXT";
}

bool takes_value(const std::u16string& a) {
  return a == u"--game-dir" || a == u"--drop" || a == u"--interval" || is_read_filter(a);
}

bool parse_seconds(const std::u16string& text, int& seconds) {
  if (text.empty() || text.size() > kMaxIntervalDigits) return false;
  int value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
  }
  if (value < 1) return false;
  seconds = value;
  return true;
}

// The filters of --read; each but --channel at most once.
bool take_read_filter(const std::u16string& option, const std::u16string& value, ReadArguments& r) {
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

// The options as given, before the combination is checked.
struct Seen {
  bool list = false, drop = false, watch = false, read = false, help = false, version = false;
  std::vector<std::string> commands;  // in the order given
  std::string read_only;              // the first option given that only --read takes
};

// Whether the options given go together, and which command they make.
bool check_combination(const Seen& seen, CommandLine& o, std::string& error) {
  if (seen.commands.size() > 1) {
    error = seen.commands[0] + " and " + seen.commands[1] + " cannot be used together";
    return false;
  }
  const std::string command = seen.commands.empty() ? "an export" : seen.commands[0];
  if (o.has_interval && !seen.watch) {
    error = "--interval goes only with --watch";
    return false;
  }
  if (!seen.read && !seen.read_only.empty()) {
    error = seen.read_only + " goes only with --read";
    return false;
  }
  if (o.automatic && (seen.list || seen.drop || seen.watch || seen.read)) {
    error = "--auto cannot be used with " + command;
    return false;
  }
  if (o.has_game_dir && (seen.drop || (seen.read && !o.chunks))) {
    error =
        seen.drop ? "--game-dir cannot be used with --drop" : "--game-dir goes with --read only together with --chunks";
    return false;
  }
  std::size_t wanted = 0;  // positional arguments the command takes
  if (seen.read) {
    o.command = Command::kRead;
    wanted = o.chunks ? 1 : o.positional.size();
  } else if (seen.list || seen.watch || seen.drop) {
    o.command = seen.list ? Command::kList : seen.watch ? Command::kWatch : Command::kDrop;
  } else {
    wanted = 1;
  }
  if (o.positional.size() > wanted) {
    error = "extra argument: " + utf8_of(o.positional[wanted]);
    return false;
  }
  if (o.positional.size() < wanted) {
    error = o.chunks ? "--chunks needs a CHARACTER" : "missing CHARACTER, a character folder name (FFXIV_CHR...)";
    return false;
  }
  // A file of --read may be named anything; a character folder never "".
  if ((o.command == Command::kExport || o.chunks) && o.positional[0].empty()) {
    error = "CHARACTER is empty";
    return false;
  }
  return true;
}

}  // namespace

bool parse_command_line(const std::vector<std::u16string>& args, CommandLine& o, std::string& error) {
  Seen seen;
  error.clear();
  auto fail = [&](const std::string& what) {
    if (error.empty()) error = what;
  };
  auto once = [&](bool& flag, const std::u16string& option) {
    if (flag) fail(utf8_of(option) + " is given twice");
    flag = true;
  };
  auto command = [&](bool& flag, const std::u16string& option) {
    once(flag, option);
    seen.commands.push_back(utf8_of(option));
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::u16string& a = args[i];
    if (takes_value(a)) {
      if (i + 1 >= args.size()) {
        fail(utf8_of(a) + ": missing argument " + value_name(a));
        continue;
      }
      const std::u16string& value = args[++i];
      if (a == u"--game-dir") {
        once(o.has_game_dir, a);
        o.game_dir = value;
      } else if (a == u"--drop") {
        command(seen.drop, a);
        o.drop_file = value;
      } else if (a == u"--interval") {
        once(o.has_interval, a);
        if (!parse_seconds(value, o.interval_seconds)) {
          fail("--interval: not a whole number of seconds, at least 1: " + utf8_of(value));
        }
      } else {
        if (seen.read_only.empty()) seen.read_only = utf8_of(a);
        if (!take_read_filter(a, value, o.read)) fail(utf8_of(a) + " is given twice");
      }
    } else if (a == u"--help" || a == u"-h") {
      seen.help = true;
    } else if (a == u"--version") {
      seen.version = true;
    } else if (a == u"--auto") {
      once(o.automatic, a);
    } else if (a == u"--list") {
      command(seen.list, a);
    } else if (a == u"--watch") {
      command(seen.watch, a);
    } else if (a == u"--read") {
      command(seen.read, a);
    } else if (a == u"--chunks" || a == u"--json") {
      once(a == u"--chunks" ? o.chunks : o.json, a);
      if (seen.read_only.empty()) seen.read_only = utf8_of(a);
    } else if (!a.empty() && a[0] == u'-') {
      fail("unknown option " + utf8_of(a));
    } else {
      o.positional.push_back(a);
    }
  }
  if (seen.help || seen.version) {
    o.command = seen.help ? Command::kHelp : Command::kVersion;
    error.clear();
    return true;
  }
  if (!error.empty()) return false;
  return check_combination(seen, o, error);
}

std::string usage_error_text(const std::string& error) {
  return std::string(kProgram) + ": " + error + "; see " + kProgram + " --help";
}

const char* help_text() { return kHelp; }

std::string version_text() { return std::string(kProgram) + " " + TELLWICK_VERSION + "\n"; }

}  // namespace tellwick
