#include "export/entry_pipeline.h"

#include <cstring>

#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"
#include "gamelog/little_endian.h"
#include "materia/examine_line.h"
#include "output/output_charset.h"
#include "platform/encoding.h"

namespace tellwick {
namespace {

// The stripped line goes to the materia detector as UTF-16 of at most this many units.
constexpr std::size_t kDetectorLineUnits = 1022;

// The detector's leading-number test on an entry line, judged from the
// prefix alone: it reads past the prefix's twelve digits only when their
// number stays at most 47, so when the first ten are zeros (an entry time
// below 0x100) the whole line decides.
bool prefix_rules_out_materia(const EntryLineView& view) {
  if (std::memcmp(view.prefix, "0000000000", 10) == 0) return false;
  char head[kEntryLinePrefix + 1];
  std::memcpy(head, view.prefix, kEntryLinePrefix);
  head[kEntryLinePrefix] = '\0';
  return !may_be_materia_line(head);
}

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

void note_entry_time(std::uint32_t time, EntryOutput& out) {
  if (out.first_entry_time == 0) out.first_entry_time = time;
  out.last_entry_time = time;
}

bool write_entry_line(const ChunkEntry& entry, OutputFile* log, OutputCharset charset, bool show_control) {
  // The entry line is rendered from its parts, never copied whole: only a
  // materia candidate needs it in one piece.
  const EntryLineView view = view_entry_line(entry);
  if (log != nullptr) write_rendered_line(*log, charset, show_control, view);
  // Nearly every line fails the detector's leading-number test, and the test
  // can be judged on the entry line itself: only candidates are stripped and
  // converted.
  return !prefix_rules_out_materia(view);
}

void examine_candidate(const ChunkEntry& entry, EntryOutput& out) {
  char line[kEntryLineCapacity];
  const std::size_t line_length = build_entry_line(entry.bytes, entry.length, line);
  if (!may_be_materia_line(line)) return;
  char stripped[kEntryLineCapacity];
  const std::size_t stripped_length = strip_line(line, line_length, stripped);
  char16_t wide[kDetectorLineUnits + 1];
  const std::size_t units = utf8_to_utf16(stripped, stripped_length, wide, kDetectorLineUnits);
  wide[units] = u'\0';
  examine_line(wide, out.recipe, *out.report);
}

void export_entry(const ChunkEntry& entry, EntryOutput& out) {
  note_entry_time(read_u32(entry.bytes), out);
  if (write_entry_line(entry, out.log, out.charset, out.show_control)) examine_candidate(entry, out);
}

}  // namespace tellwick
