// Any file dropped on the window, through the materia detector.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "materia/dropped_file.h"

using namespace tellwick;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string path = fuzz::scratch_folder() + u"dropped.txt";
  fuzz::write_scratch_file(path, data, size);
  dropped_file_test(path.c_str(), false, fuzz::quiet_reports());
  return 0;
}
