// The history window's lists: report-style list-views in virtual mode, each
// row an entry of a session drawn in its channel's colour.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "history/history_printer.h"
#include "history/history_session.h"

namespace tellwick {

// The columns of the entry list, in order; the hit list puts the source first.
constexpr const wchar_t* kEntryColumnTitles[] = {L"時刻", L"チャンネル", L"発言者", L"本文"};
constexpr wchar_t kSourceColumnTitle[] = L"記録";

// The list's background: the game's chat is light text on a dark ground.
constexpr COLORREF kListBackground = RGB(0x1E, 0x1E, 0x24);

HWND create_history_list(HWND parent, int id, bool with_source_column, const int* widths, int source_width);

// UTF-8 text as the window shows it.
std::wstring wide_of_utf8(std::string_view text);

// A cell's text. Line breaks and other control characters in a single-line
// cell show as spaces.
std::wstring entry_cell(const HistorySession& session, std::uint32_t index, int column, LocalTimeCache& cache);

// The entry whole, line breaks kept, for the detail pane.
std::wstring entry_detail(const HistorySession& session, std::uint32_t index, LocalTimeCache& cache);

// Copies `text` into the list's buffer for a cell, cut to what it holds.
void fill_cell(NMLVDISPINFOW& info, const std::wstring& text);

// The row's colour in custom draw; `rows` maps rows to entries of `session`.
LRESULT draw_history_row(NMLVCUSTOMDRAW& draw, const HistorySession& session, const std::vector<std::uint32_t>* rows);

// The selected rows, in order.
std::vector<std::uint32_t> selected_rows(HWND list);

// Selects just `row`, makes it the focused one and scrolls it into sight.
void select_only(HWND list, int row);

}  // namespace tellwick
