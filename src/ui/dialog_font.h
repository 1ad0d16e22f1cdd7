// The face the windows' texts are laid out in. The templates name "MS Shell
// Dlg", which Japanese Windows draws in MS UI Gothic, and the templates'
// sizes were made for it. Wine has no MS UI Gothic: left to itself it draws in
// a fixed-pitch Japanese font whose wide letters overrun the labels. Where MS
// UI Gothic is missing, a proportional Japanese font that is installed takes
// its place, so that the labels read whole without any set-up by the player.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tellwick {

inline constexpr wchar_t kDialogFace[] = L"MS UI Gothic";

// In the order they are tried: the fonts that keep every label of the
// windows whole at the templates' sizes. Dialog units follow the font, so
// what counts is how wide its Japanese letters are next to its Latin ones:
// IPA P Gothic has MS P Gothic's widths, near MS UI Gothic's, and Takao P
// Gothic is the same font under the name older Ubuntu gave it. Fonts with
// full-width kana (VL P Gothic, IPAex Gothic, Noto Sans CJK JP, whose
// proportional kana GDI does not apply) overrun the labels as Wine's own
// choice does, and are left to it.
inline constexpr const wchar_t* kDialogFaceStandIns[] = {L"IPAPGothic", L"TakaoPGothic"};

// The face to put in place of the templates' own, given the faces that are
// installed (compared without regard to case, as font names are): empty
// when MS UI Gothic is among them, or when none of the stand-ins is.
std::wstring_view choose_dialog_face(const std::vector<std::wstring>& installed);

// Which of MS UI Gothic and its stand-ins this system has.
std::vector<std::wstring> installed_dialog_faces();

// choose_dialog_face for this system, looked up once per process.
const std::wstring& dialog_face();

}  // namespace tellwick
