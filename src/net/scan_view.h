#pragma once
// What a scan does to the main dialog: the device list rows, the re-detect button and the summary
// line. The scan's worker threads call it; the main dialog binds it to its real controls.
// Port kind: installable (InstallScanView / CurrentScanView).
//
// Binding rules for the dialog:
//  - Install a view object that outlives every worker (static storage duration), e.g. the window
//    binding in ui/window_scan_view.h, which reaches the controls only through their
//    window handles: a call on a window that is gone does nothing.
//  - When the dialog is destroyed, unbind its handles (or InstallScanView(nullptr)) before the
//    objects behind them go; a scan still running then talks to nothing.
//  - Workers call the view from their own threads; a window binding sends the calls to the
//    user-interface thread, which therefore must never wait for a scan's threads.
#include <string>

// Dialog items the scan uses (the same numbers as IDC_REDETECT ... in res/resource.h, named apart
// so both headers can be included together).
constexpr int kItemRedetect = 1000;       // re-detect button
constexpr int kItemStatusText = 1001;     // "正在检测您的局域网内的主机数量…"
constexpr int kItemSummaryPrefix = 1004;  // "发现您的局域网有"
constexpr int kItemSummarySuffix = 1005;  // "个未知设备"
constexpr int kItemUnknownCount = 1006;   // the count, in decimal

class ScanView {
 public:
  virtual ~ScanView() = default;
  // Device list (control 1002).
  virtual void InsertRow(int row, const std::string& column0) = 0;  // text only; image, data 0
  virtual void SetCell(int row, int column, const std::string& text, int image) = 0;  // text+image
  virtual void SetCellText(int row, int column, const std::string& text) = 0;
  virtual void RepaintList() = 0;     // UpdateWindow: paint now
  virtual void InvalidateList() = 0;  // InvalidateRect(no rectangle, erase background)
  // Dialog items.
  virtual void EnableItem(int item, bool enable) = 0;
  virtual void ShowItem(int item, bool show) = 0;
  virtual void SetItemText(int item, const std::string& text) = 0;
  // The last call of a scan, after its summary shows: ends the scan run (EndScanRun), then shows
  // the re-detect button. A window binding does both on the user-interface thread in one step, so
  // that a press of the button never finds the scan still running and nothing there sees a scan
  // end between two of its own steps.
  virtual void ScanEnded(int unknownCount);
};

// Makes view the one the scans use (nullptr: scans touch no window). Safe to call while a scan
// runs: a worker sees either the old or the new view for each call.
void InstallScanView(ScanView* view);
// The installed view, or one that does nothing.
ScanView& CurrentScanView();
