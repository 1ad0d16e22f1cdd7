// Deciding cheaply whether a character's chunk files changed since its last
// export, from two file times and the progress record in its settings section.
#pragma once

#include <string>

#include "export/export_flags.h"
#include "platform/file.h"
#include "settings/character_record.h"

namespace tellwick {

struct ChangeCheck {
  // kNone (nothing new, or no chunk 0), kChanged, or kChanged | kNewSeries.
  ExportFlags flags = ExportFlags::kNone;
  bool chunk0_exists = false;
  FileTime chunk0_time = 0;  // the one time an export takes of chunk 0
};

// Compares the chunk files in `character_folder` with the progress record.
// A change of the chunk file the last export ended before counts only once
// no other process holds that file open for writing.
ChangeCheck detect_change(const std::u16string& character_folder, const ExportRecord& record);

// Sets the progress record to what an export just took: DATE (chunk 0's
// time), LASTNO (chunks taken) and LASTDATE (the time of chunk number
// LASTNO, 0 when it did not exist or could not be read). The times are the ones the export saw
// before it read the files, not the files' times now: the game may finish
// writing a chunk file while the export runs, and a record taken afterwards
// would match the finished file although the export never read it, so no
// later cycle would.
void set_progress_record(ExportRecord& record, int chunk_count, FileTime chunk0_time, FileTime next_chunk_time);

// DATE is "%08X%08X"; LASTDATE is "%08X%08x", lower-case in its low half.
// Stored values are compared as exact strings, so the two forms must not mix.
std::u16string format_date_key(FileTime time);
std::u16string format_lastdate_key(FileTime time);

}  // namespace tellwick
