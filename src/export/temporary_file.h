// The file an export writes before it is put in place under its final name.
#pragma once

#include <string>

#include "output/output_file.h"

namespace tellwick {

// Creates `file` as a new file under the first free temporary name of
// `final_path` and returns that name; empty, with every write of `file`
// counted as failed, when none could be created. First the temporary files
// of `final_path` that no running export holds (left by one that was
// killed) are removed, so that they never pile up nor use up the names.
// What else stands under a name (one held by a running export, a link, a
// file that cannot be locked) is passed over and never written or renamed.
std::u16string create_temporary_file(OutputFile& file, const std::u16string& final_path);

// Puts the written temporary file (its buffer written out) in place of
// `final_path` and closes it. False when it could not be: the temporary file
// is removed then, and last_system_error() tells why.
bool put_temporary_file_in_place(OutputFile& file, const std::u16string& temporary, const std::u16string& final_path);

// Removes the temporary file and closes it; nothing when it was never created.
void discard_temporary_file(OutputFile& file, const std::u16string& temporary);

}  // namespace tellwick
