#include "export/export_names.h"

#include <optional>
#include <string>

#include "export/series_start.h"
#include "platform/local_time.h"

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

// Whether the export file at `path` begins as this series' export does: an
// empty first line (nothing to take) matches only an empty file.
bool holds_series(const std::u16string& path, const std::string& first_line) {
  std::string start(first_line.empty() ? 1 : first_line.size(), '\0');
  std::size_t size = 0;
  if (!read_file_start(path.c_str(), reinterpret_cast<std::uint8_t*>(start.data()), start.size(), size)) return false;
  start.resize(size);
  return start == first_line;
}

}  // namespace

std::u16string temporary_path(const std::u16string& final_path, int number) {
  const std::size_t extension = std::char_traits<char16_t>::length(kExtension);
  std::u16string path = final_path.substr(0, final_path.size() - extension);
  return path + u".~" + padded(number % kTemporaryNameCount, 2);
}

ExportNames choose_export_names(const std::u16string& log_folder, FileTime chunk0_time, bool new_series,
                                const std::u16string& stored_name, const std::u16string& character_folder,
                                const ExportOptions& options) {
  const std::u16string stem = stem_of(chunk0_time);
  if (!new_series) return names_for(log_folder, is_form_of(stored_name, stem) ? stored_name : stem + kExtension);
  // A series seen as new can be one exported before whose record was lost (a
  // settings file that cannot be written): its own file is used again, so
  // that repeated exports never pile up copies under new names.
  std::optional<std::string> first_line;  // read only once a name is taken
  for (int number = 1; number <= kMaxNameNumber; ++number) {
    const ExportNames names = names_for(log_folder, numbered_name(stem, number));
    const bool export_taken = exists(names.export_path);
    if (!export_taken && !exists(names.recipe_path)) return names;
    if (!export_taken) continue;
    if (!first_line) first_line = first_export_line(character_folder, options);
    if (holds_series(names.export_path, *first_line)) return names;
  }
  return names_for(log_folder, stem + kExtension);
}

}  // namespace tellwick
