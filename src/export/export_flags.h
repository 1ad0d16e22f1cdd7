// The bit set an export returns.
#pragma once

namespace tellwick {

enum ExportFlags : int {
  kExportedFlag = 1,   // at least one chunk file was taken
  kChangedFlag = 2,    // chunk 0 or the chunk after the last one taken changed
  kNewSeriesFlag = 4,  // chunk 0 is not the one last exported; never without kChangedFlag
};

enum ExportMode : int {
  kManualExport = 0,     // always runs
  kAutomaticExport = 1,  // runs only when something changed
};

}  // namespace tellwick
