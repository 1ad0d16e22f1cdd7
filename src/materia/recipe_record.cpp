#include "materia/recipe_record.h"

#include "materia/check_code.h"
#include "output/output_charset.h"

namespace tellwick {
namespace {

constexpr std::u16string_view kItemLabel = u"アイテム：";
constexpr std::u16string_view kMateriaLabel = u"マテリア：";
constexpr std::u16string_view kCheckLabel = u"Check：";
constexpr std::u16string_view kLineEnd = u"\r\n";
constexpr std::size_t kRecordLines = 4;

static_assert(kItemLabel.size() + kRecordNameMax + kLineEnd.size() < kRecordLineCapacity);
static_assert(kMateriaLabel.size() + kRecordNameMax + kLineEnd.size() < kRecordLineCapacity);

bool is_high_surrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool is_low_surrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::u16string_view fitted_name(std::u16string_view name) {
  if (name.size() <= kRecordNameMax) return name;
  std::size_t cut = kRecordNameMax;
  if (is_high_surrogate(name[cut - 1]) && is_low_surrogate(name[cut])) --cut;
  return name.substr(0, cut);
}

std::size_t append(char16_t* out, std::size_t n, std::u16string_view piece) {
  piece.copy(out + n, piece.size());
  return n + piece.size();
}

std::size_t append_line(char16_t* out, std::size_t n, std::u16string_view label, std::u16string_view value) {
  n = append(out, n, label);
  n = append(out, n, value);
  return append(out, n, kLineEnd);
}

}  // namespace

bool write_recipe_record(std::u16string_view item, std::u16string_view materia, RecipeOutput& out) {
  char16_t code[kCheckCodeCapacity];
  const std::size_t code_length = compute_check_code(item, materia, code);
  if (!out.keep_duplicates && seen_check_list_admit(out.seen, std::u16string_view(code, code_length))) return false;

  char16_t record[kRecordLines * kRecordLineCapacity];
  std::size_t n = append_line(record, 0, kItemLabel, fitted_name(item));
  n = append_line(record, n, kMateriaLabel, fitted_name(materia));
  n = append_line(record, n, kCheckLabel, std::u16string_view(code, code_length));
  n = append(record, n, kLineEnd);
  if (out.file != nullptr) write_text(*out.file, out.charset, record, n);
  return true;
}

}  // namespace tellwick
