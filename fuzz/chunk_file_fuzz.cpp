// One chunk file through everything an export does to its entries (the
// exporter's own entry pipeline in every charset, with control sequences
// shown and dropped), and each stripped line through the conversions and
// the materia detector, candidate or not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz_support.h"
#include "export/entry_pipeline.h"
#include "gamelog/chunk_view.h"
#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"
#include "output/output_file.h"
#include "materia/examine_line.h"
#include "platform/encoding.h"

using namespace tellwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ChunkView view;
  if (!open_chunk_view(data, size, view)) return 0;
  const std::u16string recipe_path = fuzz::scratch_folder() + u"recipe.log";
  const std::u16string export_path = fuzz::scratch_folder() + u"export.log";
  auto recipe = std::make_unique<OutputFile>();
  auto log = std::make_unique<OutputFile>();
  output_create(*recipe, recipe_path.c_str());
  output_create(*log, export_path.c_str());
  // Every charset, with control sequences shown and dropped, duplicates kept and not.
  constexpr int kOutputs = 4;
  auto outputs = std::make_unique<EntryOutput[]>(kOutputs);
  for (int charset = 0; charset < kOutputs; ++charset) {
    const ExportOptions options{static_cast<OutputCharset>(charset), charset % 2 == 0, charset / 2 == 0};
    start_entry_output(outputs[charset], log.get(), recipe.get(), options, fuzz::quiet_reports());
  }
  RecipeOutput detector;  // every line, candidate or not, through the detector
  for (std::uint32_t k = 0; k < view.entry_count; ++k) {
    ChunkEntry entry;
    if (!chunk_entry(view, k, entry)) continue;
    for (int charset = 0; charset < kOutputs; ++charset) export_entry(entry, outputs[charset]);

    char line[kEntryLineCapacity];
    const std::size_t length = build_entry_line(entry.bytes, entry.length, line);
    char stripped[kEntryLineCapacity];
    const std::size_t stripped_length = strip_line(line, length, stripped);
    char16_t wide[kEntryLineCapacity];
    const std::size_t units = utf8_to_utf16(stripped, stripped_length, wide, kEntryLineCapacity - 1);
    wide[units] = u'\0';
    char ansi[kEntryLineCapacity];
    const std::size_t ansi_length = utf16_to_ansi(wide, units, ansi, sizeof ansi);
    // Straight from UTF-8, the ANSI form must be the same bytes.
    char direct[kEntryLineCapacity];
    const std::size_t direct_length = utf8_to_ansi(stripped, stripped_length, direct, sizeof direct);
    if (direct_length != ansi_length || std::memcmp(direct, ansi, ansi_length) != 0) std::abort();
    char utf8[kEntryLineCapacity];
    utf16_to_utf8(wide, units, utf8, sizeof utf8);
    detector.file = recipe.get();
    detector.charset = static_cast<OutputCharset>(k % 3);
    detector.keep_duplicates = k % 2 == 0;
    examine_line(wide, detector, fuzz::quiet_reports());
  }
  output_close(*log);
  output_close(*recipe);
  return 0;
}
