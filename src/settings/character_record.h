// A character's section of the settings file, named after its character
// folder: the names the player gave it and the bookkeeping of its last
// export. Every key of the section is spelled in character_record.cpp alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tellwick {

// What the last export of a character recorded.
struct ExportRecord {
  std::u16string log_file;    // LOGFILE: export file name, without folder
  std::int32_t top_date = 0;  // TOPDATE: first non-zero entry time
  std::int32_t end_date = 0;  // ENDDATE: last entry time
  // The progress record that change detection compares against.
  std::u16string date = u"0";       // DATE: chunk 0's file time
  int last_number = 0;              // LASTNO: chunk files taken
  std::u16string last_date = u"0";  // LASTDATE: the file time of chunk LASTNO
};

// Reads the record, each key with its default (the defaults above).
ExportRecord read_export_record(const char16_t* character);

// Writes LOGFILE, TOPDATE, ENDDATE, DATE, LASTNO and LASTDATE in that order,
// as one write. False when it could not be written.
bool write_export_record(const char16_t* character, const ExportRecord& record);

// The export file names (LOGFILE) recorded in every section of the settings
// file other than `character`'s, as they stand: all of them name files in
// the one log folder that the characters of this working folder share.
std::vector<std::u16string> read_other_log_files(const char16_t* character);

// The names the player gave a character in the name dialog.
struct CharacterNames {
  std::u16string server;  // SERVER
  std::u16string name;    // NAME
};

// Each name that is not in the file reads as `missing`.
CharacterNames read_character_names(const char16_t* character, const char16_t* missing);

// Writes SERVER and NAME in one write; an empty name removes its key rather
// than leaving an empty name behind.
bool write_character_names(const char16_t* character, const CharacterNames& names);

}  // namespace tellwick
