// Identifiers shared by tellwick.rc and the window code. Plain #defines,
// because the resource compiler reads this file too.
#pragma once

// Controls that the code never addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Main window (RECIPEBOX)
#define IDC_CHARACTER_LIST 101
#define IDC_CHANGE_NAME 102
#define IDC_VERSION_TEXT 110
#define IDC_STATUS_LOG 400
#define IDC_SETTINGS 551
#define IDC_OPEN_LOG_FOLDER 950
#define IDC_EXTRACT 2525
#define IDC_INFO_PANEL 5678
#define IDC_HISTORY 2526

// Settings dialog (CONFBOX)
#define IDC_BROWSE_FOLDER 951
#define IDC_LOG_FOLDER 952
#define IDC_CHARSET_ANSI 7000
#define IDC_CHARSET_UTF8 7001
#define IDC_CHARSET_UTF16 7002
#define IDC_WATCH_ENABLED 8000
#define IDC_START_IN_TRAY 8001
#define IDC_SHOW_CONTROL 8003
#define IDC_KEEP_DUPLICATES 8004

// Character name dialog (SETNAMEBOX)
#define IDC_SERVER_NAME 500
#define IDC_CHARACTER_NAME 501
