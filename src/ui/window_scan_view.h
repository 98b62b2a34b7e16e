#pragma once
// The scan's view bound to real windows: the main dialog and its device list, reached only through
// their window handles. A call on a handle whose window is gone fails harmlessly, and the binding
// itself has static storage duration, so a scan that outlives the dialog touches nothing.
//
// OnInitDialog: BindScanViewToWindows(m_hWnd, m_listDevices.m_hWnd) before the first StartScan.
// WM_DESTROY:   UnbindScanView(), so a running scan stops talking to the window at once.
#include <windows.h>

// Sent to the dialog as a scan's last step, after its summary shows; wParam is the number of
// devices not yet known. The dialog ends the scan run (EndScanRun), shows the re-detect button and
// returns 1.
constexpr UINT WM_SCAN_ENDED = WM_APP + 501;

void BindScanViewToWindows(HWND dialog, HWND list);
void UnbindScanView();
