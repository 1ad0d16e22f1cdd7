#include "export/entry_pipeline.h"

#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"
#include "gamelog/output_charset.h"
#include "materia/examine_line.h"
#include "platform/encoding.h"

namespace tellwick {
namespace {

// The stripped line goes to the materia detector as UTF-16 of at most this many units.
constexpr std::size_t kDetectorLineUnits = 1022;

}  // namespace

void start_entry_output(EntryOutput& out, OutputFile* log, OutputFile* recipe, const ExportOptions& options,
                        const ReportSink& report) {
  out.log = log;
  out.charset = options.charset;
  out.show_control = options.show_control;
  out.recipe.file = recipe;
  out.recipe.charset = options.charset;
  out.recipe.keep_duplicates = options.keep_duplicates;
  reset_seen_check_list(out.recipe.seen);
  out.report = &report;
  out.first_entry_time = 0;
  out.last_entry_time = 0;
}

void export_entry(const ChunkEntry& entry, EntryOutput& out) {
  char line[kEntryLineCapacity];

  const std::size_t line_length = build_entry_line(entry.bytes, entry.length, line);
  const std::uint32_t time = entry_time_of_line(line);
  if (out.first_entry_time == 0) out.first_entry_time = time;
  out.last_entry_time = time;

  if (out.log != nullptr) write_rendered_line(*out.log, out.charset, out.show_control, line, line_length);

  // Nearly every line fails the detector's leading-number test, and the test
  // can be judged on the entry line itself: only candidates are stripped and
  // converted.
  if (!may_be_materia_line(line)) return;
  char stripped[kEntryLineCapacity];
  const std::size_t stripped_length = strip_line(line, line_length, stripped);
  char16_t wide[kDetectorLineUnits + 1];
  const std::size_t units = utf8_to_utf16(stripped, stripped_length, wide, kDetectorLineUnits);
  wide[units] = u'\0';
  examine_line(wide, out.recipe, *out.report);
}

}  // namespace tellwick
