// What the history window keeps between runs, in a section of its own of
// the settings file: its place and size, its column widths and its last
// filter. A value that is missing or not a usable number gives the default.
#pragma once

#include <string>

namespace tellwick {

constexpr int kHistoryColumnCount = 4;  // 時刻, チャンネル, 発言者, 本文

// Sizes in pixels. Outside these a kept value is taken for damaged.
constexpr int kHistoryWindowMinWidth = 320;
constexpr int kHistoryWindowMinHeight = 240;
constexpr int kHistoryWindowMaxSize = 16384;
constexpr int kHistoryWindowMaxOffset = 32767;  // how far a corner may lie from the screen's origin
constexpr int kHistoryColumnMinWidth = 8;
constexpr int kHistoryColumnMaxWidth = 8192;

struct HistoryWindowSettings {
  bool has_place = false;  // false: the system chooses where the window opens
  int left = 0;
  int top = 0;
  int width = 820;
  int height = 560;
  int columns[kHistoryColumnCount] = {150, 110, 140, 400};
  std::string channel;  // the channel choice's key; empty: all
  std::u16string search;
};

HistoryWindowSettings load_history_window_settings();

// Writes the keys whose values differ between `record` and `changed`, in
// one write through the settings file's lock, and makes `record` the changed one.
void save_history_window_settings(HistoryWindowSettings& record, const HistoryWindowSettings& changed);

}  // namespace tellwick
