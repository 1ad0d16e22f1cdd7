// The file an export writes before it is put in place under its final name.
#pragma once

#include <string>

#include "output/output_file.h"

namespace tellwick {

// Creates `file` as a new file under the first free temporary name of
// `final_path` and returns that name; empty, with every write of `file`
// counted as failed, when none could be created. A name that exists (a
// player's file, a link, or what an interrupted export left) is passed over
// and never opened, so only a file this export made is ever written,
// renamed or deleted.
std::u16string create_temporary_file(OutputFile& file, const std::u16string& final_path);

}  // namespace tellwick
