// What shapes an export's output, taken from the settings record by the
// front end that starts the export.
#pragma once

#include "output/output_charset.h"
#include "settings/settings.h"

namespace tellwick {

struct ExportOptions {
  OutputCharset charset = kCharsetAnsi;  // of the export file and the recipe file
  bool show_control = false;             // control sequences shown as hex rather than dropped
  bool keep_duplicates = false;          // materia records written again for a pair already written
};

inline ExportOptions export_options_of(const Settings& settings) {
  return {settings.charset, settings.show_control, settings.keep_duplicates};
}

}  // namespace tellwick
