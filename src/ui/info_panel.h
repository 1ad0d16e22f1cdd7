// The info panel: what the settings file holds about the selected character's
// names and last export.
#pragma once

#include <windows.h>

#include <string>

namespace tellwick {

constexpr int kInfoPanelCapacity = 4096;  // characters, terminator included
constexpr int kInfoLineCapacity = 260;    // each line before its "\r\n"

// The six lines for one character section, each ending in "\r\n".
std::u16string info_panel_text(const char16_t* character);

// Rebuilds the info panel of `window` for the selected character; empty
// when no valid item is selected.
void refresh_info_panel(HWND window);

}  // namespace tellwick
