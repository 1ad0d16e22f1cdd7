// The history window: one character's kept sessions, read, filtered,
// searched and copied without a console. A top-level window of its own,
// opened from the main window's 履歴 button.
#pragma once

#include <windows.h>

#include <string>

namespace tellwick {

constexpr wchar_t kHistoryWindowClass[] = L"TellwickHistory";
constexpr wchar_t kHistoryTitle[] = L"履歴";

// Controls, in tab order.
constexpr int kHistorySearchLabel = 3001;
constexpr int kHistorySearchBox = 3002;
constexpr int kHistorySearchAllButton = 3003;
constexpr int kHistorySourceLabel = 3004;
constexpr int kHistorySourceBox = 3005;
constexpr int kHistoryChannelLabel = 3006;
constexpr int kHistoryChannelBox = 3007;
constexpr int kHistorySaveButton = 3008;
constexpr int kHistoryEntryList = 3009;
constexpr int kHistoryHitList = 3010;
constexpr int kHistoryDetailBox = 3011;
constexpr int kHistoryProgressBar = 3012;
constexpr int kHistoryStatusLine = 3013;

// Context menu commands.
constexpr int kHistoryCopyCommand = 3101;
constexpr int kHistoryOneSenderCommand = 3102;
constexpr int kHistoryAllSendersCommand = 3103;
constexpr int kHistoryOpenHitCommand = 3104;

constexpr wchar_t kSourceCurrentLog[] = L"現在のログ";
constexpr wchar_t kSearchAllText[] = L"すべての記録を検索";
constexpr wchar_t kSaveText[] = L"テキストで保存…";
constexpr wchar_t kOneSenderText[] = L"この発言者だけ";

// Opens the window on the character's current log. `character` is its
// folder name, `label` what the character list shows for it.
HWND open_history_window(const std::u16string& character, const std::wstring& label);

// Offers a message of the thread's loop to a history window: its keys
// (Ctrl+F, Esc, Ctrl+C, Ctrl+A) and its dialog keys (Tab). True when taken.
bool history_window_message(MSG& message);

// Closes every history window, stopping their work: at the program's end.
void close_history_windows();

}  // namespace tellwick
