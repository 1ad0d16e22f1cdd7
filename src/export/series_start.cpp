#include "export/series_start.h"

#include <memory>

#include "export/entry_pipeline.h"
#include "export/export_options.h"
#include "gamelog/chunk_view.h"
#include "gamelog/game_folders.h"
#include "output/output_file.h"
#include "platform/file.h"

namespace tellwick {

std::vector<std::string> first_export_lines(const std::u16string& character_folder) {
  FileContents contents;
  if (!read_whole_file(chunk_file_path(character_folder, 0).c_str(), contents)) return {};
  ChunkView view;
  if (!open_chunk_view(contents.data.get(), contents.size, view) || view.first_index != 0) return {};
  for (std::uint32_t k = 0; k < view.entry_count; ++k) {
    ChunkEntry entry;
    if (!chunk_entry(view, k, entry)) continue;
    std::vector<std::string> lines;
    for (const OutputCharset charset : {kCharsetAnsi, kCharsetUtf8, kCharsetUtf16}) {
      for (const bool show_control : {false, true}) {
        // Through the export's own pipeline, so the bytes are the file's to
        // the last one; a line is far smaller than the buffer, which never
        // flushes. What the materia detector would say was said by the
        // export already.
        auto converted = std::make_unique<OutputFile>();
        auto out = std::make_unique<EntryOutput>();
        const ReportSink quiet;
        ExportOptions options;
        options.charset = charset;
        options.show_control = show_control;
        start_entry_output(*out, converted.get(), nullptr, options, quiet);
        export_entry(entry, *out);
        if (converted->used > 0) lines.emplace_back(converted->buffer, converted->used);
      }
    }
    return lines;
  }
  return {};
}

}  // namespace tellwick
