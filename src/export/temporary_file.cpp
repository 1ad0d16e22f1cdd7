#include "export/temporary_file.h"

#include "export/export_names.h"

namespace tellwick {

std::u16string create_temporary_file(OutputFile& file, const std::u16string& final_path) {
  for (int number = 0; number < kTemporaryNameCount; ++number) {
    remove_unheld_file(temporary_path(final_path, number).c_str());
  }
  for (int number = 0; number < kTemporaryNameCount; ++number) {
    const std::u16string path = temporary_path(final_path, number);
    if (output_create_new(file, path.c_str())) return path;
  }
  return {};
}

bool put_temporary_file_in_place(OutputFile& file, const std::u16string& temporary, const std::u16string& final_path) {
  return close_file_into_place(output_release(file), temporary.c_str(), final_path.c_str());
}

void discard_temporary_file(OutputFile& file, const std::u16string& temporary) {
  const FileHandle handle = output_release(file);
  if (handle != kNoFile) close_and_delete_file(handle, temporary.c_str());
}

}  // namespace tellwick
