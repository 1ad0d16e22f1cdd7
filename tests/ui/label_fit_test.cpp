// Every label of the three windows reads whole in the font the window really
// gets: each text's extent, measured in its control's own font, fits the room
// the control draws it in, and the character list's rows hold the font's full
// height, so that an underscore under the baseline still shows. The same holds
// in each stand-in for the dialog font that this system has.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "ui/dialog_font.h"
#include "ui/dialog_template.h"
#include "ui/program_state.h"

namespace tellwick::test {
namespace {

INT_PTR CALLBACK no_handling(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

std::wstring class_of(HWND control) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  CharUpperW(name);
  return name;
}

// The text as drawn: "&&" shows one "&", a single "&" marks a mnemonic.
std::wstring drawn_text(HWND control) {
  wchar_t text[256] = {};
  GetWindowTextW(control, text, 256);
  std::wstring shown;
  for (const wchar_t* c = text; *c != L'\0'; ++c) {
    if (*c == L'&') {
      if (c[1] != L'&') continue;
      ++c;
    }
    shown += *c;
  }
  return shown;
}

// The width a control leaves for its text: a push button draws inside its
// frame, a check box or radio button beside its box (and half a "0" of gap),
// a group box inside its frame line.
int text_room(HWND control, HDC dc) {
  RECT client{};
  GetClientRect(control, &client);
  const int width = client.right - client.left;
  if (class_of(control) != L"BUTTON") return width;
  switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_PUSHBUTTON: return width - 4;
    case BS_DEFPUSHBUTTON: return width - 6;
    case BS_GROUPBOX: return width - 14;
    default: {
      int zero = 0;
      GetCharWidth32W(dc, L'0', L'0', &zero);
      return width - GetSystemMetrics(SM_CXMENUCHECK) - zero / 2;
    }
  }
}

std::string utf8(const std::wstring& text) {
  std::string bytes(text.size() * 3, '\0');
  bytes.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                                   static_cast<int>(bytes.size()), nullptr, nullptr));
  return bytes;
}

// The full name of the font that really draws, whatever name was asked for.
std::wstring font_of(HDC dc) {
  const UINT size = GetOutlineTextMetricsW(dc, 0, nullptr);
  if (size == 0) return L"(not an outline font)";
  std::string buffer(size, '\0');
  auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
  GetOutlineTextMetricsW(dc, size, metrics);
  return reinterpret_cast<const wchar_t*>(buffer.data() + reinterpret_cast<std::uintptr_t>(metrics->otmpFullName));
}

// The dialog as the program makes it, or in `face` when one is given.
HWND create(const wchar_t* dialog_name, const DialogFace& face) {
  if (face.face == nullptr) return create_dialog(module_instance(), dialog_name, nullptr, no_handling, 0);
  const HRSRC found = FindResourceW(module_instance(), dialog_name, RT_DIALOG);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(module_instance(), found)));
  const std::vector<std::uint8_t> rewritten =
      template_with_face(data, SizeofResource(module_instance(), found), face.face, face.width_percent);
  if (rewritten.empty()) return nullptr;
  return CreateDialogIndirectParamW(module_instance(), reinterpret_cast<const DLGTEMPLATE*>(rewritten.data()), nullptr,
                                    no_handling, 0);
}

void expect_labels_fit(const wchar_t* dialog_name, const DialogFace& face) {
  SCOPED_TRACE(utf8(dialog_name));
  const HWND dialog = create(dialog_name, face);
  ASSERT_NE(dialog, nullptr);
  int measured = 0;
  for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr; control = GetWindow(control, GW_HWNDNEXT)) {
    const std::wstring kind = class_of(control);
    const std::wstring text = drawn_text(control);
    if ((kind != L"STATIC" && kind != L"BUTTON") || text.empty()) continue;
    const HDC dc = GetDC(control);
    const HGDIOBJ before = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const int room = text_room(control, dc);
    RECT client{};
    GetClientRect(control, &client);
    std::printf("label %s in %s: %ld px wide, %d px of room; %ld of %ld px high\n", utf8(text).c_str(),
                utf8(font_of(dc)).c_str(), extent.cx, room, extent.cy, client.bottom - client.top);
    EXPECT_LE(extent.cx, room) << utf8(text);
    EXPECT_LE(extent.cy, client.bottom - client.top) << utf8(text);
    SelectObject(dc, before);
    ReleaseDC(control, dc);
    ++measured;
  }
  EXPECT_GT(measured, 0);
  DestroyWindow(dialog);
}

void expect_all_labels_fit(const DialogFace& face) {
  for (const wchar_t* name : {L"RECIPEBOX", L"CONFBOX", L"SETNAMEBOX"}) expect_labels_fit(name, face);
}

// Rows of `height` pixels of `text` drawn in the font selected into `dc`,
// clipped to the row as a list draws it: how many pixels took ink.
int inked_pixels(HDC dc, const wchar_t* text, int height) {
  constexpr int kWidth = 64;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kWidth;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HDC memory = CreateCompatibleDC(dc);
  const HBITMAP picture = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old_picture = SelectObject(memory, picture);
  const HGDIOBJ old_font = SelectObject(memory, GetCurrentObject(dc, OBJ_FONT));
  SetBkColor(memory, RGB(255, 255, 255));
  SetTextColor(memory, RGB(0, 0, 0));
  const RECT row{0, 0, kWidth, height};
  ExtTextOutW(memory, 2, 0, ETO_OPAQUE | ETO_CLIPPED, &row, text, lstrlenW(text), nullptr);
  GdiFlush();
  int inked = 0;
  const auto* pixels = static_cast<const DWORD*>(bits);
  for (int i = 0; i < kWidth * height; ++i) {
    if ((pixels[i] & 0xFFFFFF) != 0xFFFFFF) ++inked;
  }
  SelectObject(memory, old_font);
  SelectObject(memory, old_picture);
  DeleteObject(picture);
  DeleteDC(memory);
  return inked;
}

// The character list (a drop-down list) draws each name in a row of its item
// height: the row must hold the font's whole cell, descent included, and the
// underscore of a character folder's name must take ink inside that row.
void expect_underscore_shows(const DialogFace& face) {
  const HWND window = create(L"RECIPEBOX", face);
  ASSERT_NE(window, nullptr);
  const HWND list = GetDlgItem(window, IDC_CHARACTER_LIST);
  const HDC dc = GetDC(list);
  const HGDIOBJ before = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int field_height = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  const int row_height = static_cast<int>(SendMessageW(list, CB_GETITEMHEIGHT, 0, 0));
  const int underscore_ink = inked_pixels(dc, L"_", row_height);
  std::printf(
      "character list in %s: cell %ld px (ascent %ld, descent %ld); field %d px, rows %d px; "
      "underscore %d inked pixels in a row\n",
      utf8(font_of(dc)).c_str(), metrics.tmHeight, metrics.tmAscent, metrics.tmDescent, field_height, row_height,
      underscore_ink);
  EXPECT_GE(field_height, metrics.tmHeight);
  EXPECT_GE(row_height, metrics.tmHeight);
  EXPECT_GT(underscore_ink, 0);
  SelectObject(dc, before);
  ReleaseDC(list, dc);
  DestroyWindow(window);
}

TEST(LabelFit, EveryLabelFitsItsControl) { expect_all_labels_fit({nullptr, 100}); }

TEST(LabelFit, CharacterListRowsShowTheUnderscore) { expect_underscore_shows({nullptr, 100}); }

// Whichever of them a player's system has first is the one the windows get,
// as wide as it asks.
TEST(LabelFit, EveryInstalledStandInForTheDialogFontFitsTheLabels) {
  const std::vector<std::wstring> installed = installed_dialog_faces();
  for (const DialogFace& stand_in : kDialogFaceStandIns) {
    if (std::find(installed.begin(), installed.end(), stand_in.face) == installed.end()) {
      std::printf("%s is not installed\n", utf8(stand_in.face).c_str());
      continue;
    }
    SCOPED_TRACE(utf8(stand_in.face));
    expect_all_labels_fit(stand_in);
    expect_underscore_shows(stand_in);
  }
}

}  // namespace
}  // namespace tellwick::test
