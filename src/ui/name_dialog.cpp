#include "ui/name_dialog.h"

#include "gamelog/game_folders.h"
#include "resource_ids.h"
#include "settings/character_record.h"
#include "ui/dialog_template.h"
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

std::u16string edit_text(HWND dialog, int control) {
  wchar_t text[kNameEditCapacity] = {};
  GetDlgItemTextW(dialog, control, text, kNameEditCapacity);
  return utf16(text);
}

}  // namespace

INT_PTR CALLBACK name_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      edited_character() = static_cast<int>(lparam);
      {
        const CharacterNames names = read_character_names(edited_section(), u"");
        SetDlgItemTextW(dialog, IDC_SERVER_NAME, wide(names.server));
        SetDlgItemTextW(dialog, IDC_CHARACTER_NAME, wide(names.name));
      }
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
          write_character_names(edited_section(),
                                {edit_text(dialog, IDC_SERVER_NAME), edit_text(dialog, IDC_CHARACTER_NAME)});
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

INT_PTR run_name_dialog(HWND owner, int character_index) {
  return run_dialog(module_instance(), L"SETNAMEBOX", owner, name_dialog_proc, character_index);
}

}  // namespace tellwick
