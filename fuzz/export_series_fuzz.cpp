// A whole chunk series through the exporter into a log folder: the input is
// cut into chunk files at each "--chunk--", and the series is exported by hand
// and then automatically, as the watch cycle would.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "export/export_flags.h"
#include "export/exporter.h"
#include "fuzz_support.h"
#include "gamelog/game_folders.h"
#include "platform/file.h"
#include "settings/settings.h"

using namespace tellwick;

namespace {

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
constexpr std::string_view kSeparator = "--chunk--";
constexpr int kMaxChunkFiles = 16;
constexpr FileTime kChunk0Time = 0x01D0000000000000ULL;

void set_up_once() {
  static bool done = false;
  if (done) return;
  done = true;
  const std::u16string& scratch = fuzz::scratch_folder();
  const fuzz::WorkingFolderScope in_scratch(scratch);  // the settings file is read from here
  set_game_user_folder_override(scratch + u"game");
  load_settings();
  settings().log_folder = scratch + u"log" + scratch.back();
  create_directory(settings().log_folder.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  set_up_once();
  // The settings file goes to the working folder; the fuzzer's own is left
  // as it was between inputs, so corpus paths relative to it stay good.
  const fuzz::WorkingFolderScope in_scratch(fuzz::scratch_folder());
  const std::u16string folder = game_user_folder_path(kCharacter);
  std::filesystem::remove_all(std::filesystem::path(folder));
  std::filesystem::create_directories(std::filesystem::path(folder) / "log");

  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t start = 0;
  for (int index = 0; index < kMaxChunkFiles && start <= input.size(); ++index) {
    std::size_t end = input.find(kSeparator, start);
    if (end == std::string_view::npos) end = input.size();
    const std::u16string path = chunk_file_path(folder, static_cast<std::uint32_t>(index));
    fuzz::write_scratch_file(path, data + start, end - start);
    // Mostly in order; now and then a file older than chunk 0.
    const bool older = index > 0 && size > 0 && data[0] % 7 == index;
    set_file_write_time(path.c_str(), older ? kChunk0Time - 1 : kChunk0Time + static_cast<FileTime>(index));
    start = end + kSeparator.size();
  }

  settings().charset = size % 4;
  settings().show_control = (size / 4) % 2;
  settings().keep_duplicates = (size / 8) % 2;
  export_character(kCharacter, folder, settings().log_folder, kManualExport, nullptr);
  export_character(kCharacter, folder, settings().log_folder, kAutomaticExport, nullptr);
  return 0;
}
