// The resources as they are compiled into the program: the three dialog
// templates control by control, the icon and the manifest, all in Japanese
// (language 1041).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "ui/dialog_template.h"
#include "ui/program_state.h"

namespace tellwick::test {
namespace {

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
static_assert(kJapanese == 1041);

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SHELLFONT;

struct Control {
  int id;
  std::wstring kind;  // the window class, upper case
  DWORD style;
  DWORD ex_style;
  std::wstring text;
  short x, y, cx, cy;

  bool operator==(const Control&) const = default;
};

struct Template {
  DWORD style = 0;
  short cx = 0, cy = 0;
  std::wstring caption;
  WORD point_size = 0;
  WORD weight = 0;
  std::wstring font;
  std::size_t font_end = 0;  // the offset past the typeface's null
  std::vector<Control> controls;
};

void PrintTo(const Control& c, std::ostream* out) {
  std::string kind(c.kind.begin(), c.kind.end());
  *out << "{" << c.id << " " << kind << " text of " << c.text.size() << " style " << std::hex << c.style << " ex "
       << c.ex_style << std::dec << " at " << c.x << "," << c.y << "," << c.cx << "," << c.cy << "}";
}

// Reads an extended dialog template as the dialog manager does.
class TemplateReader {
 public:
  explicit TemplateReader(const std::uint8_t* data) : at_(data), start_(data) {}

  template <typename T>
  T read() {
    T value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  std::wstring read_string() {
    std::wstring text;
    for (wchar_t c = read<wchar_t>(); c != L'\0'; c = read<wchar_t>()) text += c;
    return text;
  }
  // A name or a number; numbers of the predefined classes become their names.
  std::wstring read_name_or_number() {
    const WORD first = read<WORD>();
    if (first == 0) return L"";
    if (first == 0xFFFF) {
      const WORD number = read<WORD>();
      // clang-format off
      switch (number) {
        case 0x80: return L"BUTTON";
        case 0x81: return L"EDIT";
        case 0x82: return L"STATIC";
        case 0x85: return L"COMBOBOX";
      }
      // clang-format on
      return L"#" + std::to_wstring(number);
    }
    at_ -= sizeof(WORD);
    return read_string();
  }
  void align_to_dword() {
    while ((at_ - start_) % 4 != 0) ++at_;
  }
  std::size_t offset() const { return static_cast<std::size_t>(at_ - start_); }

 private:
  const std::uint8_t* at_;
  const std::uint8_t* start_;
};

const std::uint8_t* japanese_resource(const wchar_t* type, const wchar_t* name, DWORD* size = nullptr) {
  const HRSRC found = FindResourceExW(module_instance(), type, name, kJapanese);
  if (found == nullptr) return nullptr;
  if (size != nullptr) *size = SizeofResource(module_instance(), found);
  return static_cast<const std::uint8_t*>(LockResource(LoadResource(module_instance(), found)));
}

Template parse_template(const std::uint8_t* data) {
  Template t;
  TemplateReader r(data);
  EXPECT_EQ(r.read<WORD>(), 1);       // version
  EXPECT_EQ(r.read<WORD>(), 0xFFFF);  // extended template
  r.read<DWORD>();                    // help id
  r.read<DWORD>();                    // extended style
  t.style = r.read<DWORD>();
  const WORD count = r.read<WORD>();
  r.read<short>();
  r.read<short>();
  t.cx = r.read<short>();
  t.cy = r.read<short>();
  r.read_name_or_number();  // menu
  r.read_name_or_number();  // class
  t.caption = r.read_string();
  t.point_size = r.read<WORD>();
  t.weight = r.read<WORD>();
  r.read<BYTE>();  // italic
  r.read<BYTE>();  // character set
  t.font = r.read_string();
  t.font_end = r.offset();
  for (WORD i = 0; i < count; ++i) {
    r.align_to_dword();
    Control c;
    r.read<DWORD>();  // help id
    c.ex_style = r.read<DWORD>();
    c.style = r.read<DWORD>();
    c.x = r.read<short>();
    c.y = r.read<short>();
    c.cx = r.read<short>();
    c.cy = r.read<short>();
    c.id = static_cast<int>(r.read<DWORD>());
    c.kind = r.read_name_or_number();
    CharUpperW(c.kind.data());  // class names match without regard to case
    c.text = r.read_name_or_number();
    r.read<WORD>();  // no creation data
    t.controls.push_back(c);
  }
  return t;
}

Template read_template(const wchar_t* name) {
  const std::uint8_t* data = japanese_resource(RT_DIALOG, name);
  return data != nullptr ? parse_template(data) : Template{};
}

constexpr int kNoId = -1;

TEST(Resources, MainWindowTemplate) {
  const Template t = read_template(L"RECIPEBOX");
  EXPECT_EQ(t.style, kDialogStyle | DS_CENTER);  // not visible when created
  EXPECT_EQ(t.cx, 179);
  EXPECT_EQ(t.cy, 202);
  EXPECT_EQ(t.caption, L"Tellwick");
  EXPECT_EQ(t.font, L"MS Shell Dlg");
  EXPECT_EQ(t.point_size, 8);
  EXPECT_EQ(t.weight, 400);
  const DWORD push = kChild | WS_TABSTOP | BS_PUSHBUTTON;  // none is the default button
  const std::vector<Control> expected = {
      {IDCANCEL, L"BUTTON", push, 0, L"終了", 7, 181, 165, 14},
      {IDC_EXTRACT, L"BUTTON", push, 0, L"ログを抽出", 6, 104, 166, 14},
      {IDC_VERSION_TEXT, L"STATIC", kChild | WS_GROUP | SS_LEFT, 0, L"Ver.**.**.**.**", 7, 7, 71, 8},
      {kNoId, L"STATIC", kChild | WS_GROUP | SS_LEFT, WS_EX_RIGHT, L"タスクトレイに収納します↑", 88, 7, 84, 8},
      {IDC_STATUS_LOG, L"EDIT",
       kChild | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0,
       L"", 7, 143, 165, 35},
      {IDC_OPEN_LOG_FOLDER, L"BUTTON", push, 0, L"ログ保存フォルダを開く", 90, 125, 82, 14},
      {IDC_SETTINGS, L"BUTTON", push, 0, L"設定", 7, 126, 37, 14},
      {IDC_INFO_PANEL, L"EDIT", kChild | ES_MULTILINE | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, L"", 7, 37, 165,
       66},
      {IDC_CHARACTER_LIST, L"COMBOBOX", kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, L"", 7, 20, 131, 81},
      {IDC_CHANGE_NAME, L"BUTTON", push, 0, L"変更", 140, 19, 32, 15},
      // Between the settings and log folder buttons; last in tab order.
      {IDC_HISTORY, L"BUTTON", push, 0, L"履歴", 48, 126, 38, 14},
  };
  EXPECT_EQ(t.controls, expected);
}

TEST(Resources, SettingsDialogTemplate) {
  const Template t = read_template(L"CONFBOX");
  EXPECT_EQ(t.style, kDialogStyle);  // placed at its origin, not centred
  EXPECT_EQ(t.cx, 245);
  EXPECT_EQ(t.cy, 128);
  EXPECT_EQ(t.caption, L"Tellwick  Setting");
  EXPECT_EQ(t.font, L"MS Shell Dlg");
  EXPECT_EQ(t.point_size, 8);
  EXPECT_EQ(t.weight, 400);
  const DWORD push = kChild | WS_TABSTOP | BS_PUSHBUTTON;
  const DWORD radio = kChild | BS_AUTORADIOBUTTON;
  const DWORD check = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
  const DWORD note = kChild | WS_GROUP | SS_LEFT;
  const std::vector<Control> expected = {
      {IDOK, L"BUTTON", push, 0, L"設定を保存して終了", 7, 107, 111, 14},
      {kNoId, L"BUTTON", kChild | BS_GROUPBOX, 0, L"保存文字コード", 7, 9, 109, 66},
      {IDC_CHARSET_ANSI, L"BUTTON", radio, 0, L"SJIS 日本で定番", 15, 22, 71, 10},
      {IDC_CHARSET_UTF8, L"BUTTON", radio, 0, L"UTF-8 FF14内部コード", 15, 42, 93, 10},
      {IDC_CHARSET_UTF16, L"BUTTON", radio, 0, L"UTF-16(UNICODE)", 15, 62, 75, 10},
      {kNoId, L"STATIC", note, 0, L"意味がわからない人はこれ", 26, 32, 84, 8},
      {kNoId, L"STATIC", note, 0, L"推奨：だが対応ビュア少ない？", 26, 52, 85, 8},
      {IDC_WATCH_ENABLED, L"BUTTON", check, 0, L"監視してログを自動的に保存", 127, 14, 107, 10},
      {IDC_START_IN_TRAY, L"BUTTON", check, 0, L"タスクトレイの状態で起動する", 127, 30, 108, 10},
      {IDC_BROWSE_FOLDER, L"BUTTON", push, 0, L"変更", 215, 92, 23, 14},
      {IDC_OPEN_LOG_FOLDER, L"BUTTON", push, 0, L"ログ保存フォルダを開く", 7, 76, 113, 14},
      {IDCANCEL, L"BUTTON", push, 0, L"キャンセル", 127, 107, 111, 14},
      {IDC_LOG_FOLDER, L"EDIT", kChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, L"", 7, 92, 206, 14},
      {IDC_SHOW_CONTROL, L"BUTTON", check | WS_DISABLED, 0, L"制御コードを可視化して残す", 127, 60, 111, 10},
      {IDC_KEEP_DUPLICATES, L"BUTTON", check | WS_DISABLED, 0, L"マテリア化の重複を削除しない", 127, 75, 111, 10},
  };
  EXPECT_EQ(t.controls, expected);
}

TEST(Resources, NameDialogTemplate) {
  const Template t = read_template(L"SETNAMEBOX");
  EXPECT_EQ(t.style, kDialogStyle);
  EXPECT_EQ(t.cx, 165);
  EXPECT_EQ(t.cy, 104);
  EXPECT_EQ(t.caption, L"PC Name / Server");
  EXPECT_EQ(t.font, L"MS Shell Dlg");
  EXPECT_EQ(t.point_size, 8);
  EXPECT_EQ(t.weight, 400);
  const DWORD edit = kChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  const std::vector<Control> expected = {
      {IDOK, L"BUTTON", kChild | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, L"OK", 47, 83, 50, 14},
      {IDCANCEL, L"BUTTON", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, L"キャンセル", 108, 83, 50, 14},
      {IDC_SERVER_NAME, L"EDIT", edit, 0, L"", 25, 20, 134, 14},
      {IDC_CHARACTER_NAME, L"EDIT", edit, 0, L"", 25, 56, 134, 14},
      {kNoId, L"STATIC", kChild | WS_GROUP | SS_LEFT, 0, L"Server", 7, 7, 22, 8},
      {kNoId, L"STATIC", kChild | WS_GROUP | SS_LEFT, 0, L"PC Name", 7, 43, 30, 8},
  };
  EXPECT_EQ(t.controls, expected);
}

// The windows made from the templates, in the face the program lays them out
// in: Japanese texts intact, and Tab walking the controls in template order.
TEST(Resources, CreatedWindowsShowTheTextsAndTabInTemplateOrder) {
  for (const wchar_t* name : {L"RECIPEBOX", L"CONFBOX", L"SETNAMEBOX"}) {
    SCOPED_TRACE(testing::Message() << static_cast<const void*>(name));
    const Template t = read_template(name);
    const HWND dialog = create_dialog(
        module_instance(), name, nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(dialog, nullptr);
    std::vector<HWND> tab_order;
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const Control& c : t.controls) {
      ASSERT_NE(child, nullptr);
      wchar_t text[128] = {};
      GetWindowTextW(child, text, 128);
      if (c.kind != L"EDIT" && c.kind != L"COMBOBOX") {
        EXPECT_EQ(text, c.text);
      }
      EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, c.id & 0xFFFF);  // the static id is 0xFFFF, read back as -1 or not
      if ((c.style & WS_TABSTOP) && !(c.style & WS_DISABLED)) tab_order.push_back(child);
      child = GetWindow(child, GW_HWNDNEXT);
    }
    // GetNextDlgTabItem is what the Tab key follows.
    for (std::size_t i = 0; i + 1 < tab_order.size(); ++i) {
      EXPECT_EQ(GetNextDlgTabItem(dialog, tab_order[i], FALSE), tab_order[i + 1]) << i;
    }
    DestroyWindow(dialog);
  }
}

// A copy naming another face, as the program lays the windows out in where
// their own face is missing: the face replaced, every other field and every
// control as they were. Faces of one letter and of the longest a font name
// takes put the controls at each alignment.
TEST(Resources, TemplatesInAnotherFaceKeepAllElse) {
  for (const wchar_t* name : {L"RECIPEBOX", L"CONFBOX", L"SETNAMEBOX"}) {
    for (const std::wstring face : {L"IPAPGothic", L"X", L"XY", L"XYZ", L"A face name of 31 letters, long"}) {
      SCOPED_TRACE(testing::Message() << face.size() << " letters");
      DWORD size = 0;
      const std::uint8_t* data = japanese_resource(RT_DIALOG, name, &size);
      ASSERT_NE(data, nullptr);
      const std::vector<std::uint8_t> copy = template_with_face(data, size, face);
      ASSERT_FALSE(copy.empty());
      const Template before = parse_template(data);
      const Template after = parse_template(copy.data());
      EXPECT_EQ(before.font, L"MS Shell Dlg");
      EXPECT_EQ(after.font, face);
      EXPECT_EQ(after.style, before.style);
      EXPECT_EQ(after.cx, before.cx);
      EXPECT_EQ(after.cy, before.cy);
      EXPECT_EQ(after.caption, before.caption);
      EXPECT_EQ(after.point_size, before.point_size);
      EXPECT_EQ(after.weight, before.weight);
      EXPECT_EQ(after.controls, before.controls);
    }
  }
}

// Widened for a face with wider letters: the dialog and each control's two
// edges moved out by the same factor, so that what lined up still does;
// heights, texts and everything else as they were.
TEST(Resources, TemplatesWidenedMoveEveryEdgeByTheSameFactor) {
  const auto widened = [](int value) { return static_cast<short>((value * 125 + 50) / 100); };
  for (const wchar_t* name : {L"RECIPEBOX", L"CONFBOX", L"SETNAMEBOX"}) {
    DWORD size = 0;
    const std::uint8_t* data = japanese_resource(RT_DIALOG, name, &size);
    ASSERT_NE(data, nullptr);
    const std::vector<std::uint8_t> copy = template_with_face(data, size, L"Noto Sans CJK JP", 125);
    ASSERT_FALSE(copy.empty());
    const Template before = parse_template(data);
    const Template after = parse_template(copy.data());
    EXPECT_EQ(after.font, L"Noto Sans CJK JP");
    EXPECT_EQ(after.cx, widened(before.cx));
    EXPECT_EQ(after.cy, before.cy);
    EXPECT_EQ(after.caption, before.caption);
    ASSERT_EQ(after.controls.size(), before.controls.size());
    for (std::size_t i = 0; i < before.controls.size(); ++i) {
      Control expected = before.controls[i];
      expected.x = widened(expected.x);
      expected.cx = static_cast<short>(widened(before.controls[i].x + before.controls[i].cx) - expected.x);
      EXPECT_EQ(after.controls[i], expected) << i;
    }
  }
}

// No copy, and nothing read beyond the template, when it ends before its
// face does, names no font, or the face cannot be a font's name.
TEST(Resources, TemplatesThatCannotTakeAnotherFaceAreNotCopied) {
  DWORD size = 0;
  const std::uint8_t* data = japanese_resource(RT_DIALOG, L"SETNAMEBOX", &size);
  ASSERT_NE(data, nullptr);
  const std::size_t font_end = parse_template(data).font_end;
  for (std::size_t cut = 0; cut <= size; ++cut) {
    // An exact-size copy, so that a read past the cut is a read past the block.
    const std::vector<std::uint8_t> start(data, data + cut);
    EXPECT_EQ(template_with_face(start.data(), start.size(), L"IPAPGothic").empty(), cut < font_end) << cut;
    // Widened, every control is read: a template cut anywhere is not copied.
    EXPECT_EQ(template_with_face(start.data(), start.size(), L"IPAPGothic", 125).empty(), cut < size) << cut;
  }
  std::vector<std::uint8_t> no_font(data, data + size);
  DWORD style = 0;
  std::memcpy(&style, no_font.data() + 12, sizeof style);
  style &= ~static_cast<DWORD>(DS_SETFONT);
  std::memcpy(no_font.data() + 12, &style, sizeof style);
  EXPECT_TRUE(template_with_face(no_font.data(), no_font.size(), L"IPAPGothic").empty());
  EXPECT_TRUE(template_with_face(data, size, L"").empty());
  EXPECT_TRUE(template_with_face(data, size, L"A face name of thirty-two letters").empty());
  EXPECT_TRUE(template_with_face(data, size, std::wstring(L"IPA\0PGothic", 11)).empty());
  EXPECT_TRUE(template_with_face(nullptr, 0, L"IPAPGothic").empty());
  EXPECT_TRUE(template_with_face(data, size, L"IPAPGothic", 99).empty());
  EXPECT_TRUE(template_with_face(data, size, L"IPAPGothic", kMostWidthPercent + 1).empty());
  EXPECT_FALSE(template_with_face(data, size, L"IPAPGothic", kMostWidthPercent).empty());
}

// A template of the older form (DLGTEMPLATE, as a DIALOG statement makes)
// takes another face and width too, and its controls get them.
TEST(Resources, OlderFormTemplateInAnotherFace) {
  std::vector<WORD> words;
  const auto add_dword = [&words](DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
  };
  const auto add_text = [&words](const wchar_t* text) {
    for (; *text != L'\0'; ++text) words.push_back(*text);
    words.push_back(0);
  };
  add_dword(WS_POPUP | WS_CAPTION | DS_SETFONT);
  add_dword(0);                                         // extended style
  words.insert(words.end(), {1, 0, 0, 100, 40, 0, 0});  // one control; x, y, cx, cy; no menu, no class
  add_text(L"older");
  words.push_back(8);  // point size
  add_text(L"MS Shell Dlg");
  if (words.size() % 2 != 0) words.push_back(0);
  add_dword(WS_CHILD | WS_VISIBLE | SS_LEFT);
  add_dword(0);
  words.insert(words.end(), {7, 7, 80, 8, 100, 0xFFFF, 0x0082});  // x, y, cx, cy, id, the static class
  add_text(L"ラベル");
  words.push_back(0);  // no creation data

  const std::vector<std::uint8_t> copy = template_with_face(reinterpret_cast<const std::uint8_t*>(words.data()),
                                                            words.size() * sizeof(WORD), L"IPAPGothic", 150);
  ASSERT_FALSE(copy.empty());
  const HWND dialog = CreateDialogIndirectParamW(
      module_instance(), reinterpret_cast<const DLGTEMPLATE*>(copy.data()), nullptr,
      [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  ASSERT_NE(dialog, nullptr);
  const HWND label = GetDlgItem(dialog, 100);
  ASSERT_NE(label, nullptr);
  wchar_t text[16] = {};
  GetWindowTextW(label, text, 16);
  EXPECT_STREQ(text, L"ラベル");
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, L"IPAPGothic");
  // Widened by half: 7 and 87 dialog units become 11 (10.5 rounded) and 131.
  RECT expected{11, 7, 131, 15};
  MapDialogRect(dialog, &expected);
  RECT placed{};
  GetWindowRect(label, &placed);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed.left, expected.left);
  EXPECT_EQ(placed.right, expected.right);
  DestroyWindow(dialog);
}

TEST(Resources, IconIsOne32By32ImageWith256Colours) {
  DWORD size = 0;
  const std::uint8_t* group = japanese_resource(RT_GROUP_ICON, L"MAIN", &size);
  ASSERT_NE(group, nullptr);
  ASSERT_GE(size, 6u + 14u);
  WORD count;
  std::memcpy(&count, group + 4, sizeof count);
  EXPECT_EQ(count, 1);
  const std::uint8_t* entry = group + 6;
  EXPECT_EQ(entry[0], 32);  // width
  EXPECT_EQ(entry[1], 32);  // height
  EXPECT_EQ(entry[2], 0);   // 256 colours or more
  WORD bits;
  std::memcpy(&bits, entry + 6, sizeof bits);
  EXPECT_EQ(bits, 8);

  const HICON icon = LoadIconW(module_instance(), L"MAIN");
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(mask.bmWidth, 32);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

TEST(Resources, ManifestAsksForCommonControls6AndNoElevation) {
  DWORD size = 0;
  const std::uint8_t* manifest = japanese_resource(RT_MANIFEST, MAKEINTRESOURCEW(1), &size);
  ASSERT_NE(manifest, nullptr);
  const std::string text(reinterpret_cast<const char*>(manifest), size);
  EXPECT_NE(text.find(R"(level="asInvoker")"), std::string::npos);
  EXPECT_NE(text.find(R"(name="Microsoft.Windows.Common-Controls" version="6.0.0.0")"), std::string::npos);
}

}  // namespace
}  // namespace tellwick::test
