// A character's section and the GENERIC section as the program's records
// read and write them: every key in its place, the bytes of the file exact.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "settings/character_record.h"
#include "settings/settings.h"
#include "support/current_dir.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::file_bytes;
using test::put_file;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001234567";

class CharacterRecordTest : public ::testing::Test {
 protected:
  fs::path file() const { return dir_.path() / "tellwick.ini"; }

  test::TempDir dir_;
  test::CurrentDirScope working_dir_{dir_.path()};
};

// The export files that the other characters' records name; a section of
// this character in another letter case is still its own.
TEST_F(CharacterRecordTest, OtherCharactersLogFiles) {
  EXPECT_TRUE(read_other_log_files(kCharacter).empty());
  put_file(file(),
           "[GENERIC]\r\nLOGDIR=.\\log\\\r\n"
           "[FFXIV_CHR0040000001234567]\r\nLOGFILE=own.log\r\n"
           "[FFXIV_CHR0040000001111111]\r\nLOGFILE=2014.03.05.2107.log\r\nDATE=0\r\n"
           "[ffxiv_chr0040000001234567]\r\nLOGFILE=own in another case.log\r\n"
           "[FFXIV_CHR0040000002222222]\r\nNAME=never exported\r\n"
           "[FFXIV_CHR0040000003333333]\r\nLOGFILE=2014.03.05.2107_2.log\r\n");
  EXPECT_EQ(read_other_log_files(kCharacter),
            (std::vector<std::u16string>{u"2014.03.05.2107.log", u"2014.03.05.2107_2.log"}));
}

TEST_F(CharacterRecordTest, ExportRecordIsWrittenInOrderAndReadBack) {
  EXPECT_EQ(read_export_record(kCharacter).date, u"0");
  ExportRecord record;
  record.log_file = u"2014.03.05.2107.log";
  record.top_date = 1394021260;
  record.end_date = -1;  // an entry time past 2038 is stored as the signed value
  record.date = u"01CF38B21A2B3C4D";
  record.last_number = 3;
  record.last_date = u"0000000000000000";
  ASSERT_TRUE(write_export_record(kCharacter, record));
  EXPECT_EQ(file_bytes(file()),
            "[FFXIV_CHR0040000001234567]\r\nLOGFILE=2014.03.05.2107.log\r\nTOPDATE=1394021260\r\nENDDATE=-1\r\n"
            "DATE=01CF38B21A2B3C4D\r\nLASTNO=3\r\nLASTDATE=0000000000000000\r\n");
  const ExportRecord read = read_export_record(kCharacter);
  EXPECT_EQ(read.log_file, record.log_file);
  EXPECT_EQ(read.top_date, record.top_date);
  EXPECT_EQ(read.end_date, record.end_date);
  EXPECT_EQ(read.date, record.date);
  EXPECT_EQ(read.last_number, record.last_number);
  EXPECT_EQ(read.last_date, record.last_date);
}

TEST_F(CharacterRecordTest, MissingKeysReadAsTheirDefaults) {
  put_file(file(), "[FFXIV_CHR0040000001234567]\r\nSERVER=Tonberry\r\nLASTNO=x\r\n");
  const ExportRecord record = read_export_record(kCharacter);
  EXPECT_EQ(record.log_file, u"");
  EXPECT_EQ(record.top_date, 0);
  EXPECT_EQ(record.date, u"0");
  EXPECT_EQ(record.last_number, 0);
  EXPECT_EQ(record.last_date, u"0");
  const CharacterNames names = read_character_names(kCharacter, u"Unknown");
  EXPECT_EQ(names.server, u"Tonberry");
  EXPECT_EQ(names.name, u"Unknown");
}

TEST_F(CharacterRecordTest, EmptyNamesRemoveTheirKeys) {
  put_file(file(), "[FFXIV_CHR0040000001234567]\r\nLASTNO=3\r\n");
  ASSERT_TRUE(write_character_names(kCharacter, {u"Tonberry", u"Aaa Bbb"}));
  EXPECT_EQ(file_bytes(file()), "[FFXIV_CHR0040000001234567]\r\nLASTNO=3\r\nSERVER=Tonberry\r\nNAME=Aaa Bbb\r\n");
  ASSERT_TRUE(write_character_names(kCharacter, {u"", u"Aaa Bbb"}));
  EXPECT_EQ(file_bytes(file()), "[FFXIV_CHR0040000001234567]\r\nLASTNO=3\r\nNAME=Aaa Bbb\r\n");
  EXPECT_EQ(read_character_names(kCharacter, u"").server, u"");
}

TEST_F(CharacterRecordTest, SavedSettingsWriteOnlyWhatChanged) {
  Settings record = load_settings();
  Settings changed = record;
  save_settings(record, changed);
  EXPECT_FALSE(fs::exists(file())) << "nothing changed, nothing written";

  changed.charset = kCharsetUtf16;
  changed.keep_duplicates = true;
  changed.watch_enabled = false;
  changed.log_folder = u"exports";
  save_settings(record, changed);
  // The order the settings dialog has always written them in.
  EXPECT_EQ(file_bytes(file()), "[GENERIC]\r\nOBSERVE=0\r\nMATERIANODEL=1\r\nCHARSET=2\r\nLOGDIR=exports\r\n");
  EXPECT_EQ(record.charset, kCharsetUtf16);
  EXPECT_EQ(record.log_folder, u"exports");

  changed.start_in_tray = true;
  save_settings(record, changed);
  EXPECT_EQ(file_bytes(file()),
            "[GENERIC]\r\nOBSERVE=0\r\nMATERIANODEL=1\r\nCHARSET=2\r\nLOGDIR=exports\r\nTRAYRUN=1\r\n");
  EXPECT_TRUE(load_settings().start_in_tray);
}

// The file keeps what it holds until the value it means changes: a yes
// stored as 5 and a charset outside the three stay as they are through
// saves that change something else.
TEST_F(CharacterRecordTest, StoredNumbersStayUntilTheirMeaningChanges) {
  put_file(file(), "[GENERIC]\r\nTRAYRUN=5\r\nCTRLTOSTR=-2\r\nCHARSET=7\r\n");
  Settings record = load_settings();
  ASSERT_TRUE(record.start_in_tray);
  ASSERT_TRUE(record.show_control);
  Settings changed = record;
  changed.start_in_tray = true;  // a box left checked
  changed.keep_duplicates = true;
  save_settings(record, changed);
  EXPECT_EQ(file_bytes(file()), "[GENERIC]\r\nTRAYRUN=5\r\nCTRLTOSTR=-2\r\nCHARSET=7\r\nMATERIANODEL=1\r\n");

  changed.start_in_tray = false;
  changed.show_control = false;
  changed.charset = kCharsetAnsi;
  save_settings(record, changed);
  EXPECT_EQ(file_bytes(file()), "[GENERIC]\r\nTRAYRUN=0\r\nCTRLTOSTR=0\r\nCHARSET=0\r\nMATERIANODEL=1\r\n");
}

}  // namespace
}  // namespace tellwick
