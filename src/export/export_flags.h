// What an export found and did, and the two ways an export runs.
#pragma once

namespace tellwick {

// A set of bits; the values are the ones every caller has always seen.
enum class ExportFlags : unsigned {
  kNone = 0,
  kExported = 1,   // at least one chunk file was taken
  kChanged = 2,    // chunk 0 or the chunk after the last one taken changed
  kNewSeries = 4,  // chunk 0 is not the one last exported; never without kChanged
};

constexpr ExportFlags operator|(ExportFlags a, ExportFlags b) {
  return static_cast<ExportFlags>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

constexpr ExportFlags operator&(ExportFlags a, ExportFlags b) {
  return static_cast<ExportFlags>(static_cast<unsigned>(a) & static_cast<unsigned>(b));
}

constexpr ExportFlags& operator|=(ExportFlags& a, ExportFlags b) { return a = a | b; }

// Whether `flags` holds every bit of `wanted`.
constexpr bool has_flags(ExportFlags flags, ExportFlags wanted) { return (flags & wanted) == wanted; }

enum ExportMode : int {
  kManualExport = 0,     // always runs
  kAutomaticExport = 1,  // runs only when something changed
};

}  // namespace tellwick
