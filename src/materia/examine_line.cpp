#include "materia/examine_line.h"

#include "materia/materia_message.h"

namespace tellwick {

void examine_line(const char16_t* line, RecipeOutput& recipe, const ReportSink& report) {
  MateriaMessage message;
  if (!detect_materia_message(line, message)) return;
  report_diagnostic(report, line);
  report_diagnostic(report, u"\r\n");
  write_recipe_record(message.item_name(), message.materia_name(), recipe);
}

bool may_be_materia_line(const char* utf8_line) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8_line);
  if (*p == '+' || *p == '-' || *p == ' ' || (*p >= '\t' && *p <= '\r')) return true;
  // An entry line starts with eight hex digits, so this loop ends within
  // them; "0046" reads as 46 like any leading zeros.
  unsigned value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > 47) return false;
  }
  // A non-ASCII unit may be white space or a digit of another script; a
  // control sequence may hide more digits behind it.
  if (*p >= 0x80 || *p == 0x02) return true;
  return value == 46 || value == 47;
}

}  // namespace tellwick
