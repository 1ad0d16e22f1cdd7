#include "ui/status_log.h"

#include <windows.h>

#include "resource_ids.h"
#include "ui/program_state.h"
#include "ui/wide_text.h"

namespace tellwick {

void status_log_append(const char16_t* text) {
  const HWND log = GetDlgItem(main_window(), IDC_STATUS_LOG);
  const int length = GetWindowTextLengthW(log);
  // Caret to the end, then insert there: the text always lands last.
  SendMessageW(log, EM_SETSEL, length, length);
  SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide(text)));
}

}  // namespace tellwick
