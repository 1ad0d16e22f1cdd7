// Writing the settings file. The expected bytes are what Wine's profile
// functions write for the same calls, so the same tests hold natively, where
// our own profile code runs, and under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/profile.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace tellwick {
namespace {

namespace fs = std::filesystem;
using test::file_bytes;
using test::put_file;
using test::TempDir;

struct WriteStep {
  const char16_t* section;
  const char16_t* key;
  const char16_t* value;
  std::string expected;  // the whole file after the step
};

void run_steps(const std::u16string& file, const std::vector<WriteStep>& steps) {
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const WriteStep& step = steps[i];
    EXPECT_TRUE(profile_write_string(step.section, step.key, step.value, file.c_str())) << "step " << i;
    EXPECT_EQ(file_bytes(file), step.expected) << "step " << i;
  }
}

TEST(ProfileWrite, BuildsTheFileLineByLine) {
  TempDir dir;
  run_steps(dir.file("test.ini"),
            {
                {u"GENERIC", u"CHARSET", u"1", "[GENERIC]\r\nCHARSET=1\r\n"},
                {u"GENERIC", u"OBSERVE", u"0", "[GENERIC]\r\nCHARSET=1\r\nOBSERVE=0\r\n"},
                // テスト太郎 in code page 932.
                {u"Other", u"NAME", u"\u30C6\u30B9\u30C8\u592A\u90CE",
                 "[GENERIC]\r\nCHARSET=1\r\nOBSERVE=0\r\n[Other]\r\nNAME=\x83\x65\x83\x58\x83\x67\x91\xBE\x98\x59\r\n"},
                // Names in other cases find the stored ones, which keep their case.
                {u"generic", u"charset", u"2",
                 "[GENERIC]\r\nCHARSET=2\r\nOBSERVE=0\r\n[Other]\r\nNAME=\x83\x65\x83\x58\x83\x67\x91\xBE\x98\x59\r\n"},
                // A new key goes at the end of its section; space before a value is dropped.
                {u"GENERIC", u"LOGDIR", u"  x y",
                 "[GENERIC]\r\nCHARSET=2\r\nOBSERVE=0\r\nLOGDIR=x y\r\n[Other]\r\n"
                 "NAME=\x83\x65\x83\x58\x83\x67\x91\xBE\x98\x59\r\n"},
                {u"GENERIC", u"CHARSET", nullptr,
                 "[GENERIC]\r\nOBSERVE=0\r\nLOGDIR=x y\r\n[Other]\r\n"
                 "NAME=\x83\x65\x83\x58\x83\x67\x91\xBE\x98\x59\r\n"},
                {u"GENERIC", u"EMPTY", u"",
                 "[GENERIC]\r\nOBSERVE=0\r\nLOGDIR=x y\r\nEMPTY=\r\n[Other]\r\n"
                 "NAME=\x83\x65\x83\x58\x83\x67\x91\xBE\x98\x59\r\n"},
                // A character outside code page 932 is stored as "?".
                {u"Third", u"A", u"\u0E01x",
                 "[GENERIC]\r\nOBSERVE=0\r\nLOGDIR=x y\r\nEMPTY=\r\n[Other]\r\n"
                 "NAME=\x83\x65\x83\x58\x83\x67\x91\xBE\x98\x59\r\n[Third]\r\nA=?x\r\n"},
                // Removing what is not there changes nothing.
                {u"Missing", u"A", nullptr,
                 "[GENERIC]\r\nOBSERVE=0\r\nLOGDIR=x y\r\nEMPTY=\r\n[Other]\r\n"
                 "NAME=\x83\x65\x83\x58\x83\x67\x91\xBE\x98\x59\r\n[Third]\r\nA=?x\r\n"},
                {u"Other", u"Missing", nullptr,
                 "[GENERIC]\r\nOBSERVE=0\r\nLOGDIR=x y\r\nEMPTY=\r\n[Other]\r\n"
                 "NAME=\x83\x65\x83\x58\x83\x67\x91\xBE\x98\x59\r\n[Third]\r\nA=?x\r\n"},
            });
}

TEST(ProfileWrite, RemovingFromAMissingFileCreatesNoFile) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  EXPECT_TRUE(profile_write_string(u"S", u"A", nullptr, file.c_str()));
  EXPECT_TRUE(profile_write_string(u"S", nullptr, nullptr, file.c_str()));
  EXPECT_FALSE(fs::exists(file));
}

TEST(ProfileWrite, CommentsAndUnknownLinesStay) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  const std::string before =
      "; top comment\r\n"
      "loose line\r\n"
      "[GENERIC]\r\n"
      "CHARSET=1\r\n"
      "; inner comment\r\n"
      "noequals\r\n"
      "[Other]\r\n"
      "NAME=x\r\n";
  put_file(file, before);
  run_steps(file, {
                      {u"GENERIC", u"OBSERVE", u"0",
                       "; top comment\r\nloose line\r\n[GENERIC]\r\nCHARSET=1\r\n; inner comment\r\nnoequals\r\n"
                       "OBSERVE=0\r\n[Other]\r\nNAME=x\r\n"},
                      {u"GENERIC", u"charset", u"3",
                       "; top comment\r\nloose line\r\n[GENERIC]\r\nCHARSET=3\r\n; inner comment\r\nnoequals\r\n"
                       "OBSERVE=0\r\n[Other]\r\nNAME=x\r\n"},
                      {u"GENERIC", u"OBSERVE", nullptr,
                       "; top comment\r\nloose line\r\n[GENERIC]\r\nCHARSET=3\r\n; inner comment\r\nnoequals\r\n"
                       "[Other]\r\nNAME=x\r\n"},
                      // A line without "=" is a key without a value until one is written.
                      {u"GENERIC", u"NOEQUALS", u"v",
                       "; top comment\r\nloose line\r\n[GENERIC]\r\nCHARSET=3\r\n; inner comment\r\nnoequals=v\r\n"
                       "[Other]\r\nNAME=x\r\n"},
                  });
}

TEST(ProfileWrite, RemovingTheLastKeyKeepsTheSection) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  put_file(file, "[S]\r\nA=1\r\n[T]\r\nB=2\r\n");
  run_steps(file, {
                      {u"S", u"A", nullptr, "[S]\r\n[T]\r\nB=2\r\n"},
                      {u"s", u"C", u"3", "[S]\r\nC=3\r\n[T]\r\nB=2\r\n"},
                  });
}

TEST(ProfileWrite, NullKeyRemovesTheFirstSectionOfThatName) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  put_file(file, "[S]\r\nA=1\r\n;c\r\n\r\n[T]\r\nB=2\r\n[s]\r\nC=3\r\n");
  run_steps(file, {{u"s", nullptr, nullptr, "[T]\r\nB=2\r\n[s]\r\nC=3\r\n"}});
}

TEST(ProfileWrite, AnUnchangedValueLeavesTheFileAlone) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  const std::string before = "[S]\r\n  A = 1 \r\n\r\n";
  put_file(file, before);
  run_steps(file, {
                      {u"S", u"A", u"1", before},
                      {u"S", u"A", u" 1", before},
                  });
}

TEST(ProfileWrite, ALastLineWithoutLineEndGetsOne) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  put_file(file, "[A]\r\nk=1");
  run_steps(file, {{u"A", u"n", u"5", "[A]\r\nk=1\r\nn=5\r\n"}});
  put_file(file, "[A]\r\nk=1");
  run_steps(file, {{u"C", u"n", u"5", "[A]\r\nk=1\r\n[C]\r\nn=5\r\n"}});
}

TEST(ProfileWrite, NamesAndValuesAreStoredAsGiven) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  // Space before a new name or a value is dropped; space after it stays.
  run_steps(file, {{u"  S  ", u"  K  ", u"  v  ", "[S  ]\r\nK  =v  \r\n"}});
  // Quotes are stored; reading drops them.
  const std::u16string quoted = dir.file("quoted.ini");
  run_steps(quoted, {{u"Q", u"A", u"\"q\"", "[Q]\r\nA=\"q\"\r\n"}});
  EXPECT_EQ(profile_read_string(u"Q", u"A", u"", 256, quoted.c_str()), u"q");
}

TEST(ProfileWrite, Utf16FileIsReadAndWrittenAsUtf16) {
  using test::utf16le;
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  const std::string bom = "\xFF\xFE";
  put_file(file, bom + utf16le(u"[GENERIC]\r\nCHARSET=1\r\n[Other]\r\nNAME=\u592A\u90CE\r\n"));
  EXPECT_EQ(profile_read_string(u"Other", u"NAME", u"", 256, file.c_str()), u"\u592A\u90CE");
  EXPECT_EQ(profile_read_int(u"GENERIC", u"CHARSET", 0, file.c_str()), 1);
  run_steps(file, {
                      {u"GENERIC", u"OBSERVE", u"0",
                       bom + utf16le(u"[GENERIC]\r\nCHARSET=1\r\nOBSERVE=0\r\n[Other]\r\nNAME=\u592A\u90CE\r\n")},
                      // A character outside code page 932 survives in UTF-16.
                      {u"New", u"NAME", u"\u0E01",
                       bom + utf16le(u"[GENERIC]\r\nCHARSET=1\r\nOBSERVE=0\r\n[Other]\r\nNAME=\u592A\u90CE\r\n"
                                     u"[New]\r\nNAME=\u0E01\r\n")},
                      {u"GENERIC", u"CHARSET", nullptr,
                       bom + utf16le(u"[GENERIC]\r\nOBSERVE=0\r\n[Other]\r\nNAME=\u592A\u90CE\r\n"
                                     u"[New]\r\nNAME=\u0E01\r\n")},
                  });
  EXPECT_EQ(profile_read_string(u"New", u"NAME", u"", 256, file.c_str()), u"\u0E01");
  // A file that holds nothing but the byte order mark is a UTF-16 file too.
  const std::u16string marked = dir.file("marked.ini");
  put_file(marked, bom);
  run_steps(marked, {{u"S", u"K", u"\u0E01", bom + utf16le(u"[S]\r\nK=\u0E01\r\n")}});
  // A last odd byte reads as a unit with a zero high byte, and what is
  // written after it stays readable.
  const std::u16string odd = dir.file("odd.ini");
  put_file(odd, bom + utf16le(u"[S]\r\nA=1\r\n") + "A");
  run_steps(odd, {{u"T", u"K", u"2", bom + utf16le(u"[S]\r\nA=1\r\nA\r\n[T]\r\nK=2\r\n")}});
  EXPECT_EQ(profile_read_string(u"T", u"K", u"", 256, odd.c_str()), u"2");
}

TEST(ProfileWrite, AFileThatCannotBeWrittenGivesFalse) {
  TempDir dir;
  // Where the file should be there is a folder, with a file of its own.
  const fs::path folder = dir.path() / "test.ini";
  fs::create_directory(folder);
  put_file(folder / "inner.txt", "kept");
  EXPECT_FALSE(profile_write_string(u"S", u"A", u"1", folder.u16string().c_str()));
  EXPECT_FALSE(profile_write_string(u"S", u"A", nullptr, folder.u16string().c_str()));
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(test::file_bytes(folder / "inner.txt"), "kept");
  // No folder to put it in.
  const fs::path nowhere = dir.path() / "missing" / "test.ini";
  EXPECT_FALSE(profile_write_string(u"S", u"A", u"1", nowhere.u16string().c_str()));
  EXPECT_FALSE(fs::exists(nowhere.parent_path()));
  // Nothing else appeared beside them, not even a temporary file: only the
  // lock file that saves take, which stays.
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(dir.path())) entries.push_back(entry.path().filename());
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<fs::path>{"test.ini", "test.ini.lock"}));
}

}  // namespace
}  // namespace tellwick

namespace tellwick {
namespace {

// A batch leaves the file as the same writes one by one would, in every
// starting state: a missing file, keys present and absent, a removal, a
// UTF-16 file and a last line without its line end.
TEST(ProfileWrite, ABatchWritesWhatSingleWritesWould) {
  const struct {
    const char* what;
    std::string before;  // empty: no file
  } starts[] = {
      {"no file", ""},
      {"keys present", "[S]\r\nB=old\r\nC=gone\r\n\r\n[T]\r\nX=1\r\n"},
      {"no line end", "[T]\r\nX=1"},
      {"UTF-16", "\xFF\xFE" + test::utf16le(u"[S]\r\nA=1\r\n")},
  };
  const ProfileWrite writes[] = {{u"A", u"1"}, {u"B", u"new"}, {u"C", nullptr}, {u"D", u"テスト"}, {u"A", u"2"}};
  for (const auto& start : starts) {
    SCOPED_TRACE(start.what);
    TempDir dir;
    const std::u16string single = dir.file("single.ini");
    const std::u16string batch = dir.file("batch.ini");
    if (!start.before.empty()) {
      put_file(single, start.before);
      put_file(batch, start.before);
    }
    for (const ProfileWrite& w : writes) EXPECT_TRUE(profile_write_string(u"S", w.key, w.value, single.c_str()));
    EXPECT_TRUE(profile_write_keys(u"S", writes, std::size(writes), batch.c_str()));
    EXPECT_EQ(file_bytes(batch), file_bytes(single));
  }
}

TEST(ProfileWrite, ABatchThatCannotBeWrittenGivesFalse) {
  TempDir dir;
  const fs::path folder = dir.path() / "folder.ini";
  fs::create_directories(folder);
  const ProfileWrite writes[] = {{u"A", u"1"}, {u"B", u"2"}};
  EXPECT_FALSE(profile_write_keys(u"S", writes, std::size(writes), folder.u16string().c_str()));
  EXPECT_TRUE(fs::is_directory(folder));
}

// A batch read gives what each single read gives, texts and numbers alike.
TEST(ProfileRead, ABatchReadsWhatSingleReadsWould) {
  TempDir dir;
  const std::u16string file = dir.file("test.ini");
  put_file(file, "[S]\r\nA=\"quoted\"\r\nB= 0x10 \r\nC=\r\nD=long value\r\n");
  const struct {
    const char16_t* key;
    const char16_t* default_text;  // null: a number
    std::size_t buffer_size;
    // clang-format off
  } cases[] = {{u"A", u"-", 256}, {u"B", nullptr, 0}, {u"C", u"-", 256}, {u"C", nullptr, 0},
               {u"D", u"-", 5},   {u"E", u"def  ", 256}, {u"E", nullptr, 0}};
  // clang-format on
  std::vector<ProfileRead> reads;
  for (const auto& c : cases) {
    ProfileRead r;
    r.key = c.key;
    r.default_text = c.default_text;
    r.default_number = 7;
    r.buffer_size = c.buffer_size;
    reads.push_back(r);
  }
  profile_read_keys(u"s", reads.data(), reads.size(), file.c_str());
  for (std::size_t i = 0; i < reads.size(); ++i) {
    const auto& c = cases[i];
    if (c.default_text != nullptr) {
      EXPECT_EQ(reads[i].text, profile_read_string(u"s", c.key, c.default_text, c.buffer_size, file.c_str())) << i;
    } else {
      EXPECT_EQ(reads[i].number, profile_read_int(u"s", c.key, 7, file.c_str())) << i;
    }
  }
  EXPECT_EQ(reads[0].text, u"quoted");
  EXPECT_EQ(reads[1].number, 16);
  EXPECT_EQ(reads[3].number, 7);
  EXPECT_EQ(reads[5].text, u"def");
}

}  // namespace
}  // namespace tellwick
