#include "ui/dialog_template.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ui/dialog_font.h"

namespace tellwick {
namespace {

// Where a template's fields that change are.
struct TemplateLayout {
  bool extended = false;       // DLGTEMPLATEEX rather than DLGTEMPLATE
  std::size_t count_at = 0;    // the number of controls, then x, y, cx, cy
  std::size_t face_start = 0;  // the typeface
  std::size_t face_end = 0;    // past the typeface's null
};

// Reads a template's fields in order, never past its end: once a read would
// go beyond it, every later one fails too.
class TemplateCursor {
 public:
  TemplateCursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool word(WORD& value) {
    if (!ok_ || size_ - at_ < sizeof value) return ok_ = false;
    std::memcpy(&value, data_ + at_, sizeof value);
    at_ += sizeof value;
    return true;
  }
  bool skip(std::size_t bytes) {
    if (!ok_ || size_ - at_ < bytes) return ok_ = false;
    at_ += bytes;
    return true;
  }
  // A null-terminated UTF-16 string.
  bool skip_string() {
    WORD c = 0;
    while (word(c)) {
      if (c == 0) return true;
    }
    return false;
  }
  // A menu or class: none (0), an ordinal (0xFFFF and a number), or a name.
  bool skip_name_or_ordinal() {
    WORD first = 0;
    if (!word(first)) return false;
    if (first == 0) return true;
    if (first == 0xFFFF) return skip(sizeof(WORD));
    return skip_string();
  }
  std::size_t at() const { return at_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

bool find_face(const std::uint8_t* data, std::size_t size, TemplateLayout& layout) {
  TemplateCursor head(data, size);
  WORD version = 0, signature = 0;
  DWORD style = 0;
  layout.extended = head.word(version) && head.word(signature) && version == 1 && signature == 0xFFFF;
  // DLGTEMPLATEEX: help id, extended style, style; DLGTEMPLATE: style first.
  const std::size_t style_at = layout.extended ? 12 : 0;
  if (size < style_at + sizeof style) return false;
  std::memcpy(&style, data + style_at, sizeof style);
  if ((style & DS_SETFONT) == 0) return false;
  // After the style: the extended style in DLGTEMPLATE only, then the
  // control count, position and size (five words).
  layout.count_at = style_at + sizeof style + (layout.extended ? 0 : sizeof(DWORD));
  TemplateCursor fields(data, size);
  if (!fields.skip(layout.count_at + 5 * sizeof(WORD))) return false;
  if (!fields.skip_name_or_ordinal() || !fields.skip_name_or_ordinal() || !fields.skip_string()) return false;
  // Point size; then weight, italic and character set in the extended form.
  if (!fields.skip(layout.extended ? 3 * sizeof(WORD) : sizeof(WORD))) return false;
  layout.face_start = fields.at();
  if (!fields.skip_string()) return false;
  layout.face_end = fields.at();
  return true;
}

constexpr std::size_t align_to_dword(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

short widened(int value, int width_percent) {
  const long scaled = std::lround(value * (width_percent / 100.0));
  return static_cast<short>(std::clamp(scaled, -32768L, 32767L));
}

// Reads the short at `at` of `bytes`, widened.
short widened_at(const std::vector<std::uint8_t>& bytes, std::size_t at, int width_percent) {
  short value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return widened(value, width_percent);
}

void write_short(std::vector<std::uint8_t>& bytes, std::size_t at, short value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

// Widens the dialog and each control's position and width in `copy`, whose
// controls start at `controls`. Both edges of a control are widened, so that
// controls that lined up still do. False when a control ends the template.
bool widen(std::vector<std::uint8_t>& copy, const TemplateLayout& layout, std::size_t controls, int width_percent) {
  WORD count = 0;
  std::memcpy(&count, copy.data() + layout.count_at, sizeof count);
  const std::size_t dialog_cx = layout.count_at + 3 * sizeof(WORD);
  write_short(copy, dialog_cx, widened_at(copy, dialog_cx, width_percent));
  // DLGITEMTEMPLATEEX: help id, extended style, style, then x, y, cx, cy and
  // a DWORD id; DLGITEMTEMPLATE: style, extended style, the four, a WORD id.
  const std::size_t x_offset = layout.extended ? 12 : 8;
  const std::size_t class_offset = x_offset + 4 * sizeof(WORD) + (layout.extended ? sizeof(DWORD) : sizeof(WORD));
  std::size_t item = controls;
  for (WORD i = 0; i < count; ++i) {
    item = align_to_dword(item);
    TemplateCursor fields(copy.data(), copy.size());
    if (!fields.skip(item + class_offset)) return false;
    if (!fields.skip_name_or_ordinal() || !fields.skip_name_or_ordinal()) return false;
    WORD creation_bytes = 0;
    if (!fields.word(creation_bytes) || !fields.skip(creation_bytes)) return false;
    short x = 0, cx = 0;
    std::memcpy(&x, copy.data() + item + x_offset, sizeof x);
    std::memcpy(&cx, copy.data() + item + x_offset + 2 * sizeof(WORD), sizeof cx);
    const short left = widened(x, width_percent);
    write_short(copy, item + x_offset, left);
    write_short(copy, item + x_offset + 2 * sizeof(WORD), static_cast<short>(widened(x + cx, width_percent) - left));
    item = fields.at();
  }
  return true;
}

std::vector<std::uint8_t> template_in_dialog_face(HINSTANCE instance, const wchar_t* name) {
  const DialogFace& chosen = dialog_face();
  if (chosen.face == nullptr) return {};
  const HRSRC found = FindResourceW(instance, name, RT_DIALOG);
  if (found == nullptr) return {};
  const HGLOBAL loaded = LoadResource(instance, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return template_with_face(static_cast<const std::uint8_t*>(data), SizeofResource(instance, found), chosen.face,
                            chosen.width_percent);
}

// A vector's storage comes from operator new, aligned for any DWORD in it.
const DLGTEMPLATE* as_template(const std::vector<std::uint8_t>& bytes) {
  return reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
}

}  // namespace

std::vector<std::uint8_t> template_with_face(const std::uint8_t* data, std::size_t size, std::wstring_view face,
                                             int width_percent) {
  TemplateLayout layout;
  if (data == nullptr || face.empty() || face.size() >= LF_FACESIZE || face.find(L'\0') != face.npos ||
      width_percent < 100 || width_percent > kMostWidthPercent || !find_face(data, size, layout)) {
    return {};
  }
  // The controls start at the first DWORD boundary after the typeface, and
  // each keeps its alignment as long as they start at one in the copy too.
  const std::size_t controls = std::min(align_to_dword(layout.face_end), size);
  std::vector<std::uint8_t> copy(data, data + layout.face_start);
  const std::size_t face_bytes = (face.size() + 1) * sizeof(wchar_t);
  copy.resize(align_to_dword(copy.size() + face_bytes), 0);
  std::memcpy(copy.data() + layout.face_start, face.data(), face.size() * sizeof(wchar_t));
  const std::size_t copied_controls = copy.size();
  copy.insert(copy.end(), data + controls, data + size);
  if (width_percent != 100 && !widen(copy, layout, copied_controls, width_percent)) return {};
  return copy;
}

HWND create_dialog(HINSTANCE instance, const wchar_t* name, HWND owner, DLGPROC procedure, LPARAM parameter) {
  const std::vector<std::uint8_t> rewritten = template_in_dialog_face(instance, name);
  if (rewritten.empty()) return CreateDialogParamW(instance, name, owner, procedure, parameter);
  return CreateDialogIndirectParamW(instance, as_template(rewritten), owner, procedure, parameter);
}

INT_PTR run_dialog(HINSTANCE instance, const wchar_t* name, HWND owner, DLGPROC procedure, LPARAM parameter) {
  const std::vector<std::uint8_t> rewritten = template_in_dialog_face(instance, name);
  if (rewritten.empty()) return DialogBoxParamW(instance, name, owner, procedure, parameter);
  return DialogBoxIndirectParamW(instance, as_template(rewritten), owner, procedure, parameter);
}

}  // namespace tellwick
