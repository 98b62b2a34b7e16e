#pragma once
// Resource ids of tarnlook.rc, shared by the resource script and the program.

// Dialogs and strings
#define IDD_ABOUT_DIALOG 100
#define IDS_ABOUT_MENU 101
#define IDD_MAIN_DIALOG 102

// Icons
#define IDI_APP 128
#define IDI_MARK_UNKNOWN 170
#define IDI_MARK_KNOWN 171
#define IDI_HOST_LOCAL 174
#define IDI_HOST_KNOWN 175
#define IDI_HOST_UNKNOWN 176

// Bitmaps
#define IDB_BUTTON_MINIMIZE 161
#define IDB_BUTTON_CLOSE 162
#define IDB_BUTTON_REDETECT 163
#define IDB_SKIN 166

// Controls of the main dialog
#define IDC_REDETECT 1000
#define IDC_STATUS_TEXT 1001
#define IDC_DEVICE_LIST 1002
#define IDC_NAME_EDIT 1003
#define IDC_SUMMARY_PREFIX 1004
#define IDC_SUMMARY_SUFFIX 1005
#define IDC_UNKNOWN_COUNT 1006
#define IDC_CLOSE_BUTTON 1007
#define IDC_MINIMIZE_BUTTON 1009
#define IDC_TITLE 1010

// Controls of the About box
#define IDC_MAKER_DATE 1020

// System menu command of the About box (the low four bits of system commands stay clear)
#define ID_SYSMENU_ABOUT 0x0010
// The 扫描网络 entries, one a candidate network, in the system menu and the list's menu alike: ids
// step by 16 so that the system menu's handler, which masks the low four bits, tells them apart
#define ID_SCAN_NETWORK_FIRST 0x0100
#define ID_SCAN_NETWORK_LAST 0x01F0
// 后台监视新设备: the watch's switch in the system menu and the list's menu
#define ID_WATCH_SWITCH 0x0200
// The tray icon's menu: open, scan now, the interval choices (16 apart) and exit
#define ID_TRAY_OPEN 0x0300
#define ID_TRAY_SCAN_NOW 0x0310
#define ID_TRAY_INTERVAL_FIRST 0x0320
#define ID_TRAY_EXIT 0x0380

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
