// The face the windows' texts are laid out in. The templates name "MS Shell
// Dlg", which Japanese Windows draws in MS UI Gothic, and the templates'
// sizes were made for it. Wine has no MS UI Gothic: left to itself it draws in
// a fixed-pitch Japanese font whose wide letters overrun the labels. Where MS
// UI Gothic is missing, a proportional Japanese font that is installed takes
// its place, so that the labels read whole without any set-up by the player.
#pragma once

#include <string>
#include <vector>

namespace tellwick {

inline constexpr wchar_t kDialogFace[] = L"MS UI Gothic";

// A face to lay the windows out in, and how much wider than their templates
// say: dialog units follow the font, so what counts is how wide its Japanese
// letters are next to its Latin ones.
struct DialogFace {
  const wchar_t* face;
  int width_percent;
};

// In the order they are tried, each with the least width, measured, in which
// every label of the windows reads whole. IPA P Gothic has MS P Gothic's
// widths, near MS UI Gothic's, and Takao P Gothic is the same font under the
// name older Ubuntu gave it: both fit the templates as they are. VL P Gothic
// (Fedora's Japanese default) and Noto Sans CJK JP (the most common of all,
// whose proportional kana GDI does not apply) have full-width kana and need
// a fifth more room; a quarter leaves a few pixels to spare.
inline constexpr DialogFace kDialogFaceStandIns[] = {
    {L"IPAPGothic", 100}, {L"TakaoPGothic", 100}, {L"VL PGothic", 125}, {L"Noto Sans CJK JP", 125}};

// The face to put in place of the templates' own, given the faces that are
// installed (compared without regard to case, as font names are): none (a
// null face) when MS UI Gothic is among them, or when none of the stand-ins is.
DialogFace choose_dialog_face(const std::vector<std::wstring>& installed);

// Which of MS UI Gothic and its stand-ins this system has.
std::vector<std::wstring> installed_dialog_faces();

// choose_dialog_face for this system, looked up once per process.
const DialogFace& dialog_face();

}  // namespace tellwick
