#include "ui/history_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "gamelog/game_folders.h"
#include "history/channel_choices.h"
#include "history/history_reader.h"
#include "history/history_session.h"
#include "history/history_sources.h"
#include "history/session_view.h"
#include "platform/file.h"
#include "settings/history_window_settings.h"
#include "ui/history_list.h"
#include "ui/history_worker.h"
#include "ui/program_state.h"
#include "ui/wide_text.h"

namespace tellwick {
namespace {

constexpr UINT kLoadMail = WM_APP + 1;
constexpr UINT kCountMail = WM_APP + 2;
constexpr UINT kSearchMail = WM_APP + 3;

constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kDetailLines = 4;
constexpr int kProgressWidth = 160;
constexpr int kSourceColumnWidth = 150;
constexpr int kProgressRange = 1000;
constexpr std::size_t kSearchTextCapacity = 256;
constexpr wchar_t kDefaultSaveName[] = L"履歴.txt";

struct HistoryWindowState {
  std::u16string character_folder;
  std::vector<HistorySource> sources;
  std::vector<std::wstring> source_names;   // as the hit list names them
  std::vector<std::wstring> source_labels;  // as the source box shows them, counted once known
  std::size_t source = 0;

  HistorySession session;
  SessionView view;
  bool loading = false;
  std::size_t pending_entry = static_cast<std::size_t>(-1);  // to select once it is read

  HistorySession hits;
  std::vector<std::uint32_t> hit_sources;
  std::vector<std::uint32_t> hit_indices;
  std::vector<std::uint32_t> all_hits;  // rows of the hit list: 0..n-1
  std::wstring hits_text;
  bool showing_hits = false;
  bool searching = false;

  bool one_sender = false;  // "この発言者だけ"
  std::string sender;
  std::vector<std::string> messages;  // about the source shown
  std::string folder_problem;         // about the log folder, for as long as the window is open
  std::wstring note;                  // the last thing done (saved, refused)
  HistoryWorker loader;
  HistoryWorker counter;
  HistoryWorker searcher;
  HistoryWindowSettings kept;
  LocalTimeCache cache;
  HFONT font = nullptr;
  bool quiet = false;  // controls set by the window itself: no filter change
};

HistoryWindowState* state_of(HWND window) {
  return reinterpret_cast<HistoryWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND item(HWND window, int id) { return GetDlgItem(window, id); }

std::wstring text_of(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::string utf8_of_wide(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
  return out;
}

std::wstring grouped(std::size_t n) { return wide(grouped_number(n)); }

HWND add_control(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style, int id, HFONT font,
                 DWORD ex_style = 0) {
  const HWND control =
      CreateWindowExW(ex_style, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

SIZE text_size(HWND window, HFONT font, const wchar_t* text) {
  const HDC dc = GetDC(window);
  const HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text, lstrlenW(text), &size);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  size.cy = metrics.tmHeight;
  SelectObject(dc, old);
  ReleaseDC(window, dc);
  return size;
}

// ---- what the lists show --------------------------------------------------

HWND shown_list(HWND window, const HistoryWindowState& s) {
  return item(window, s.showing_hits ? kHistoryHitList : kHistoryEntryList);
}

const HistorySession& shown_session(const HistoryWindowState& s) { return s.showing_hits ? s.hits : s.session; }
const std::vector<std::uint32_t>& shown_rows(const HistoryWindowState& s) {
  return s.showing_hits ? s.all_hits : s.view.shown;
}

std::vector<std::uint32_t> entries_of_rows(const HistoryWindowState& s, const std::vector<std::uint32_t>& rows) {
  const std::vector<std::uint32_t>& map = shown_rows(s);
  std::vector<std::uint32_t> entries;
  for (const std::uint32_t row : rows) {
    if (row < map.size()) entries.push_back(map[row]);
  }
  return entries;
}

void show_status(HWND window, HistoryWindowState& s) {
  std::wstring text;
  if (s.showing_hits) {
    text = L"「" + s.hits_text + L"」: " + grouped(s.hits.count) + L"件";
    if (s.searching) text += L"  検索中…";
  } else {
    text = grouped(s.view.shown.size()) + L"件を表示 (全 " + grouped(s.session.count) + L"件)";
    if (s.loading) text += L"  読み込み中…";
    if (s.view.filter.one_sender) text += L"  発言者: " + wide_of_utf8(s.view.filter.sender);
  }
  if (!s.folder_problem.empty()) text += L"  ⚠ " + wide_of_utf8(s.folder_problem);
  if (!s.messages.empty()) {
    text += L"  ⚠ " + wide_of_utf8(s.messages.front());
    if (s.messages.size() > 1) text += L" ほか" + grouped(s.messages.size() - 1) + L"件";
  }
  if (!s.note.empty()) text += L"  " + s.note;
  SetWindowTextW(item(window, kHistoryStatusLine), text.c_str());
}

void show_detail(HWND window, HistoryWindowState& s) {
  const HWND list = shown_list(window, s);
  const int row = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  const std::vector<std::uint32_t>& rows = shown_rows(s);
  std::wstring text;
  if (row >= 0 && static_cast<std::size_t>(row) < rows.size())
    text = entry_detail(shown_session(s), rows[row], s.cache);
  SetWindowTextW(item(window, kHistoryDetailBox), text.c_str());
}

// The list's row count follows what it shows; rows already there keep
// their selection when more arrive.
void show_rows(HWND window, HistoryWindowState& s, bool keep_selection) {
  const HWND list = shown_list(window, s);
  SendMessageW(list, LVM_SETITEMCOUNT, shown_rows(s).size(),
               keep_selection ? LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL : 0);
  InvalidateRect(list, nullptr, FALSE);
  if (!keep_selection) show_detail(window, s);
  show_status(window, s);
}

void show_progress(HWND window, const WorkerMail& mail, bool working) {
  const HWND bar = item(window, kHistoryProgressBar);
  ShowWindow(bar, working ? SW_SHOW : SW_HIDE);
  if (!working || mail.total == 0) return;
  const std::uint64_t done = std::min(mail.done, mail.total);
  // Never full before the end: the total is an estimate.
  const int position = static_cast<int>(done * (kProgressRange - 1) / mail.total);
  SendMessageW(bar, PBM_SETPOS, position, 0);
}

// ---- filters ----------------------------------------------------------------

void apply_filter(HWND window, HistoryWindowState& s) {
  ViewFilter filter;
  filter.one_sender = s.one_sender;
  filter.sender = s.sender;
  const LRESULT choice = SendMessageW(item(window, kHistoryChannelBox), CB_GETCURSEL, 0, 0);
  const std::vector<ChannelChoice>& choices = channel_choices();
  const ChannelChoice& chosen = choices[choice >= 0 && static_cast<std::size_t>(choice) < choices.size() ? choice : 0];
  filter.all_channels = chosen.all;
  filter.channels = chosen.channels;
  filter.text = utf8_of_wide(text_of(item(window, kHistorySearchBox)));
  set_view_filter(s.view, s.session, filter);
  show_rows(window, s, false);
}

void set_one_sender(HWND window, HistoryWindowState& s, bool one, const std::string& sender) {
  s.one_sender = one;
  s.sender = one ? sender : std::string();
  apply_filter(window, s);
}

void set_search_text(HWND window, HistoryWindowState& s, const wchar_t* text) {
  s.quiet = true;
  SetWindowTextW(item(window, kHistorySearchBox), text);
  s.quiet = false;
}

// ---- sources ----------------------------------------------------------------

void set_source_label(HWND window, HistoryWindowState& s, std::size_t index, const std::wstring& label) {
  if (index >= s.source_labels.size()) return;
  s.source_labels[index] = label;
  const HWND box = item(window, kHistorySourceBox);
  const LRESULT selected = SendMessageW(box, CB_GETCURSEL, 0, 0);
  SendMessageW(box, CB_DELETESTRING, index, 0);
  SendMessageW(box, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(label.c_str()));
  SendMessageW(box, CB_SETCURSEL, selected, 0);
}

void load_source(HWND window, HistoryWindowState& s, std::size_t index, std::size_t pending_entry) {
  stop_worker(s.loader);
  clear_session(s.session);
  reset_view(s.view);
  s.messages.clear();
  s.note.clear();
  s.source = index;
  s.pending_entry = pending_entry;
  s.loading = true;
  s.showing_hits = false;
  ShowWindow(item(window, kHistoryHitList), SW_HIDE);
  ShowWindow(item(window, kHistoryEntryList), SW_SHOW);
  SendMessageW(item(window, kHistorySourceBox), CB_SETCURSEL, index, 0);
  show_progress(window, WorkerMail{}, true);
  SendMessageW(item(window, kHistoryProgressBar), PBM_SETPOS, 0, 0);
  show_rows(window, s, false);
  start_worker(s.loader, window, kLoadMail, load_job(s.sources[index]));
}

void take_load_mail(HWND window, HistoryWindowState& s) {
  WorkerMail mail;
  if (!take_mail(s.loader, mail)) return;
  append_session(s.session, mail.entries);
  extend_view(s.view, s.session);
  s.messages.insert(s.messages.end(), mail.messages.begin(), mail.messages.end());
  if (mail.finished) {
    s.loading = false;
    stop_worker(s.loader);
    if (s.source == 0) set_source_label(window, s, 0, wide(counted_label(utf16(kSourceCurrentLog), s.session.count)));
  }
  if (!s.showing_hits) show_rows(window, s, true);
  show_progress(window, mail, s.loading || s.searching);
  if (s.pending_entry < s.session.count && !s.showing_hits) {
    const auto at = std::lower_bound(s.view.shown.begin(), s.view.shown.end(), s.pending_entry);
    if (at != s.view.shown.end() && *at == s.pending_entry) {
      const HWND list = item(window, kHistoryEntryList);
      select_only(list, static_cast<int>(at - s.view.shown.begin()));
      SetFocus(list);
      show_detail(window, s);
    }
    s.pending_entry = static_cast<std::size_t>(-1);
  }
}

void take_count_mail(HWND window, HistoryWindowState& s) {
  WorkerMail mail;
  if (!take_mail(s.counter, mail)) return;
  for (const SourceCount& c : mail.counts) {
    set_source_label(window, s, c.source, wide(counted_label(export_file_label(s.sources[c.source].path), c.entries)));
  }
  if (mail.finished) stop_worker(s.counter);
}

// ---- searching every session -------------------------------------------------

void search_all(HWND window, HistoryWindowState& s) {
  const std::wstring text = text_of(item(window, kHistorySearchBox));
  if (text.empty()) {
    s.note = L"検索する言葉を入力してください。";
    show_status(window, s);
    return;
  }
  HistoryFilter lower;
  set_text_filter(utf8_of_wide(text), lower);
  clear_session(s.hits);
  s.hit_sources.clear();
  s.hit_indices.clear();
  s.all_hits.clear();
  s.hits_text = text;
  s.messages.clear();
  s.showing_hits = true;
  s.searching = true;
  s.note.clear();
  ShowWindow(item(window, kHistoryEntryList), SW_HIDE);
  ShowWindow(item(window, kHistoryHitList), SW_SHOW);
  // No source is shown now: picking any one, the last one too, goes back to it.
  SendMessageW(item(window, kHistorySourceBox), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  show_progress(window, WorkerMail{}, true);
  SendMessageW(item(window, kHistoryProgressBar), PBM_SETPOS, 0, 0);
  show_rows(window, s, false);
  start_worker(s.searcher, window, kSearchMail, search_job(s.sources, lower.text));
}

void take_search_mail(HWND window, HistoryWindowState& s) {
  WorkerMail mail;
  if (!take_mail(s.searcher, mail)) return;
  append_session(s.hits, mail.entries);
  s.hit_sources.insert(s.hit_sources.end(), mail.hit_sources.begin(), mail.hit_sources.end());
  s.hit_indices.insert(s.hit_indices.end(), mail.hit_indices.begin(), mail.hit_indices.end());
  while (s.all_hits.size() < s.hits.count) s.all_hits.push_back(static_cast<std::uint32_t>(s.all_hits.size()));
  if (s.showing_hits) s.messages.insert(s.messages.end(), mail.messages.begin(), mail.messages.end());
  if (mail.finished) {
    s.searching = false;
    stop_worker(s.searcher);
  }
  if (s.showing_hits) show_rows(window, s, true);
  show_progress(window, mail, s.loading || s.searching);
}

// A hit opens its session with every filter off, so that the entry shows
// among those around it.
void open_hit(HWND window, HistoryWindowState& s) {
  const int row = static_cast<int>(
      SendMessageW(item(window, kHistoryHitList), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0 || static_cast<std::size_t>(row) >= s.hit_sources.size()) return;
  s.quiet = true;
  SendMessageW(item(window, kHistoryChannelBox), CB_SETCURSEL, 0, 0);
  s.quiet = false;
  set_search_text(window, s, L"");
  s.one_sender = false;
  s.sender.clear();
  const std::uint32_t source = s.hit_sources[row];
  const std::uint32_t entry = s.hit_indices[row];
  load_source(window, s, source, entry);
  apply_filter(window, s);
}

// ---- copy and save -------------------------------------------------------------

std::wstring rows_text(const HistoryWindowState& s, const std::vector<std::uint32_t>& entries) {
  return wide_of_utf8(session_text_lines(shown_session(s), entries, "\r\n"));
}

void copy_rows(HWND window, HistoryWindowState& s) {
  const std::vector<std::uint32_t> entries = entries_of_rows(s, selected_rows(shown_list(window, s)));
  if (entries.empty()) return;
  const std::wstring text = rows_text(s, entries);
  if (!OpenClipboard(window)) return;
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory != nullptr) {
    void* target = GlobalLock(memory);
    CopyMemory(target, text.c_str(), bytes);
    GlobalUnlock(memory);
    if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
  }
  CloseClipboard();
}

std::wstring lower_full_path(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2] = {};
  const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
  std::wstring out = length > 0 && length < std::size(full) ? std::wstring(full, length) : path;
  CharLowerBuffW(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

// The game's folder and the export files are only ever read.
bool may_save_to(const std::wstring& path) {
  const std::wstring full = lower_full_path(path);
  const std::wstring game = lower_full_path(wide(game_user_folder_path()));
  if (!game.empty() && full.compare(0, game.size(), game) == 0) return false;
  const std::size_t cut = full.find_last_of(L"\\/");
  const std::wstring name = cut == std::wstring::npos ? full : full.substr(cut + 1);
  return !is_export_file_name(utf16(name.c_str()));
}

bool write_text_file(const std::wstring& path, const std::string& text) {
  const FileHandle file = create_output_file(utf16(path.c_str()));
  if (file == kNoFile) return false;
  const bool written = write_file(file, text.data(), text.size());
  return close_file(file) && written;
}

void save_rows(HWND window, HistoryWindowState& s) {
  wchar_t path[MAX_PATH] = {};
  lstrcpynW(path, kDefaultSaveName, MAX_PATH);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window;
  dialog.lpstrFilter = L"テキスト (*.txt)\0*.txt\0すべてのファイル (*.*)\0*.*\0";
  dialog.lpstrFile = path;
  dialog.nMaxFile = MAX_PATH;
  dialog.lpstrDefExt = L"txt";
  // The working folder holds the settings file: the dialog must not move it.
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_EXPLORER;
  if (!GetSaveFileNameW(&dialog)) return;
  if (!may_save_to(path)) {
    s.note = L"ゲームのフォルダやエクスポートしたログには保存できません: " + std::wstring(path);
  } else if (write_text_file(path, session_text_lines(shown_session(s), shown_rows(s), "\r\n"))) {
    s.note = std::wstring(path) + L"に保存しました。";
  } else {
    s.note = std::wstring(path) + L"に保存できませんでした。";
  }
  show_status(window, s);
}

// ---- the window ----------------------------------------------------------------

void lay_out(HWND window) {
  HistoryWindowState* s = state_of(window);
  if (s == nullptr) return;
  RECT client{};
  GetClientRect(window, &client);
  const int width = client.right;
  const int height = client.bottom;
  const int line = text_size(window, s->font, L"0").cy;
  const int row = line + 10;
  const auto label_width = [&](int id) { return text_size(window, s->font, text_of(item(window, id)).c_str()).cx + 4; };
  const auto button_width = [&](int id) {
    return text_size(window, s->font, text_of(item(window, id)).c_str()).cx + 24;
  };
  const auto place = [&](int id, int x, int y, int w, int h) {
    MoveWindow(item(window, id), x, y, std::max(w, 0), std::max(h, 0), FALSE);
  };
  const auto place_label = [&](int id, int x, int y) {
    const int w = label_width(id);
    place(id, x, y + (row - line) / 2, w, line);
    return x + w + 2;
  };

  // First row: the search.
  int y = kMargin;
  int x = place_label(kHistorySearchLabel, kMargin, y);
  const int search_all = button_width(kHistorySearchAllButton);
  place(kHistorySearchBox, x, y, width - kMargin - search_all - kGap - x, row);
  place(kHistorySearchAllButton, width - kMargin - search_all, y, search_all, row);

  // Second row: the source, the channel, saving.
  y += row + kGap;
  const int save = button_width(kHistorySaveButton);
  const int channel_label = label_width(kHistoryChannelLabel);
  const int channel = text_size(window, s->font, L"NPCDialogueAnnouncements").cx + 40;
  x = place_label(kHistorySourceLabel, kMargin, y);
  const int source = width - kMargin - save - kGap - channel - channel_label - 2 - kGap - x;
  place(kHistorySourceBox, x, y, source, row * 12);
  x += source + kGap;
  x = place_label(kHistoryChannelLabel, x, y);
  place(kHistoryChannelBox, x, y, channel, row * 16);
  place(kHistorySaveButton, width - kMargin - save, y, save, row);

  // The status line at the bottom, the detail pane above it, the list between.
  const int status_y = height - kMargin - line;
  // The bar at the end, so that the status line starts at the margin whether it shows or not.
  place(kHistoryStatusLine, kMargin, status_y, width - 2 * kMargin - kProgressWidth - kGap, line);
  place(kHistoryProgressBar, width - kMargin - kProgressWidth, status_y, kProgressWidth, line);
  const int detail_height = line * kDetailLines + 8;
  const int detail_y = status_y - kGap - detail_height;
  place(kHistoryDetailBox, kMargin, detail_y, width - 2 * kMargin, detail_height);
  const int list_y = y + row + kGap;
  place(kHistoryEntryList, kMargin, list_y, width - 2 * kMargin, detail_y - kGap - list_y);
  place(kHistoryHitList, kMargin, list_y, width - 2 * kMargin, detail_y - kGap - list_y);
  InvalidateRect(window, nullptr, TRUE);
}

HFONT message_font() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void create_controls(HWND window, HistoryWindowState& s) {
  s.font = message_font();
  const HFONT f = s.font;
  add_control(window, L"STATIC", L"検索(&S):", SS_LEFT, kHistorySearchLabel, f);
  add_control(window, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, kHistorySearchBox, f, WS_EX_CLIENTEDGE);
  SendMessageW(item(window, kHistorySearchBox), EM_SETLIMITTEXT, kSearchTextCapacity - 1, 0);
  add_control(window, L"BUTTON", kSearchAllText, WS_TABSTOP | BS_PUSHBUTTON, kHistorySearchAllButton, f);
  add_control(window, L"STATIC", L"記録(&R):", SS_LEFT, kHistorySourceLabel, f);
  add_control(window, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kHistorySourceBox, f);
  add_control(window, L"STATIC", L"チャンネル(&C):", SS_LEFT, kHistoryChannelLabel, f);
  add_control(window, L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, kHistoryChannelBox, f);
  add_control(window, L"BUTTON", kSaveText, WS_TABSTOP | BS_PUSHBUTTON, kHistorySaveButton, f);
  const HWND entries = create_history_list(window, kHistoryEntryList, false, s.kept.columns, 0);
  const HWND hits = create_history_list(window, kHistoryHitList, true, s.kept.columns, kSourceColumnWidth);
  SendMessageW(entries, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
  SendMessageW(hits, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
  ShowWindow(hits, SW_HIDE);
  add_control(window, L"EDIT", L"", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
              kHistoryDetailBox, f, WS_EX_CLIENTEDGE);
  add_control(window, PROGRESS_CLASSW, L"", 0, kHistoryProgressBar, f);
  SendMessageW(item(window, kHistoryProgressBar), PBM_SETRANGE32, 0, kProgressRange);
  add_control(window, L"STATIC", L"", SS_LEFT | SS_ENDELLIPSIS | SS_NOPREFIX, kHistoryStatusLine, f);

  for (const ChannelChoice& choice : channel_choices()) {
    SendMessageW(item(window, kHistoryChannelBox), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(choice.label)));
  }
  SendMessageW(item(window, kHistoryChannelBox), CB_SETCURSEL, channel_choice_of_key(s.kept.channel), 0);
  set_search_text(window, s, wide(s.kept.search));

  for (std::size_t i = 0; i < s.sources.size(); ++i) {
    s.source_names.push_back(i == 0 ? kSourceCurrentLog : wide(export_file_label(s.sources[i].path)));
    s.source_labels.push_back(s.source_names.back());
    SendMessageW(item(window, kHistorySourceBox), CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(s.source_labels[i].c_str()));
  }
}

void keep_settings(HWND window, HistoryWindowState& s) {
  HistoryWindowSettings changed = s.kept;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(window, &placement)) {
    const RECT& r = placement.rcNormalPosition;
    changed.has_place = true;
    changed.left = r.left;
    changed.top = r.top;
    changed.width = std::clamp<int>(r.right - r.left, kHistoryWindowMinWidth, kHistoryWindowMaxSize);
    changed.height = std::clamp<int>(r.bottom - r.top, kHistoryWindowMinHeight, kHistoryWindowMaxSize);
  }
  for (int c = 0; c < kHistoryColumnCount; ++c) {
    const int w = static_cast<int>(SendMessageW(item(window, kHistoryEntryList), LVM_GETCOLUMNWIDTH, c, 0));
    changed.columns[c] = std::clamp(w, kHistoryColumnMinWidth, kHistoryColumnMaxWidth);
  }
  const LRESULT choice = SendMessageW(item(window, kHistoryChannelBox), CB_GETCURSEL, 0, 0);
  changed.channel = choice > 0 ? channel_choices()[choice].key : std::string();
  changed.search = utf16(text_of(item(window, kHistorySearchBox)).c_str());
  save_history_window_settings(s.kept, changed);
}

void context_menu(HWND window, HistoryWindowState& s, HWND list, LPARAM position) {
  if (list != item(window, kHistoryEntryList) && list != item(window, kHistoryHitList)) return;
  POINT at{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  if (position == -1) {  // from the keyboard: at the selected row
    RECT row{LVIR_BOUNDS};
    const int selected = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    row.left = LVIR_BOUNDS;
    if (selected < 0 || !SendMessageW(list, LVM_GETITEMRECT, selected, reinterpret_cast<LPARAM>(&row))) row = RECT{};
    at = POINT{row.left, row.bottom};
    ClientToScreen(list, &at);
  }
  const bool any = !selected_rows(list).empty();
  const HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING | (any ? 0 : MF_GRAYED), kHistoryCopyCommand, L"コピー(&C)\tCtrl+C");
  if (s.showing_hits) {
    AppendMenuW(menu, MF_STRING | (any ? 0 : MF_GRAYED), kHistoryOpenHitCommand, L"この記録を開く(&O)");
  } else {
    AppendMenuW(menu, MF_STRING | (any ? 0 : MF_GRAYED), kHistoryOneSenderCommand, kOneSenderText);
    if (s.view.filter.one_sender) AppendMenuW(menu, MF_STRING, kHistoryAllSendersCommand, L"すべての発言者");
  }
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
  DestroyMenu(menu);
}

void only_selected_sender(HWND window, HistoryWindowState& s) {
  const std::vector<std::uint32_t> entries = entries_of_rows(s, selected_rows(item(window, kHistoryEntryList)));
  if (entries.empty() || s.showing_hits) return;
  const std::string sender(sender_of(s.session, session_entry(s.session, entries.front())));
  set_one_sender(window, s, true, sender);
}

LRESULT on_notify(HWND window, HistoryWindowState& s, NMHDR& header) {
  const bool entries = header.idFrom == kHistoryEntryList;
  const bool hits = header.idFrom == kHistoryHitList;
  if (!entries && !hits) return 0;
  const HistorySession& session = hits ? s.hits : s.session;
  const std::vector<std::uint32_t>& rows = hits ? s.all_hits : s.view.shown;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
      const std::size_t row = static_cast<std::size_t>(info.item.iItem);
      if (row >= rows.size()) return 0;
      int column = info.item.iSubItem;
      if (hits) {
        if (column == 0) {
          fill_cell(info, s.source_names[s.hit_sources[rows[row]]]);
          return 0;
        }
        --column;
      }
      fill_cell(info, entry_cell(session, rows[row], column, s.cache));
      return 0;
    }
    case NM_CUSTOMDRAW: return draw_history_row(reinterpret_cast<NMLVCUSTOMDRAW&>(header), session, &rows);
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED: show_detail(window, s); return 0;
    case NM_DBLCLK:
    case NM_RETURN:
      if (hits) open_hit(window, s);
      return 0;
  }
  return 0;
}

void on_command(HWND window, HistoryWindowState& s, int id, int code) {
  switch (id) {
    case kHistorySearchBox:
      if (code == EN_CHANGE && !s.quiet && !s.showing_hits) apply_filter(window, s);
      return;
    case kHistoryChannelBox:
      if (code == CBN_SELCHANGE && !s.quiet) apply_filter(window, s);
      return;
    case kHistorySourceBox:
      if (code == CBN_SELCHANGE) {
        const LRESULT index = SendMessageW(item(window, kHistorySourceBox), CB_GETCURSEL, 0, 0);
        if (index >= 0 && static_cast<std::size_t>(index) < s.sources.size()) {
          load_source(window, s, static_cast<std::size_t>(index), static_cast<std::size_t>(-1));
          apply_filter(window, s);
        }
      }
      return;
    case kHistorySearchAllButton: search_all(window, s); return;
    case kHistorySaveButton: save_rows(window, s); return;
    case kHistoryCopyCommand: copy_rows(window, s); return;
    case kHistoryOneSenderCommand: only_selected_sender(window, s); return;
    case kHistoryAllSendersCommand: set_one_sender(window, s, false, std::string()); return;
    case kHistoryOpenHitCommand: open_hit(window, s); return;
    case IDOK:  // Enter, through the dialog keys
      if (GetFocus() == item(window, kHistoryHitList)) open_hit(window, s);
      return;
  }
}

LRESULT CALLBACK history_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return DefWindowProcW(window, message, wparam, lparam);
  }
  HistoryWindowState* s = state_of(window);
  if (s == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_CREATE:
      create_controls(window, *s);
      lay_out(window);
      return 0;
    case WM_SIZE: lay_out(window); return 0;
    case WM_GETMINMAXINFO: {
      auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
      limits->ptMinTrackSize = POINT{kHistoryWindowMinWidth, kHistoryWindowMinHeight};
      return 0;
    }
    case WM_COMMAND: on_command(window, *s, LOWORD(wparam), HIWORD(wparam)); return 0;
    case WM_NOTIFY: return on_notify(window, *s, *reinterpret_cast<NMHDR*>(lparam));
    case WM_CONTEXTMENU: context_menu(window, *s, reinterpret_cast<HWND>(wparam), lparam); return 0;
    case kLoadMail: take_load_mail(window, *s); return 0;
    case kCountMail: take_count_mail(window, *s); return 0;
    case kSearchMail: take_search_mail(window, *s); return 0;
    case WM_DESTROY:
      // Closing ends the reading at once; what it had read goes with the window.
      stop_worker(s->loader);
      stop_worker(s->counter);
      stop_worker(s->searcher);
      keep_settings(window, *s);
      return 0;
    case WM_NCDESTROY: {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      if (s->font != nullptr) DeleteObject(s->font);
      delete s;
      return DefWindowProcW(window, message, wparam, lparam);
    }
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

bool register_class() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = history_window_proc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hIcon = LoadIconW(module_instance(), L"MAIN");
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kHistoryWindowClass;
  registered = RegisterClassExW(&window_class) != 0;
  return registered;
}

bool is_history_window(HWND window) {
  wchar_t name[64] = {};
  return window != nullptr && GetClassNameW(window, name, 64) > 0 && lstrcmpW(name, kHistoryWindowClass) == 0;
}

BOOL CALLBACK close_one(HWND window, LPARAM) {
  if (is_history_window(window)) DestroyWindow(window);
  return TRUE;
}

}  // namespace

HWND open_history_window(const std::u16string& character, const std::wstring& label) {
  if (!register_class()) return nullptr;
  auto state = std::make_unique<HistoryWindowState>();
  state->character_folder = game_user_folder_path(character.c_str());
  bool listed = false;
  state->sources = history_sources(state->character_folder, settings().log_folder, listed);
  if (!listed) state->folder_problem = utf8_of(settings().log_folder) + ": the log folder cannot be read";
  state->kept = load_history_window_settings();
  const HistoryWindowSettings& k = state->kept;
  const std::wstring title = std::wstring(kHistoryTitle) + L" - " + label;
  HistoryWindowState* s = state.release();
  const HWND window =
      CreateWindowExW(WS_EX_CONTROLPARENT, kHistoryWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      k.has_place ? k.left : CW_USEDEFAULT, k.has_place ? k.top : CW_USEDEFAULT, k.width, k.height,
                      nullptr, nullptr, GetModuleHandleW(nullptr), s);
  if (window == nullptr) {
    delete s;
    return nullptr;
  }
  ShowWindow(window, SW_SHOW);
  load_source(window, *s, 0, static_cast<std::size_t>(-1));
  apply_filter(window, *s);
  start_worker(s->counter, window, kCountMail, count_job(s->sources));
  SetFocus(item(window, kHistorySearchBox));
  return window;
}

bool history_window_message(MSG& message) {
  if (message.hwnd == nullptr) return false;
  const HWND window = GetAncestor(message.hwnd, GA_ROOT);
  if (!is_history_window(window)) return false;
  HistoryWindowState* s = state_of(window);
  if (s == nullptr) return false;
  if (message.message == WM_KEYDOWN) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const HWND focus = GetFocus();
    const bool in_list = focus == item(window, kHistoryEntryList) || focus == item(window, kHistoryHitList);
    if (control && message.wParam == 'F') {
      SetFocus(item(window, kHistorySearchBox));
      SendMessageW(item(window, kHistorySearchBox), EM_SETSEL, 0, -1);
      return true;
    }
    if (message.wParam == VK_ESCAPE) {
      // A list dropped down closes first, as it always does.
      const bool dropped = SendMessageW(item(window, kHistorySourceBox), CB_GETDROPPEDSTATE, 0, 0) ||
                           SendMessageW(item(window, kHistoryChannelBox), CB_GETDROPPEDSTATE, 0, 0);
      if (!dropped) {
        SetWindowTextW(item(window, kHistorySearchBox), L"");
        return true;
      }
    }
    if (control && message.wParam == 'C' && in_list) {
      copy_rows(window, *s);
      return true;
    }
    if (control && message.wParam == 'A' && in_list) {
      LVITEMW all{};
      all.stateMask = LVIS_SELECTED;
      all.state = LVIS_SELECTED;
      SendMessageW(focus, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&all));
      return true;
    }
  }
  return IsDialogMessageW(window, &message) != FALSE;
}

void close_history_windows() { EnumThreadWindows(GetCurrentThreadId(), close_one, 0); }

}  // namespace tellwick
