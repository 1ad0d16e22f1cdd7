// One chunk file through everything an export does to its entries: decoding,
// rendering with and without control sequences, stripping, the conversions,
// the output charsets and the materia detector.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "gamelog/chunk_view.h"
#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"
#include "gamelog/output_charset.h"
#include "gamelog/output_file.h"
#include "materia/examine_line.h"
#include "platform/encoding.h"

using namespace tellwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ChunkView view;
  if (!open_chunk_view(data, size, view)) return 0;
  const std::u16string recipe_path = fuzz::scratch_folder() + u"recipe.log";
  const std::u16string export_path = fuzz::scratch_folder() + u"export.log";
  OutputFile recipe, log;
  output_create(recipe, recipe_path.c_str());
  output_create(log, export_path.c_str());
  for (std::uint32_t k = 0; k < view.entry_count; ++k) {
    ChunkEntry entry;
    if (!chunk_entry(view, k, entry)) continue;
    char line[kEntryLineCapacity];
    const std::size_t length = build_entry_line(entry.bytes, entry.length, line);
    entry_time_of_line(line);
    char rendered[kRenderedLineCapacity];
    for (int charset = 0; charset <= 3; ++charset) {
      const std::size_t rendered_length = render_line(line, length, charset % 2 == 0, rendered);
      write_export_line(log, charset, rendered, rendered_length);
    }
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
    may_be_materia_line(line);
    examine_line(wide, &recipe, static_cast<int>(k % 3), k % 2 == 0);
  }
  output_close(log);
  output_close(recipe);
  return 0;
}
