#include "ui/history_list.h"

#include "history/channel_choices.h"
#include "history/channels.h"

namespace tellwick {
namespace {

COLORREF colour_ref(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

void add_column(HWND list, int index, const wchar_t* title, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(title);
  column.cx = width;
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

std::wstring single_line(std::wstring text) {
  for (wchar_t& c : text) {
    if (c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029) c = L' ';
  }
  return text;
}

}  // namespace

HWND create_history_list(HWND parent, int id, bool with_source_column, const int* widths, int source_width) {
  const HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                                    0, 0, 100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    GetModuleHandleW(nullptr), nullptr);
  if (list == nullptr) return nullptr;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
               LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP | LVS_EX_INFOTIP);
  SendMessageW(list, LVM_SETBKCOLOR, 0, kListBackground);
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, kListBackground);
  int column = 0;
  if (with_source_column) add_column(list, column++, kSourceColumnTitle, source_width);
  for (int i = 0; i < 4; ++i) add_column(list, column++, kEntryColumnTitles[i], widths[i]);
  return list;
}

std::wstring wide_of_utf8(std::string_view text) {
  if (text.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
  return out;
}

std::wstring entry_cell(const HistorySession& session, std::uint32_t index, int column, LocalTimeCache& cache) {
  if (index >= session.count) return std::wstring();
  const SessionEntry& e = session_entry(session, index);
  switch (column) {
    case 0: return wide_of_utf8(local_time_text(cache, e.time));
    case 1: return wide_of_utf8(printed_channel_name(channel_of_code(e.code)));
    case 2: return single_line(wide_of_utf8(sender_of(session, e)));
    case 3: return single_line(wide_of_utf8(message_of(session, e)));
  }
  return std::wstring();
}

std::wstring entry_detail(const HistorySession& session, std::uint32_t index, LocalTimeCache& cache) {
  if (index >= session.count) return std::wstring();
  const SessionEntry& e = session_entry(session, index);
  std::wstring text = wide_of_utf8(local_time_text(cache, e.time)) + L" [" +
                      wide_of_utf8(printed_channel_name(channel_of_code(e.code))) + L"]";
  const std::string_view sender = sender_of(session, e);
  if (!sender.empty()) text += L" " + single_line(wide_of_utf8(sender));
  text += L"\r\n";
  // An edit control breaks lines only at "\r\n".
  for (const wchar_t c : wide_of_utf8(message_of(session, e))) {
    if (c == L'\r') continue;
    if (c == L'\n') {
      text += L"\r\n";
    } else {
      text += c;
    }
  }
  return text;
}

void fill_cell(NMLVDISPINFOW& info, const std::wstring& text) {
  if ((info.item.mask & LVIF_TEXT) == 0 || info.item.pszText == nullptr || info.item.cchTextMax <= 0) return;
  const std::size_t room = static_cast<std::size_t>(info.item.cchTextMax) - 1;
  const std::size_t n = text.size() < room ? text.size() : room;
  text.copy(info.item.pszText, n);
  info.item.pszText[n] = L'\0';
}

LRESULT draw_history_row(NMLVCUSTOMDRAW& draw, const HistorySession& session, const std::vector<std::uint32_t>* rows) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const std::size_t row = draw.nmcd.dwItemSpec;
      std::size_t index = row;
      if (rows != nullptr) index = row < rows->size() ? (*rows)[row] : session.count;
      if (index < session.count) {
        draw.clrText = colour_ref(default_channel_colour(channel_of_code(session_entry(session, index).code)));
        draw.clrTextBk = kListBackground;
      }
      return CDRF_NEWFONT;
    }
  }
  return CDRF_DODEFAULT;
}

std::vector<std::uint32_t> selected_rows(HWND list) {
  std::vector<std::uint32_t> rows;
  int row = -1;
  while ((row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0) {
    rows.push_back(static_cast<std::uint32_t>(row));
  }
  return rows;
}

void select_only(HWND list, int row) {
  LVITEMW none{};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

}  // namespace tellwick
