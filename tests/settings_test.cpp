// The settings file as the program uses it: the GENERIC record and the
// per-character keys, through ./tellwick.ini in the working directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "settings/settings.h"
#include "support/settings_keys.h"
#include "support/current_dir.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::file_bytes;
using test::put_file;

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001234567";
constexpr char16_t kJapaneseName[] = u"\u30C6\u30B9\u30C8\u592A\u90CE";  // テスト太郎
constexpr char kJapaneseNameCp932[] = "\x83\x65\x83\x58\x83\x67\x91\xBE\x98\x59";

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

// A folder path as this system's settings hold it: Windows keeps "\", the
// POSIX build reads it as "/".
std::u16string native(std::u16string path) {
  if (!kWindows) {
    for (char16_t& c : path) {
      if (c == u'\\') c = u'/';
    }
  }
  return path;
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Anything but the defaults, so that a load that leaves a field alone shows.
    settings() = Settings{static_cast<OutputCharset>(9), true, false, true, true, u"unset"};
  }
  fs::path file() const { return dir_.path() / "tellwick.ini"; }
  Settings& settings() { return settings_; }

  test::TempDir dir_;
  test::CurrentDirScope working_dir_{dir_.path()};
  Settings settings_;
};

TEST_F(SettingsTest, FileIsInTheWorkingDirectory) {
  EXPECT_EQ(std::u16string(settings_path()), native(u".\\tellwick.ini"));
  test::write_settings_key(u"GENERIC", u"CHARSET", u"1");
  EXPECT_EQ(file_bytes(file()), "[GENERIC]\r\nCHARSET=1\r\n");
}

TEST_F(SettingsTest, DefaultsWithoutAFile) {
  settings() = load_settings();
  const Settings& s = settings();
  EXPECT_EQ(s.charset, kCharsetAnsi);
  EXPECT_FALSE(s.start_in_tray);
  EXPECT_TRUE(s.watch_enabled);
  EXPECT_FALSE(s.show_control);
  EXPECT_FALSE(s.keep_duplicates);
  EXPECT_EQ(s.log_folder, native(u".\\log\\"));
  EXPECT_FALSE(fs::exists(file())) << "loading never creates the file";
}

TEST_F(SettingsTest, LogFolderIsNormalised) {
  const std::string a255(255, 'a');
  const std::u16string a254(254, u'a');
  struct Case {
    std::string line;  // the LOGDIR line as stored
    std::u16string windows;
    std::u16string posix;
    // clang-format off
  } cases[] = {
      {"LOGDIR=", u".\\", u"./"},
      {"LOGDIR=\"\"", u".\\", u"./"},
      {"LOGDIR", u".\\log\\", u"./log/"},  // no "=": the key has no value
      {"LOGDIR=.\\", u".\\", u"./"},
      {"LOGDIR=C:\\logs", u"C:\\logs\\", u"C:/logs/"},
      {"LOGDIR=C:\\logs\\", u"C:\\logs\\", u"C:/logs/"},
      {"LOGDIR=  out  ", u"out\\", u"out/"},
      {"LOGDIR=logs/", u"logs/\\", u"logs/"},  // on Windows only "\" ends a folder
      {"LOGDIR=D:\\\x83\x8D\x83\x4F", u"D:\\\u30ED\u30B0\\", u"D:/\u30ED\u30B0/"},  // D:\ログ
      // 表 is 0x95 0x5C: its second byte is no separator.
      {"LOGDIR=C:\\\x95\x5C", u"C:\\\u8868\\", u"C:/\u8868/"},
      // A folder never grows past 255 characters: the separator takes the last place.
      {"LOGDIR=" + a255.substr(2), std::u16string(253, u'a') + u"\\", std::u16string(253, u'a') + u"/"},
      {"LOGDIR=" + a255, a254 + u"\\", a254 + u"/"},
      {"LOGDIR=" + a255 + "bbbb", a254 + u"\\", a254 + u"/"},
      {"LOGDIR=" + a255.substr(1) + "\\", a254 + u"\\", a254 + u"/"},
  };
  // clang-format on
  for (const Case& c : cases) {
    put_file(file(), "[GENERIC]\r\n" + c.line + "\r\n");
    settings() = load_settings();
    EXPECT_EQ(settings().log_folder, kWindows ? c.windows : c.posix) << c.line;
  }
}

TEST_F(SettingsTest, KeysInOtherLetterCases) {
  put_file(file(),
           "[generic]\r\ncharset=2\r\ntrayrun=1\r\nObserve=0\r\nCtrlToStr=1\r\nmaterianodel=1\r\nlogdir=out\r\n");
  settings() = load_settings();
  const Settings& s = settings();
  EXPECT_EQ(s.charset, kCharsetUtf16);
  EXPECT_TRUE(s.start_in_tray);
  EXPECT_FALSE(s.watch_enabled);
  EXPECT_TRUE(s.show_control);
  EXPECT_TRUE(s.keep_duplicates);
  EXPECT_EQ(s.log_folder, native(u"out\\"));
}

TEST_F(SettingsTest, FlagsAndCharsetAsIntegers) {
  put_file(file(), "[GENERIC]\r\nCHARSET=7\r\nTRAYRUN=abc\r\nOBSERVE=\r\nCTRLTOSTR= 2 \r\nMATERIANODEL=-1\r\n");
  settings() = load_settings();
  const Settings& s = settings();
  EXPECT_EQ(s.charset, 7) << "an unknown charset is kept as it is";
  EXPECT_FALSE(s.start_in_tray) << "not a number: 0";
  EXPECT_TRUE(s.watch_enabled) << "an empty value gives the default";
  EXPECT_TRUE(s.show_control) << "any number but 0 is yes";
  EXPECT_TRUE(s.keep_duplicates);
}

TEST_F(SettingsTest, GenericSettingsAreWrittenAndRemoved) {
  test::write_settings_key(u"GENERIC", u"CHARSET", u"1");
  test::write_settings_key(u"GENERIC", u"OBSERVE", u"0");
  test::write_settings_key(u"GENERIC", u"LOGDIR", u"D:\\logs\\");
  EXPECT_EQ(file_bytes(file()), "[GENERIC]\r\nCHARSET=1\r\nOBSERVE=0\r\nLOGDIR=D:\\logs\\\r\n");
  settings() = load_settings();
  EXPECT_EQ(settings().charset, kCharsetUtf8);
  EXPECT_FALSE(settings().watch_enabled);
  EXPECT_EQ(settings().log_folder, native(u"D:\\logs\\"));
  test::write_settings_key(u"GENERIC", u"OBSERVE", nullptr);
  EXPECT_EQ(file_bytes(file()), "[GENERIC]\r\nCHARSET=1\r\nLOGDIR=D:\\logs\\\r\n");
}

TEST_F(SettingsTest, CharacterKeys) {
  EXPECT_EQ(test::read_settings_key(kCharacter, u"NAME", u"Unknown"), u"Unknown");
  EXPECT_EQ(test::read_settings_int(kCharacter, u"LASTNO", 0), 0);
  EXPECT_TRUE(test::write_settings_key(kCharacter, u"SERVER", u"Tonberry"));
  EXPECT_TRUE(test::write_settings_key(kCharacter, u"NAME", kJapaneseName));
  EXPECT_TRUE(test::write_settings_key(kCharacter, u"LASTNO", u"3"));
  EXPECT_EQ(file_bytes(file()), std::string("[FFXIV_CHR0040000001234567]\r\nSERVER=Tonberry\r\nNAME=") +
                                    kJapaneseNameCp932 + "\r\nLASTNO=3\r\n");
  EXPECT_EQ(test::read_settings_key(kCharacter, u"NAME", u"Unknown"), kJapaneseName);
  EXPECT_EQ(test::read_settings_int(kCharacter, u"lastno", 0), 3);
  // Both names left empty in the name dialog: the keys go, the section and its other keys stay.
  EXPECT_TRUE(test::write_settings_key(kCharacter, u"SERVER", nullptr));
  EXPECT_TRUE(test::write_settings_key(kCharacter, u"NAME", nullptr));
  EXPECT_EQ(file_bytes(file()), "[FFXIV_CHR0040000001234567]\r\nLASTNO=3\r\n");
  EXPECT_EQ(test::read_settings_key(kCharacter, u"SERVER", u"Unknown"), u"Unknown");
}

TEST_F(SettingsTest, ReadsAFileWrittenOnWindows) {
  put_file(file(), std::string("[GENERIC]\r\nCHARSET=1\r\nOBSERVE=0\r\nLOGDIR=D:\\\x83\x8D\x83\x4F\r\n"
                               "[FFXIV_CHR0040000001234567]\r\nSERVER=Tonberry\r\nNAME=") +
                       kJapaneseNameCp932 +
                       "\r\nDATE=01D5A2B3C4D5E6F7\r\nLASTNO=2\r\nLASTDATE=01D5A2B3c4d5e6f7\r\n"
                       "LOGFILE=20240101_120000.txt\r\nTOPDATE=1700000000\r\nENDDATE=1700003600\r\n");
  settings() = load_settings();
  EXPECT_EQ(settings().charset, kCharsetUtf8);
  EXPECT_FALSE(settings().watch_enabled);
  EXPECT_EQ(settings().log_folder, native(u"D:\\\u30ED\u30B0\\"));
  EXPECT_EQ(test::read_settings_key(kCharacter, u"NAME", u""), kJapaneseName);
  EXPECT_EQ(test::read_settings_key(kCharacter, u"SERVER", u""), u"Tonberry");
  EXPECT_EQ(test::read_settings_key(kCharacter, u"DATE", u"0"), u"01D5A2B3C4D5E6F7");
  EXPECT_EQ(test::read_settings_key(kCharacter, u"LASTDATE", u"0"), u"01D5A2B3c4d5e6f7");
  EXPECT_EQ(test::read_settings_key(kCharacter, u"LOGFILE", u""), u"20240101_120000.txt");
  EXPECT_EQ(test::read_settings_int(kCharacter, u"LASTNO", 0), 2);
  EXPECT_EQ(test::read_settings_int(kCharacter, u"TOPDATE", 0), 1700000000);
  EXPECT_EQ(test::read_settings_int(kCharacter, u"ENDDATE", 0), 1700003600);
}

TEST_F(SettingsTest, TextLongerThanItsBufferIsCut) {
  const std::string long_name(300, 'n');
  put_file(file(), "[FFXIV_CHR0040000001234567]\r\nNAME=" + long_name + "\r\n");
  EXPECT_EQ(test::read_settings_key(kCharacter, u"NAME", u""), std::u16string(kSettingsTextBuffer - 1, u'n'));
  EXPECT_EQ(test::read_settings_key(kCharacter, u"NAME", u"", 64), std::u16string(63, u'n'));
}

TEST_F(SettingsTest, Utf16FileStaysUtf16) {
  using test::utf16le;
  const std::string bom = "\xFF\xFE";
  put_file(file(), bom + utf16le(u"[GENERIC]\r\nCHARSET=2\r\nLOGDIR=D:\\\u0E01\r\n"));
  settings() = load_settings();
  EXPECT_EQ(settings().charset, 2);
  EXPECT_EQ(settings().log_folder, native(u"D:\\\u0E01\\"));
  EXPECT_TRUE(test::write_settings_key(kCharacter, u"NAME", kJapaneseName));
  EXPECT_EQ(file_bytes(file()), bom +
                                    utf16le(u"[GENERIC]\r\nCHARSET=2\r\nLOGDIR=D:\\\u0E01\r\n"
                                            u"[FFXIV_CHR0040000001234567]\r\nNAME=") +
                                    utf16le(kJapaneseName) + utf16le(u"\r\n"));
  EXPECT_EQ(test::read_settings_key(kCharacter, u"NAME", u""), kJapaneseName);
}

}  // namespace
}  // namespace tellwick
