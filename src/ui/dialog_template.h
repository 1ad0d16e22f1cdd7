// The program's windows made from their dialog templates, in the face that
// dialog_face() chose: the template is copied with its typeface replaced, so
// that the dialog units, and with them every control's size, follow the face
// the texts are drawn in, and widened as much as that face asks. Where the
// templates keep their own face, the resources are used as they are.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tellwick {

// The widest a copy may be made, against its template.
constexpr int kMostWidthPercent = 200;

// A copy of the dialog template `data` (`size` bytes, either form: DLGTEMPLATE
// or DLGTEMPLATEEX) naming `face` as its typeface, the dialog and each
// control's position and width made `width_percent` of what they were (100 to
// kMostWidthPercent), all else unchanged. Empty when the template names no
// font, when `face` does not fit a font name, when the width is out of range,
// or when the template ends before its font or one of its controls does.
std::vector<std::uint8_t> template_with_face(const std::uint8_t* data, std::size_t size, std::wstring_view face,
                                             int width_percent = 100);

// CreateDialogParamW and DialogBoxParamW for the templates in `instance`'s
// resources, in dialog_face().
HWND create_dialog(HINSTANCE instance, const wchar_t* name, HWND owner, DLGPROC procedure, LPARAM parameter);
INT_PTR run_dialog(HINSTANCE instance, const wchar_t* name, HWND owner, DLGPROC procedure, LPARAM parameter);

}  // namespace tellwick
