#include "export/export_names.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/series_start.h"
#include "gamelog/entry_line.h"
#include "platform/local_time.h"
#include "settings/character_record.h"

namespace tellwick {
namespace {

// Past this many series in one minute something else is wrong; the plain
// name is used rather than searching on.
constexpr int kMaxNameNumber = 9999;

constexpr char16_t kExtension[] = u".log";
constexpr char16_t kRecipePrefix[] = u"recipe.";

std::u16string ascii(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::u16string padded(int value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return ascii(digits);
}

// "YYYY.MM.DD.hhmm"
std::u16string stem_of(FileTime chunk0_time) {
  const CalendarMinute m = local_calendar_minute(chunk0_time);
  return padded(m.year, 4) + u"." + padded(m.month, 2) + u"." + padded(m.day, 2) + u"." + padded(m.hour, 2) +
         padded(m.minute, 2);
}

ExportNames names_for(const std::u16string& log_folder, const std::u16string& file_name) {
  return {file_name, log_folder + file_name, log_folder + kRecipePrefix + file_name};
}

std::u16string numbered_name(const std::u16string& stem, int number) {
  return number <= 1 ? stem + kExtension : stem + u"_" + ascii(std::to_string(number)) + kExtension;
}

bool exists(const std::u16string& path) {
  FileTime ignored;
  return file_write_time(path.c_str(), ignored) || is_directory(path.c_str());
}

// The plain name, or stem + "_" + a number of at least 2 + ".log".
bool is_form_of(const std::u16string& name, const std::u16string& stem) {
  if (name == stem + kExtension) return true;
  const std::u16string prefix = stem + u"_";
  const std::size_t extension = std::char_traits<char16_t>::length(kExtension);
  if (name.size() <= prefix.size() + extension || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - extension, extension, kExtension) != 0) {
    return false;
  }
  const std::u16string digits = name.substr(prefix.size(), name.size() - prefix.size() - extension);
  if (digits.size() > 4 || digits[0] == u'0') return false;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return false;
  }
  return digits != u"1";
}

// A name this program gives export files, of any minute: a recorded name
// that is not one (edited by hand) could point outside the log folder.
bool is_export_name(const std::u16string& name) {
  constexpr char16_t kStemPattern[] = u"0000.00.00.0000";
  const std::size_t stem_length = std::char_traits<char16_t>::length(kStemPattern);
  if (name.size() < stem_length) return false;
  for (std::size_t i = 0; i < stem_length; ++i) {
    const bool digit = name[i] >= u'0' && name[i] <= u'9';
    if (kStemPattern[i] == u'0' ? !digit : name[i] != kStemPattern[i]) return false;
  }
  return is_form_of(name, name.substr(0, stem_length));
}

char16_t ascii_lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// File names as the log folder compares them: a name written by hand in
// another case still names the same file on Windows.
bool same_file_name(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

// Room for the first line of an export file in any charset: a rendered line
// of less than kEntryLineCapacity bytes, CR LF included, takes at most twice
// as many in UTF-16.
constexpr std::size_t kFirstLineRoom = 2 * kEntryLineCapacity;

// What stands under one name in the log folder, as far as this series is concerned.
enum class Occupant {
  kNone,        // neither export nor recipe file
  kEmpty,       // an export file without a byte and no recipe file: nothing to lose
  kThisSeries,  // an export file that begins with this series' first line
  kUnknown,     // an export file with lines, while this series has no first line to compare
  kUnreadable,  // an export file (or a folder) that cannot be read now
  kOther,       // another series' files, or what another character's record names
};

// What the search for a name learns once and asks again for each name.
class NameSearch {
 public:
  explicit NameSearch(const Character& character) : character_(character) {}

  Occupant occupant(const ExportNames& names) {
    const bool export_there = exists(names.export_path);
    const bool recipe_there = exists(names.recipe_path);
    if (!export_there && !recipe_there) return Occupant::kNone;
    if (claimed_by_another(names.file_name) || !export_there) return Occupant::kOther;
    std::string start(kFirstLineRoom, '\0');
    std::size_t size = 0;
    if (!read_file_start(names.export_path.c_str(), reinterpret_cast<std::uint8_t*>(start.data()), start.size(),
                         size)) {
      return Occupant::kUnreadable;
    }
    if (size == 0) return recipe_there ? Occupant::kOther : Occupant::kEmpty;
    start.resize(size);
    const std::vector<std::string>& lines = first_lines();
    if (lines.empty()) return Occupant::kUnknown;
    for (const std::string& line : lines) {
      if (start.starts_with(line)) return Occupant::kThisSeries;
    }
    return Occupant::kOther;
  }

 private:
  const std::vector<std::string>& first_lines() {
    if (!first_lines_) first_lines_ = first_export_lines(character_.folder);
    return *first_lines_;
  }

  bool claimed_by_another(const std::u16string& file_name) {
    if (!claims_) claims_ = read_other_log_files(character_.name.c_str());
    return std::any_of(claims_->begin(), claims_->end(),
                       [&](const std::u16string& claim) { return same_file_name(claim, file_name); });
  }

  const Character& character_;
  // Read only once some name is taken, and then only once.
  std::optional<std::vector<std::string>> first_lines_;
  std::optional<std::vector<std::u16string>> claims_;
};

}  // namespace

std::u16string temporary_path(const std::u16string& final_path, int number) {
  const std::size_t extension = std::char_traits<char16_t>::length(kExtension);
  std::u16string path = final_path.substr(0, final_path.size() - extension);
  return path + u".~" + padded(number % kTemporaryNameCount, 2);
}

ExportNames choose_export_names(const std::u16string& log_folder, FileTime chunk0_time, bool new_series,
                                const std::u16string& stored_name, const Character& character) {
  NameSearch search(character);
  if (!new_series && is_export_name(stored_name)) {
    // Where nothing tells whose lines the recorded file holds (no first line
    // while chunk 0 is held by the game, or a file another program keeps to
    // itself), the record says they are this series', and no other
    // character's record says otherwise; an export that cannot replace the
    // file says so and tries again later.
    const Occupant stored = search.occupant(names_for(log_folder, stored_name));
    if (stored != Occupant::kNone && stored != Occupant::kOther) return names_for(log_folder, stored_name);
  }
  // A series seen as new can be one exported before whose record was lost (a
  // settings file that cannot be written): its own file is used again, so
  // that repeated exports never pile up copies under new names.
  const std::u16string stem = stem_of(chunk0_time);
  for (int number = 1; number <= kMaxNameNumber; ++number) {
    const ExportNames names = names_for(log_folder, numbered_name(stem, number));
    const Occupant occupant = search.occupant(names);
    if (occupant == Occupant::kNone || occupant == Occupant::kEmpty || occupant == Occupant::kThisSeries) {
      return names;
    }
  }
  return names_for(log_folder, stem + kExtension);
}

}  // namespace tellwick
