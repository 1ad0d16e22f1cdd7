#include "ui/name_dialog.h"

#include "gamelog/game_folders.h"
#include "resource_ids.h"
#include "settings/settings.h"
#include "ui/program_state.h"
#include "ui/wide_text.h"

namespace tellwick {
namespace {

// The character the open dialog edits; the table is not refilled while it is open.
int& edited_character() {
  static int index = 0;
  return index;
}

const char16_t* edited_section() { return character_table().names[edited_character()]; }

// An empty edit removes the key instead of leaving an empty name behind.
void save_name(HWND dialog, int control, const char16_t* key) {
  wchar_t text[kNameEditCapacity] = {};
  GetDlgItemTextW(dialog, control, text, kNameEditCapacity);
  write_character_text(edited_section(), key, text[0] == L'\0' ? nullptr : utf16(text));
}

}  // namespace

INT_PTR CALLBACK name_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      edited_character() = static_cast<int>(lparam);
      SetDlgItemTextW(dialog, IDC_SERVER_NAME, wide(read_character_text(edited_section(), u"SERVER", u"")));
      SetDlgItemTextW(dialog, IDC_CHARACTER_NAME, wide(read_character_text(edited_section(), u"NAME", u"")));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
          save_name(dialog, IDC_SERVER_NAME, u"SERVER");
          save_name(dialog, IDC_CHARACTER_NAME, u"NAME");
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

INT_PTR run_name_dialog(HWND owner, int character_index) {
  return DialogBoxParamW(module_instance(), L"SETNAMEBOX", owner, name_dialog_proc, character_index);
}

}  // namespace tellwick
