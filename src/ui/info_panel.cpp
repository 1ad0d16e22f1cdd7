#include "ui/info_panel.h"

#include <shlwapi.h>

#include <cstdint>
#include <ctime>

#include "resource_ids.h"
#include "gamelog/game_folders.h"
#include "settings/character_record.h"
#include "ui/character_list.h"
#include "ui/program_state.h"
#include "ui/wide_text.h"

namespace tellwick {
namespace {

constexpr char16_t kUnknown[] = u"Unknown";
constexpr char16_t kLineEnd[] = u"\r\n";

std::u16string line(const wchar_t* format, ...) {
  wchar_t text[kInfoLineCapacity];
  va_list args;
  va_start(args, format);
  wvnsprintfW(text, kInfoLineCapacity, format, args);  // cut, never overflowing
  va_end(args);
  return std::u16string(utf16(text)) + kLineEnd;
}

// An entry time (seconds since 1970 UTC, unsigned 32-bit) in local time.
std::u16string time_line(const wchar_t* label, std::int32_t entry_time) {
  const __time64_t seconds = static_cast<std::uint32_t>(entry_time);
  std::tm fields{};
  if (_localtime64_s(&fields, &seconds) != 0) fields = std::tm{};
  return line(L"%s: %04d/%02d/%02d %02d:%02d:%02d", label, fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
              fields.tm_hour, fields.tm_min, fields.tm_sec);
}

}  // namespace

std::u16string info_panel_text(const char16_t* character) {
  const CharacterNames names = read_character_names(character, kUnknown);
  const ExportRecord record = read_export_record(character);
  std::u16string text;
  text += line(L"Server: %s", wide(names.server));
  text += line(L"PC Name: %s", wide(names.name));
  text += time_line(L"Top", record.top_date);
  text += time_line(L"End", record.end_date);
  text += line(L"LogCount:%3d", record.last_number);
  text += line(L"LogFile: %s", wide(record.log_file));
  if (text.size() >= static_cast<std::size_t>(kInfoPanelCapacity)) text.resize(kInfoPanelCapacity - 1);
  return text;
}

void refresh_info_panel(HWND window) {
  const int index = selected_character(window);
  const std::u16string text = index < 0 ? std::u16string() : info_panel_text(character_table().names[index]);
  SetDlgItemTextW(window, IDC_INFO_PANEL, wide(text));
}

}  // namespace tellwick
