#include "materia/examine_line.h"

#include "materia/materia_message.h"
#include "materia/recipe_record.h"
#include "platform/report.h"

namespace tellwick {

void examine_line(const char16_t* line, OutputFile* recipe, int charset, bool keep_duplicates) {
  MateriaMessage message;
  if (!detect_materia_message(line, message)) return;
  debugger_output(line);
  debugger_output(u"\r\n");
  write_recipe_record(message.item_name(), message.materia_name(), recipe, charset, keep_duplicates);
}

}  // namespace tellwick
