// What shapes an export's output, taken from the settings record by the
// front end that starts the export.
#pragma once

#include "settings/settings.h"

namespace tellwick {

struct ExportOptions {
  int charset = 0;               // output charset of the export file and the recipe file
  bool show_control = false;     // control sequences shown as hex rather than dropped
  bool keep_duplicates = false;  // materia records written again for a pair already written
};

inline ExportOptions export_options_of(const Settings& settings) {
  return {settings.charset, settings.show_control != 0, settings.keep_duplicates != 0};
}

}  // namespace tellwick
