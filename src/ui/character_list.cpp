#include "ui/character_list.h"

#include <shlwapi.h>

#include "gamelog/game_folders.h"
#include "resource_ids.h"
#include "settings/character_record.h"
#include "ui/program_state.h"
#include "ui/wide_text.h"

namespace tellwick {
namespace {

constexpr char16_t kUnknown[] = u"Unknown";

}  // namespace

std::u16string list_label(const char16_t* folder, const std::u16string& name, const std::u16string& server) {
  if (name.empty() && server.empty()) return folder;
  wchar_t label[kListLabelCapacity];
  // Bounded: names edited into the settings file by hand may be longer than
  // the name dialog allows; the label is cut rather than overflowing.
  wnsprintfW(label, kListLabelCapacity, L"%s / %s", wide(name.empty() ? kUnknown : name.c_str()),
             wide(server.empty() ? kUnknown : server.c_str()));
  return utf16(label);
}

void fill_character_list(HWND window, const std::u16string& game_user_folder) {
  const HWND list = GetDlgItem(window, IDC_CHARACTER_LIST);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  CharacterTable& table = character_table();
  enumerate_character_folders(game_user_folder, table);  // empties the table first
  for (int i = 0; i < table.count; ++i) {
    const CharacterNames names = read_character_names(table.names[i], u"");
    const std::u16string label = list_label(table.names[i], names.name, names.server);
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(label)));
  }
}

int selected_character(HWND window) {
  const LRESULT index = SendDlgItemMessageW(window, IDC_CHARACTER_LIST, CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= character_table().count) return -1;
  return static_cast<int>(index);
}

}  // namespace tellwick
