#include "ui/dialog_template.h"

#include <algorithm>
#include <cstring>

#include "ui/dialog_font.h"

namespace tellwick {
namespace {

// Where the template's typeface starts and where it ends (past its null).
struct FaceSpan {
  std::size_t start = 0;
  std::size_t end = 0;
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

bool find_face(const std::uint8_t* data, std::size_t size, FaceSpan& face) {
  TemplateCursor cursor(data, size);
  WORD version = 0, signature = 0;
  DWORD style = 0;
  const bool extended = cursor.word(version) && cursor.word(signature) && version == 1 && signature == 0xFFFF;
  // DLGTEMPLATEEX: help id, extended style, style; DLGTEMPLATE: style first.
  const std::size_t style_at = extended ? 12 : 0;
  if (size < style_at + sizeof style) return false;
  std::memcpy(&style, data + style_at, sizeof style);
  if ((style & DS_SETFONT) == 0) return false;
  // After the style: the extended style in DLGTEMPLATE only, then the
  // control count, position and size (five words).
  const std::size_t menu_at = style_at + sizeof style + (extended ? 0 : sizeof(DWORD)) + 5 * sizeof(WORD);
  TemplateCursor fields(data, size);
  if (!fields.skip(menu_at)) return false;
  if (!fields.skip_name_or_ordinal() || !fields.skip_name_or_ordinal() || !fields.skip_string()) return false;
  // Point size; then weight, italic and character set in the extended form.
  if (!fields.skip(extended ? 3 * sizeof(WORD) : sizeof(WORD))) return false;
  face.start = fields.at();
  if (!fields.skip_string()) return false;
  face.end = fields.at();
  return true;
}

constexpr std::size_t align_to_dword(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

std::vector<std::uint8_t> template_in_dialog_face(HINSTANCE instance, const wchar_t* name) {
  if (dialog_face().empty()) return {};
  const HRSRC found = FindResourceW(instance, name, RT_DIALOG);
  if (found == nullptr) return {};
  const HGLOBAL loaded = LoadResource(instance, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return template_with_face(static_cast<const std::uint8_t*>(data), SizeofResource(instance, found), dialog_face());
}

// A vector's storage comes from operator new, aligned for any DWORD in it.
const DLGTEMPLATE* as_template(const std::vector<std::uint8_t>& bytes) {
  return reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
}

}  // namespace

std::vector<std::uint8_t> template_with_face(const std::uint8_t* data, std::size_t size, std::wstring_view face) {
  FaceSpan old_face;
  if (data == nullptr || face.empty() || face.size() >= LF_FACESIZE || face.find(L'\0') != face.npos ||
      !find_face(data, size, old_face)) {
    return {};
  }
  // The controls start at the first DWORD boundary after the typeface, and
  // each keeps its alignment as long as they start at one in the copy too.
  const std::size_t controls = std::min(align_to_dword(old_face.end), size);
  std::vector<std::uint8_t> copy(data, data + old_face.start);
  const std::size_t face_bytes = (face.size() + 1) * sizeof(wchar_t);
  copy.resize(align_to_dword(copy.size() + face_bytes), 0);
  std::memcpy(copy.data() + old_face.start, face.data(), face.size() * sizeof(wchar_t));
  copy.insert(copy.end(), data + controls, data + size);
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
