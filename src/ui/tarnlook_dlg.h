#pragma once
// CTarnlookDlg: the program's only window. A borderless skinned dialog with its own title, minimise
// and close buttons, the progress and summary lines, the device list and the re-detect button.
// It publishes itself for the single-instance rule, starts the scans and carries the marking and
// renaming of devices in the list.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "res/resource.h"
#include "ui/bitmap_dialog.h"
#include "ui/bmp_button.h"
#include "ui/device_list_extras.h"
#include "ui/list_ctrl_ex.h"
#include "ui/network_menu.h"
#include "ui/tray_icon.h"
#include "watch/alert_rule.h"
#include "watch/watch_schedule.h"
#include "winlib/edit.h"
#include "winlib/font.h"
#include "winlib/image_list.h"

// Sent to the running instance's main window by a second start; wParam and lParam are 0.
constexpr UINT WM_RESTORE_INSTANCE = WM_APP + 500;
// The tray icon's events (notify-icon version 0: the mouse message or NIN_BALLOONUSERCLICK in
// lParam).
constexpr UINT WM_TRAY_NOTIFY = WM_APP + 502;

// Set by the dialog's initialisation, for the rest of the program to name the window and its list
// (a scan is handed the list). The scan's workers never use them: they reach the window through
// the scan view that the dialog binds to its handles (ui/window_scan_view.h).
extern HWND g_hMainWnd;
extern CListCtrlEx* g_pDeviceList;
// The five row icons. The list view owns the image handle (it was given it without
// LVS_SHAREIMAGELISTS and destroys it with itself); this object is only the program's wrapper and
// never destroys the handle, so the images go exactly once whichever way the dialog ends.
extern CImageList* g_pRowImages;
// Deletes the g_pRowImages object, leaving its image handle to the list view that holds it.
void ReleaseRowImages();

class CTarnlookDlg : public CBitmapDialog {
 public:
  enum { IDD = IDD_MAIN_DIALOG };

  // Called from OnInitDialog with the window's handle, so a second start can find this window.
  using PublishWindowFn = std::function<void(const HWND* window)>;
  explicit CTarnlookDlg(PublishWindowFn publishWindow = nullptr, CWnd* pParent = nullptr);
  ~CTarnlookDlg() override;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  DECLARE_MESSAGE_MAP()
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnNameEditKillFocus();
  void OnDeviceListDblClk(NMHDR* pNMHDR, LRESULT* pResult);
  void OnRedetect();
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  LRESULT OnRestoreInstance(WPARAM wParam, LPARAM lParam);
  void OnCloseButton();
  void OnMinimizeButton();
  void OnNameEditSetFocus();
  void OnInitMenuPopup(HMENU hPopup, UINT nIndex, BOOL bSysMenu);
  void OnScanNetworkCommand(UINT nID);
  LRESULT OnScanEnded(WPARAM wParam, LPARAM lParam);
  // The watch (tarnlook_dlg_watch.cpp).
  void OnWatchCommand(UINT nID);
  void OnTimer(UINT_PTR nIDEvent);
  void OnDestroy();
  void OnEnterMenuLoop(BOOL bIsTrackPopupMenu);
  void OnExitMenuLoop(BOOL bIsTrackPopupMenu);
  LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
  LRESULT OnTaskbarCreated(WPARAM wParam, LPARAM lParam);

  void PostNcDestroy() override;

  HICON m_hIconApp;
  int m_nEditItem = -1;
  int m_nEditSubItem = -1;
  CFont m_fontText;
  CFont m_fontTitle;
  std::string m_strOldName;
  CListCtrlEx m_listDevices;
  CDeviceListExtras m_listExtras;     // the list's maker tooltip and copy menu
  CNetworkMenu m_networkMenu;         // the 扫描网络 entries of both menus
  HMENU m_hSysNetworkMenu = nullptr;  // the system menu's 扫描网络 submenu, refilled as it opens

  // The watch: background scans at intervals, a tray icon while watching and a balloon when a
  // device the user has not recognised joins.
  watch::WatchSchedule m_watchSchedule;
  watch::RunHistory m_scanHistory;  // every scan of this run, watched or not
  watch::TickClock m_tickClock;
  CTrayIcon m_trayIcon;
  std::optional<int> m_nLatestUnknown;  // from the latest summary
  std::string m_strFirstAlertMac;       // the latest balloon's first device, for its click
  int m_nMenuLoops = 0;                 // menus open now (they run nested message loops)
  std::string m_strName;
  CEdit m_editName;
  CBmpButton m_btnClose;
  CBmpButton m_btnMinimize;
  CBmpButton m_btnRedetect;

 private:
  void CreateRowImages();
  void ChooseFonts();
  void FitSummaryLine();
  void OpenNameEditor(int row, int column);
  void ShowScanning();
  // The one way a scan starts after the first: re-detect, a network picked from a menu. Does
  // nothing while a scan runs; commits an open name editor first. True when a scan started.
  bool StartScanIfIdle();
  void CommitNameEditor();
  bool HideToTray();
  // The watch (tarnlook_dlg_watch.cpp).
  void StartWatchingAtStart();
  void SwitchWatch(bool on);
  void AppendWatchItem(HMENU menu) const;
  void NoteScanForWatch(int unknownCount);
  bool DueScanWaits();
  void OpenTrayMenu();
  void ShowFromTray();
  void ShowFirstAlertedDevice();
  void SetWatchInterval(uint32_t seconds);
  watch::Millis Now();

  PublishWindowFn m_publishWindow;
};

// True when the fonts folder holds the bold Microsoft YaHei file ("msyhbd.ttf", any case).
bool IsYaHeiFontInstalled();
