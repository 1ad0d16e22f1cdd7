// The history window's model: sessions read from real chunk series and
// export files into memory, what its filters show, the rows' text as a
// reading prints it, the sources it offers, and what it keeps in the
// settings file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "chunkgen/chunk_series.h"
#include "gamelog/game_folders.h"
#include "history/channel_choices.h"
#include "history/history_reader.h"
#include "history/history_session.h"
#include "history/history_sources.h"
#include "history/read_command.h"
#include "history/session_view.h"
#include "settings/history_window_settings.h"
#include "support/chunk_files.h"
#include "support/current_dir.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::Entry;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
constexpr std::int64_t kChunk0Unix = 1394021260;
const FileTime kT0 = test::file_time_of_unix(kChunk0Unix);
constexpr std::uint32_t kTime = 0x5316F48C;

// A line break inside a message, as the game writes it.
const std::string kNewLine = "\x02\x10\x01\x03";

struct Loaded {
  HistorySession session;
  std::vector<std::string> messages;
};

void load(const HistorySource& source, Loaded& loaded) {
  HistoryPrinter printer;
  printer.sinks.message = [&](std::string_view m) { loaded.messages.emplace_back(m); };
  fill_session_through(printer, loaded.session);
  read_history_source(printer, source);
}

std::string printed(const HistorySource& source) {
  HistoryPrinter printer;
  std::string out;
  printer.sinks.history = [&](std::string_view s) { out += s; };
  read_history_source(printer, source);
  return out;
}

std::vector<std::uint32_t> all_rows(const HistorySession& session) {
  std::vector<std::uint32_t> rows(session.count);
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint32_t>(i);
  return rows;
}

class HistorySessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_ = dir_.path() / "game";
    fs::create_directories(dir_.path() / "work" / "log");
    cwd_ = std::make_unique<test::CurrentDirScope>(dir_.path() / "work");
    set_game_user_folder_override(game_.u16string());
  }
  void TearDown() override {
    set_game_user_folder_override(u"");
    cwd_.reset();
  }
  std::u16string character_folder() { return game_user_folder_path(kCharacter); }
  fs::path character_path() { return game_ / fs::path(std::u16string(kCharacter)); }
  std::u16string log_folder() { return (dir_.path() / "work" / "log").u16string() + u"/"; }
  void write_log(const std::string& name, const std::string& bytes) {
    test::write_bytes(dir_.path() / "work" / "log" / name, std::vector<unsigned char>(bytes.begin(), bytes.end()));
  }

  test::TempDir dir_;
  fs::path game_;
  std::unique_ptr<test::CurrentDirScope> cwd_;
};

TEST_F(HistorySessionTest, CurrentLogHoldsEachEntryWholeAndCopiesAsTheReadingPrints) {
  const std::vector<Entry> entries = {
      {kTime, 0x000A, ":Aaa Bbb:hello"},
      {kTime + 1, 0x000D, ":Ccc Ddd:こんにちは" + kNewLine + "二行目"},
      {kTime + 2, 0x0039, "::You sense something."},
      {kTime + 60, 0x0E, ":Eee Fff:PARTY time"},
  };
  test::write_chunk(character_path(), 0, test::chunk_bytes(0, entries), kT0);
  const HistorySource source{true, character_folder()};
  Loaded loaded;
  load(source, loaded);
  EXPECT_TRUE(loaded.messages.empty());
  ASSERT_EQ(loaded.session.count, 4u);

  const SessionEntry& second = session_entry(loaded.session, 1);
  EXPECT_EQ(second.time, kTime + 1);
  EXPECT_EQ(second.code, 0x000D);
  EXPECT_EQ(sender_of(loaded.session, second), "Ccc Ddd");
  // The message keeps its line break, for the detail pane.
  EXPECT_EQ(message_of(loaded.session, second), "こんにちは\n二行目");
  EXPECT_EQ(sender_of(loaded.session, session_entry(loaded.session, 2)), "");

  // Rows copied are the reading's own lines, line break shown as a space.
  const std::string expected = printed(source);
  EXPECT_EQ(session_text_lines(loaded.session, all_rows(loaded.session), "\n"), expected);
  std::string crlf = expected;
  for (std::size_t p = 0; (p = crlf.find('\n', p)) != std::string::npos; p += 2) crlf.replace(p, 1, "\r\n");
  EXPECT_EQ(session_text_lines(loaded.session, all_rows(loaded.session), "\r\n"), crlf);
  EXPECT_NE(expected.find("こんにちは 二行目"), std::string::npos);
  // Some rows, in the order given; an index past the end is skipped.
  const std::string one = session_text_lines(loaded.session, {3, 0, 99}, "\n");
  EXPECT_EQ(one, expected.substr(expected.rfind("\n", expected.size() - 2) + 1) +
                     expected.substr(0, expected.find('\n') + 1));
}

TEST_F(HistorySessionTest, ExportFilesAndGeneratedSeriesLoadAsTheyRead) {
  chunkgen::SeriesOptions options;
  options.game_folder = game_;
  options.character = fs::path(std::u16string(kCharacter)).string();
  options.entries = 5000;
  options.per_chunk = 900;
  options.shape = chunkgen::EntryShape::kRealShaped;
  chunkgen::SeriesSummary summary;
  std::string error;
  ASSERT_TRUE(chunkgen::write_chunk_series(options, summary, error)) << error;

  const HistorySource current{true, character_folder()};
  Loaded loaded;
  load(current, loaded);
  EXPECT_EQ(loaded.session.count, 5000u);
  EXPECT_EQ(session_text_lines(loaded.session, all_rows(loaded.session), "\n"), printed(current));
  EXPECT_EQ(count_source_entries(current), 5000u);

  // A damaged export file: what can be read is held, the fault is told.
  write_log("2014.03.05.2107.log", "stray line\r\n5316F48C000A:Aaa Bbb:one\r\n5316F48D000A:Aaa Bbb:\xFF two\r\n");
  const HistorySource file{false, log_folder() + u"2014.03.05.2107.log"};
  Loaded damaged;
  load(file, damaged);
  ASSERT_EQ(damaged.session.count, 2u);
  EXPECT_EQ(message_of(damaged.session, session_entry(damaged.session, 1)), "\xEF\xBF\xBD two");
  EXPECT_FALSE(damaged.messages.empty());
  EXPECT_EQ(session_text_lines(damaged.session, all_rows(damaged.session), "\n"), printed(file));

  // A file that cannot be read: told, nothing held.
  Loaded missing;
  load(HistorySource{false, log_folder() + u"2014.03.05.2108.log"}, missing);
  EXPECT_EQ(missing.session.count, 0u);
  ASSERT_EQ(missing.messages.size(), 1u);
  EXPECT_NE(missing.messages[0].find("2014.03.05.2108.log: cannot be read"), std::string::npos);
}

TEST_F(HistorySessionTest, BatchesJoinInOrderAndLongTextsStayWhole) {
  HistorySession whole;
  HistorySession batch;
  const std::string huge(kSessionTextBlock + 10, 'x');
  const std::string long_sender(kMaxSenderLength + 5, 's');
  add_session_entry(batch, 1, 0x0A, "a", "first");
  add_session_entry(batch, 2, 0x0B, "", huge);
  add_session_entry(batch, 3, 0x10C, long_sender, "after");
  for (int i = 0; i < 3; ++i) append_session(whole, batch);
  ASSERT_EQ(whole.count, 9u);
  for (std::size_t i = 0; i < 9; i += 3) {
    EXPECT_EQ(message_of(whole, session_entry(whole, i)), "first");
    EXPECT_EQ(message_of(whole, session_entry(whole, i + 1)), huge);
    EXPECT_EQ(sender_of(whole, session_entry(whole, i + 2)), long_sender.substr(0, kMaxSenderLength));
    EXPECT_EQ(message_of(whole, session_entry(whole, i + 2)), "after");
    EXPECT_EQ(session_entry(whole, i + 2).code, 0x10C);
  }
  // More entries than one page holds.
  HistorySession many;
  for (std::size_t i = 0; i < kSessionPageEntries + 3; ++i)
    add_session_entry(many, static_cast<std::uint32_t>(i), 0x0A, "", std::to_string(i));
  EXPECT_EQ(message_of(many, session_entry(many, kSessionPageEntries + 2)), std::to_string(kSessionPageEntries + 2));
  EXPECT_EQ(many.pages.size(), 2u);
  clear_session(many);
  EXPECT_EQ(many.count, 0u);
  EXPECT_EQ(session_memory(many), 0u);
}

// The entries a filter shows, decided one by one with the reading's own
// matching: the view must agree however it got there.
std::vector<std::uint32_t> expected_rows(const HistorySession& s, const ViewFilter& f) {
  HistoryFilter match;
  match.all_channels = f.all_channels;
  match.channels = f.channels;
  set_text_filter(f.text, match);
  std::vector<std::uint32_t> rows;
  for (std::size_t i = 0; i < s.count; ++i) {
    const SessionEntry& e = session_entry(s, i);
    if (!time_and_channel_pass(match, e.time, channel_of_code(e.code))) continue;
    if (f.one_sender && sender_of(s, e) != f.sender) continue;
    if (!contains_ignoring_ascii_case(message_of(s, e), match.text)) continue;
    rows.push_back(static_cast<std::uint32_t>(i));
  }
  return rows;
}

TEST_F(HistorySessionTest, FiltersShowWhatTheReadingsMatchingShows) {
  HistorySession s;
  add_session_entry(s, 1, 0x0A, "Aaa Bbb", "Hello there");
  add_session_entry(s, 2, 0x0D, "Ccc Ddd", "HELLO again");
  add_session_entry(s, 3, 0x0E, "Aaa Bbb", "ＨＥＬＬＯ in full width");
  add_session_entry(s, 4, 0x18, "Aaa Bb", "hello FC");
  add_session_entry(s, 5, 0x2B, "", "Aaa Bbb uses hello");
  add_session_entry(s, 6, 0x10, "Eee", "こんにちは");
  add_session_entry(s, 7, 0x65, "Eee", "cross hello");
  add_session_entry(s, 8, 0x0A, "Hhh", "Help wanted");

  const auto choice = [](const std::string& key) { return channel_choices()[channel_choice_of_key(key)]; };
  struct Case {
    const char* name;
    std::vector<ViewFilter> steps;  // applied in turn; the last one is checked
    std::vector<std::uint32_t> rows;
  };
  ViewFilter all;
  ViewFilter hel = all;
  hel.text = "HeL";
  ViewFilter hello = all;
  hello.text = "hello";
  ViewFilter japanese = all;
  japanese.text = "にち";
  ViewFilter chat = all;
  chat.all_channels = false;
  chat.channels = choice("chat").channels;
  ViewFilter chat_hello = chat;
  chat_hello.text = "hello";
  ViewFilter linkshells = all;
  linkshells.all_channels = false;
  linkshells.channels = channel_choices()[4].channels;  // リンクシェル
  ViewFilter aaa = all;
  aaa.one_sender = true;
  aaa.sender = "Aaa Bbb";
  ViewFilter aaa_hello = aaa;
  aaa_hello.text = "hello";
  const Case cases[] = {
      {"all", {all}, {0, 1, 2, 3, 4, 5, 6, 7}},
      {"ASCII without case", {hello}, {0, 1, 3, 4, 6}},
      {"typed on", {hel, hello}, {0, 1, 3, 4, 6}},
      {"typed on, then back", {hel, hello, hel}, {0, 1, 3, 4, 6, 7}},
      {"Japanese exactly", {japanese}, {5}},
      {"talk channels", {chat}, {0, 1, 2, 3, 5, 6, 7}},
      {"talk channels and a text", {hello, chat_hello}, {0, 1, 3, 6}},
      {"linkshells, cross-world too", {linkshells}, {5, 6}},
      {"one sender, exactly", {aaa}, {0, 2}},
      {"one sender and a text", {aaa, aaa_hello}, {0}},
      {"one sender dropped", {aaa_hello, hello}, {0, 1, 3, 4, 6}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SessionView view;
    for (const ViewFilter& f : c.steps) set_view_filter(view, s, f);
    EXPECT_EQ(view.shown, c.rows);
    EXPECT_EQ(view.shown, expected_rows(s, c.steps.back()));
  }

  // Entries that arrive later are decided on with the filter in force.
  SessionView view;
  set_view_filter(view, s, hello);
  add_session_entry(s, 9, 0x0A, "Ggg", "late hello");
  add_session_entry(s, 10, 0x0A, "Ggg", "late bye");
  extend_view(view, s);
  EXPECT_EQ(view.shown, expected_rows(s, hello));
  EXPECT_EQ(view.shown.back(), 8u);
  reset_view(view);
  EXPECT_TRUE(view.shown.empty());
}

TEST(ChannelChoicesTest, GroupsNameTheReadingsChannelsAndEveryChannelHasAColour) {
  const std::vector<ChannelChoice>& choices = channel_choices();
  ASSERT_GT(choices.size(), 8u);
  EXPECT_TRUE(choices[0].all);
  EXPECT_EQ(choices[0].label, u"すべて");
  for (std::size_t i = 1; i < choices.size(); ++i) {
    SCOPED_TRACE(choices[i].key);
    EXPECT_FALSE(choices[i].all);
    EXPECT_TRUE(choices[i].channels.any());
    // The key kept for a choice means the same channels to a reading.
    HistoryFilter filter;
    std::string unknown;
    ASSERT_TRUE(add_channel_filter(choices[i].key, filter, unknown)) << unknown;
    EXPECT_EQ(filter.channels, choices[i].channels);
    // フリーカンパニー and FreeCompany are one channel under one key.
    EXPECT_EQ(choices[channel_choice_of_key(choices[i].key)].channels, choices[i].channels);
  }
  EXPECT_EQ(channel_choice_of_key("nonsense"), 0u);
  EXPECT_EQ(channel_choice_of_key(""), 0u);
  ASSERT_EQ(choices[5].label, u"Tell");
  EXPECT_TRUE(choices[5].channels.test(0x0C) && choices[5].channels.test(0x0D));
  EXPECT_EQ(choices[5].channels.count(), 2u);

  EXPECT_EQ(default_channel_colour(0x0D), 0xFFB8DEu);                     // tells pink
  EXPECT_EQ(default_channel_colour(0x0E), 0x66E5FFu);                     // party light blue
  EXPECT_EQ(default_channel_colour(0x1E), 0xFFFF00u);                     // yell yellow
  EXPECT_EQ(default_channel_colour(0x13), default_channel_colour(0x68));  // linkshells alike
  EXPECT_EQ(default_channel_colour(0x8A), default_channel_colour(0x0A));  // only bits 0-6 name the channel
}

TEST_F(HistorySessionTest, SourcesAreTheCurrentLogThenExportFilesNewestFirst) {
  for (const char* name : {"2014.03.05.2107.log", "2015.01.02.0304.log", "2014.03.05.2107_2.log",
                           "2014.03.05.2107.recipe.txt", "notes.log"}) {
    write_log(name, "5316F48C000A:Aaa:one\r\n5316F48C000A:Aaa:two\r\n");
  }
  bool listed = false;
  const std::vector<HistorySource> sources = history_sources(character_folder(), log_folder(), listed);
  EXPECT_TRUE(listed);
  ASSERT_EQ(sources.size(), 4u);
  EXPECT_TRUE(sources[0].current_log);
  EXPECT_EQ(sources[0].path, character_folder());
  std::vector<std::u16string> labels;
  for (std::size_t i = 1; i < sources.size(); ++i) labels.push_back(export_file_label(sources[i].path));
  EXPECT_EQ(labels, (std::vector<std::u16string>{u"2015/01/02 03:04", u"2014/03/05 21:07 (2)", u"2014/03/05 21:07"}));
  EXPECT_EQ(count_source_entries(sources[1]), 2u);
  EXPECT_EQ(counted_label(u"x", 1234567), u"x  1,234,567件");
  EXPECT_EQ(counted_label(u"x", 0), u"x  0件");
  EXPECT_EQ(counted_label(u"x", 999), u"x  999件");

  bool none = true;
  EXPECT_EQ(history_sources(character_folder(), log_folder() + u"missing/", none).size(), 1u);
  EXPECT_FALSE(none);
}

TEST_F(HistorySessionTest, WindowSettingsKeepTheirSectionAndFallBackWhenDamaged) {
  const HistoryWindowSettings defaults;
  HistoryWindowSettings record = load_history_window_settings();
  EXPECT_FALSE(record.has_place);
  EXPECT_EQ(record.width, defaults.width);

  // Another program's keys are kept.
  write_log("../tellwick.ini", "[GENERIC]\r\nCHARSET=1\r\n");
  HistoryWindowSettings changed = record;
  changed.has_place = true;
  changed.left = -20;
  changed.top = 30;
  changed.width = 900;
  changed.columns[3] = 555;
  changed.channel = "Party,CrossParty,Alliance";
  changed.search = u"こんにちは";
  save_history_window_settings(record, changed);
  const HistoryWindowSettings back = load_history_window_settings();
  EXPECT_TRUE(back.has_place);
  EXPECT_EQ(back.left, -20);
  EXPECT_EQ(back.top, 30);
  EXPECT_EQ(back.width, 900);
  EXPECT_EQ(back.height, defaults.height);
  EXPECT_EQ(back.columns[3], 555);
  EXPECT_EQ(back.columns[0], defaults.columns[0]);
  EXPECT_EQ(back.channel, changed.channel);
  EXPECT_EQ(back.search, u"こんにちは");
  const std::string file = test::file_bytes(dir_.path() / "work" / "tellwick.ini");
  EXPECT_NE(file.find("[GENERIC]\r\nCHARSET=1\r\n"), std::string::npos);
  EXPECT_NE(file.find("[History]\r\n"), std::string::npos);
  // Unchanged values are not written: the height was never kept.
  EXPECT_EQ(file.find("HEIGHT="), std::string::npos);

  struct Damage {
    const char* line;
  } damages[] = {{"WIDTH=wide"}, {"WIDTH=12"}, {"WIDTH=99999999"}, {"WIDTH=-900"}, {"WIDTH="}, {"WIDTH=9 00"}};
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.line);
    write_log("../tellwick.ini",
              std::string("[History]\r\nLEFT=5\r\nTOP=x\r\nTIMECOLUMN=0\r\nCHANNEL=\x82\xA0\r\n") + d.line + "\r\n");
    const HistoryWindowSettings damaged = load_history_window_settings();
    EXPECT_EQ(damaged.width, defaults.width);
    EXPECT_FALSE(damaged.has_place);  // half a place is none
    EXPECT_EQ(damaged.columns[0], defaults.columns[0]);
    EXPECT_EQ(damaged.channel, "");
  }
}

}  // namespace
}  // namespace tellwick
