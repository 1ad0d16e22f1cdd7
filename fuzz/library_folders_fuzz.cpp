// Steam's library list reader on any bytes: it never reads outside the input,
// gives either nothing (malformed) or paths within every limit, and gives the
// same answer twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gamelog/library_folders_vdf.h"

using namespace tellwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> paths;
  const bool well_formed = read_library_folders(data, size, paths);
  if (!well_formed && !paths.empty()) std::abort();
  std::size_t total = 0;
  for (const std::string& path : paths) {
    // Undoing escapes only ever shortens a string.
    if (path.empty() || path.size() > kLibraryPathMaxBytes || path.size() > size) std::abort();
    total += path.size();
  }
  // Each path comes from bytes of its own, so the input bounds them all.
  if (total > size) std::abort();
  std::vector<std::string> again;
  if (read_library_folders(data, size, again) != well_formed || again != paths) std::abort();
  return 0;
}
