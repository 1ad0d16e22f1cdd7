#include "export/export_run.h"

#include "gamelog/game_folders.h"
#include "platform/file.h"

namespace tellwick {
namespace {

constexpr char16_t kSavedMessage[] = u"に保存しました。\r\n";

}  // namespace

ExportResult run_export(const char16_t* character, const Settings& settings, ExportMode mode, const ReportSink& report,
                        std::u16string& told_failure, std::size_t folder_path_capacity) {
  const Character exported = character_of(character);
  if (folder_path_capacity != kAnyFolderPath && exported.folder.size() >= folder_path_capacity) return {};
  create_directory(settings.log_folder.c_str());
  const ExportResult result =
      export_character(exported, settings.log_folder, mode, export_options_of(settings), report, told_failure);
  remember_told_failure(told_failure, result);
  if (mode == kManualExport && has_flags(result.flags, ExportFlags::kExported)) {
    report_status(report, (result.export_path + kSavedMessage).c_str());
  }
  return result;
}

}  // namespace tellwick
