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

using namespace tellwick;

namespace {

constexpr char16_t kCharacter[] = u"FFXIV_CHR0040000001A2B3C4D";
constexpr std::string_view kSeparator = "--chunk--";
constexpr int kMaxChunkFiles = 16;
constexpr FileTime kChunk0Time = 0x01D0000000000000ULL;

const std::u16string& set_up_once() {
  static const std::u16string log_folder = [] {
    const std::u16string& scratch = fuzz::scratch_folder();
    set_game_user_folder_override(scratch + u"game");
    const std::u16string folder = scratch + u"log" + scratch.back();
    create_directory(folder.c_str());
    return folder;
  }();
  return log_folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string& log_folder = set_up_once();
  // The settings file goes to the working folder; the fuzzer's own is left
  // as it was between inputs, so corpus paths relative to it stay good.
  const fuzz::WorkingFolderScope in_scratch(fuzz::scratch_folder());
  const Character character = character_of(kCharacter);
  const std::u16string& folder = character.folder;
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

  const ExportOptions options{static_cast<OutputCharset>(size % 4), (size / 4) % 2 != 0, (size / 8) % 2 != 0};
  std::u16string told_failure;
  for (const ExportMode mode : {kManualExport, kAutomaticExport}) {
    const ExportResult result =
        export_character(character, log_folder, mode, options, fuzz::quiet_reports(), told_failure);
    remember_told_failure(told_failure, result);
  }
  return 0;
}
