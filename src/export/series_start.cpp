#include "export/series_start.h"

#include <memory>

#include "gamelog/chunk_view.h"
#include "gamelog/control_sequence.h"
#include "gamelog/entry_line.h"
#include "gamelog/game_folders.h"
#include "gamelog/output_charset.h"
#include "gamelog/output_file.h"
#include "platform/file.h"
#include "settings/settings.h"

namespace tellwick {

std::string first_export_line(const std::u16string& character_folder) {
  FileContents contents;
  if (!read_whole_file(chunk_file_path(character_folder, 0).c_str(), contents)) return {};
  ChunkView view;
  if (!open_chunk_view(contents.data.get(), contents.size, view) || view.first_index != 0) return {};
  for (std::uint32_t k = 0; k < view.entry_count; ++k) {
    ChunkEntry entry;
    if (!chunk_entry(view, k, entry)) continue;
    char line[kEntryLineCapacity];
    char rendered[kRenderedLineCapacity];
    const std::size_t line_length = build_entry_line(entry.bytes, entry.length, line);
    const std::size_t rendered_length = render_line(line, line_length, settings().show_control != 0, rendered);
    // Converted by the writer itself, so the bytes are the file's to the
    // last one; a line is far smaller than the buffer, which never flushes.
    auto converted = std::make_unique<OutputFile>();
    write_export_line(*converted, settings().charset, rendered, rendered_length);
    return std::string(converted->buffer, converted->used);
  }
  return {};
}

}  // namespace tellwick
