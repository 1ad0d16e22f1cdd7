// Runs the thread's pending messages the way the program's message loop does,
// so that queued commands and posted input reach the windows.
#pragma once

#include <windows.h>

#include <functional>

namespace tellwick::test {

// Dispatches everything queued, offering each message to the main window's
// dialog manager first. A quit message is noted and dropped, so that later
// pumping still works; quit_was_posted() reports it.
void pump_messages();
bool quit_was_posted();
void forget_quit();

// Presses a key in the window that has the keyboard focus (or `window` when
// none has), through the message queue, as a keyboard would.
void press_key(HWND window, WPARAM key);

// The same with the Ctrl key held down.
void press_control_key(HWND window, WPARAM key);

// Runs messages until `done` says true, waiting for more in between; false
// when `limit_ms` passed first.
bool pump_until(const std::function<bool()>& done, DWORD limit_ms = 30000);

// What the close box of the title bar sends.
void click_close_box(HWND window);

// A button press as the button sees a mouse click.
void click_button(HWND dialog, int button);

// A real left click of the mouse at the middle of a control, as the system
// delivers it: a disabled control never gets it. Runs the messages the click
// causes, offering them to `dialog`'s dialog manager.
void mouse_click(HWND dialog, HWND control);

}  // namespace tellwick::test
