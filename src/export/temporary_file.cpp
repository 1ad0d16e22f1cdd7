#include "export/temporary_file.h"

#include "export/export_names.h"

namespace tellwick {

std::u16string create_temporary_file(OutputFile& file, const std::u16string& final_path) {
  for (int number = 0; number < kTemporaryNameCount; ++number) {
    const std::u16string path = temporary_path(final_path, number);
    if (output_create_new(file, path.c_str())) return path;
  }
  return {};
}

}  // namespace tellwick
