#include "gamelog/game_folder_choice.h"

#include <memory>

#include "gamelog/game_folders.h"
#include "gamelog/launcher_folders.h"
#include "platform/file_probe.h"
#include "platform/path.h"
#include "platform/unix_host.h"
#include "report/report.h"

namespace tellwick {
namespace {

void tell(const ReportSink& report, const std::u16string& text) {
  report_diagnostic(report, (u"game folder: " + text + u"\r\n").c_str());
}

std::u16string with_separator(std::u16string folder) {
  if (!folder.empty() && !is_path_separator(folder.back())) folder += kPathSeparator;
  return folder;
}

FileTime newest_chunk0(const std::u16string& folder, const CharacterTable& table) {
  FileTime newest = 0;
  for (int i = 0; i < table.count; ++i) {
    FileTime time = 0;
    file_write_time(chunk_file_path(folder + table.names[i] + kPathSeparator, 0).c_str(), time);
    if (time > newest) newest = time;
  }
  return newest;
}

}  // namespace

std::vector<GameFolderPlace> places_with_characters(const std::vector<std::u16string>& candidates) {
  std::vector<GameFolderPlace> places;
  std::vector<std::u16string> identities;
  // 16 KiB: too large for the stack of every caller.
  const auto table = std::make_unique<CharacterTable>();
  for (const std::u16string& candidate : candidates) {
    std::u16string identity;
    if (!file_identity(candidate.c_str(), identity)) continue;
    bool seen = false;
    for (const std::u16string& other : identities) seen = seen || other == identity;
    if (seen) continue;
    identities.push_back(std::move(identity));
    const std::u16string folder = with_separator(candidate);
    enumerate_character_folders(folder, *table);
    if (table->count > 0) places.push_back({folder, newest_chunk0(folder, *table)});
  }
  return places;
}

std::size_t newest_place(const std::vector<GameFolderPlace>& places) {
  std::size_t chosen = 0;
  for (std::size_t i = 1; i < places.size(); ++i) {
    if (places[i].newest_chunk0 > places[chosen].newest_chunk0) chosen = i;
  }
  return chosen;
}

std::u16string choose_game_user_folder(const std::u16string& configured, const ReportSink& report) {
  if (!configured.empty()) {
    tell(report, configured + u" (GAMEDIR)");
    return configured;
  }
  std::u16string home;
  if (!unix_home_folder(home)) return {};
  const std::u16string documents = documents_game_folder();
  if (running_under_wine() && !places_with_characters({documents}).empty()) {
    tell(report, documents);
    return {};
  }
  std::vector<std::u16string> candidates = {documents};
  for (std::u16string& folder : launcher_game_folders(home, report)) candidates.push_back(std::move(folder));
  const std::vector<GameFolderPlace> places = places_with_characters(candidates);
  if (places.empty()) {
    tell(report, u"no character folder in Documents or in a launcher's folders; reading " + documents);
    return {};
  }
  const std::size_t taken = newest_place(places);
  tell(report, places[taken].folder + (places.size() > 1 ? u" (its chunk file 0 is the newest)" : u""));
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (i != taken) tell(report, u"also found " + places[i].folder);
  }
  return places[taken].folder == documents ? std::u16string() : places[taken].folder;
}

}  // namespace tellwick
