// Deciding cheaply whether a character's chunk files changed since its last
// export, from two file times and the progress record in its settings section.
#pragma once

#include <string>

#include "platform/file.h"

namespace tellwick {

// 0 (nothing new, or no chunk 0), kChangedFlag, or kChangedFlag | kNewSeriesFlag.
int detect_change(const char16_t* character);

// Records what the export just took: DATE (chunk 0's time now), LASTNO
// (chunks taken) and LASTDATE (the time now of chunk number LASTNO). False
// when a key could not be written.
bool write_progress_record(const char16_t* character, int chunk_count);

// DATE is "%08X%08X"; LASTDATE is "%08X%08x", lower-case in its low half.
// Stored values are compared as exact strings, so the two forms must not mix.
std::u16string format_date_key(FileTime time);
std::u16string format_lastdate_key(FileTime time);

}  // namespace tellwick
