#include "ui/dialog_font.h"

#include <windows.h>

#include <algorithm>

namespace tellwick {
namespace {

bool contains_face(const std::vector<std::wstring>& faces, std::wstring_view face) {
  return std::any_of(faces.begin(), faces.end(), [face](const std::wstring& f) {
    return CompareStringOrdinal(f.data(), static_cast<int>(f.size()), face.data(), static_cast<int>(face.size()),
                                TRUE) == CSTR_EQUAL;
  });
}

int CALLBACK stop_at_first(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// Asked by name rather than listed whole: a family's name in a list may be
// its localised one (IPA Pゴシック), while a font is found by either.
bool face_installed(HDC dc, const wchar_t* face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
  bool found = false;
  EnumFontFamiliesExW(dc, &wanted, stop_at_first, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

}  // namespace

DialogFace choose_dialog_face(const std::vector<std::wstring>& installed) {
  if (contains_face(installed, kDialogFace)) return {nullptr, 100};
  for (const DialogFace& stand_in : kDialogFaceStandIns) {
    if (contains_face(installed, stand_in.face)) return stand_in;
  }
  return {nullptr, 100};
}

std::vector<std::wstring> installed_dialog_faces() {
  std::vector<std::wstring> installed;
  const HDC dc = GetDC(nullptr);
  if (dc == nullptr) return installed;
  if (face_installed(dc, kDialogFace)) installed.emplace_back(kDialogFace);
  for (const DialogFace& stand_in : kDialogFaceStandIns) {
    if (face_installed(dc, stand_in.face)) installed.emplace_back(stand_in.face);
  }
  ReleaseDC(nullptr, dc);
  return installed;
}

const DialogFace& dialog_face() {
  static const DialogFace face = choose_dialog_face(installed_dialog_faces());
  return face;
}

}  // namespace tellwick
