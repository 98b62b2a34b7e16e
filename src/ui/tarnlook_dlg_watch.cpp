// The main dialog's watch: background scans at intervals while the switch is on, a tray icon while
// watching, and a balloon when a device the user has not recognised joins. What alerts, when a
// scan is due and what the settings mean is decided in watch/; this file only asks and executes.
#include <iterator>

#include "net/local_identity.h"
#include "net/network_choice.h"
#include "net/row_texts.h"
#include "net/scan.h"
#include "platform/debug_output.h"
#include "text/cp936.h"
#include "ui/list_rows.h"
#include "ui/tarnlook_dlg.h"
#include "watch/alert_texts.h"
#include "watch/watch_menu.h"
#include "watch/watch_settings.h"
#include "winlib/menu.h"
#include "winlib/win_app.h"

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchTimerMilliseconds = 1000;  // how soon a due scan starts once nothing holds it
constexpr UINT kBalloonClicked = WM_USER + 5;   // NIN_BALLOONUSERCLICK, with notify-icon version 0
constexpr UINT kIntervalCommandStep = 16;

watch::ReadValue ReadWatchSetting(const char* entry) {
  const auto value = AfxGetApp()->GetProfileValue(watch::kSettingsSection, entry);
  if (!value) return std::nullopt;
  return watch::StoredValue{value->type, value->data};
}

// A failed write is silent: the watch follows the menu for this run all the same.
void StoreWatchSetting(const char* entry, uint32_t value) {
  AfxGetApp()->WriteProfileInt(watch::kSettingsSection, entry, static_cast<int>(value));
}

}  // namespace

watch::Millis CTarnlookDlg::Now() { return m_tickClock.Extend(::GetTickCount()); }

void CTarnlookDlg::StartWatchingAtStart() {
  m_trayIcon.Create(m_hWnd, WM_TRAY_NOTIFY, m_hIconApp);
  const watch::WatchSettings settings = watch::SettingsFrom(
      ReadWatchSetting(watch::kEnabledEntry), ReadWatchSetting(watch::kIntervalEntry));
  m_watchSchedule.SetInterval(settings.intervalSeconds);
  if (settings.enabled) SwitchWatch(true);
}

void CTarnlookDlg::SwitchWatch(bool on) {
  if (on == m_watchSchedule.IsWatching()) return;
  if (on) {
    m_watchSchedule.SwitchOn(Now());
    m_trayIcon.Add(watch::WatchTip(m_nLatestUnknown));  // tried again if the shell is not up yet
    ::SetTimer(m_hWnd, kWatchTimer, kWatchTimerMilliseconds, nullptr);
  } else {
    m_watchSchedule.SwitchOff();
    ::KillTimer(m_hWnd, kWatchTimer);
    m_trayIcon.Remove();
    if (!IsWindowVisible()) ShowFromTray();  // no icon is left to bring it back
  }
  if (HMENU systemMenu = GetSystemMenu(false))
    ::CheckMenuItem(systemMenu, ID_WATCH_SWITCH, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void CTarnlookDlg::OnWatchCommand(UINT) {
  const bool on = !m_watchSchedule.IsWatching();
  SwitchWatch(on);
  StoreWatchSetting(watch::kEnabledEntry, on ? 1 : 0);
}

void CTarnlookDlg::AppendWatchItem(HMENU menu) const {
  const UINT checked = m_watchSchedule.IsWatching() ? MF_CHECKED : MF_UNCHECKED;
  ::AppendMenuA(menu, MF_STRING | checked, ID_WATCH_SWITCH, watch::kWatchSwitchItem);
}

void CTarnlookDlg::SetWatchInterval(uint32_t seconds) {
  m_watchSchedule.SetInterval(seconds);
  StoreWatchSetting(watch::kIntervalEntry, seconds);
}

// Every scan counts for what later scans alert on, watched or not; only a watched one alerts.
void CTarnlookDlg::NoteScanForWatch(int unknownCount) {
  m_watchSchedule.NoteSummary(Now());
  m_nLatestUnknown = unknownCount;

  DeviceTable rows;
  ListRows list(m_listDevices);
  for (int row = 0; row < m_listDevices.GetItemCount(); ++row) {
    rows.push_back(ReadDeviceRow(list, row));
    rows.back().ipText = IpTextFromCell(list.CellText(row, 1));  // the read-back leaves it out
  }
  std::vector<AdapterEntry> adapters;
  if (ReadAdapterList(adapters) != 0) adapters.clear();
  const std::vector<DeviceRecord> alerts = m_scanHistory.AlertsAfterScan(
      watch::NetworkOf(LatestScanNetwork().address), rows, watch::ThisComputerFrom(adapters));
  if (!m_watchSchedule.IsWatching()) return;

  m_trayIcon.SetTip(watch::WatchTip(m_nLatestUnknown));
  if (alerts.empty()) return;
  for (const DeviceRecord& device : alerts) DebugOutput(watch::AlertDebugLine(device));
  const watch::BalloonText balloon = watch::AlertBalloon(alerts);
  m_trayIcon.ShowBalloon(balloon.title, balloon.text);
  m_strFirstAlertMac = std::string(text::Trim(alerts.front().macText));
  if (IsWindowVisible() && ::GetForegroundWindow() != m_hWnd) {
    FLASHWINFO flash = {sizeof flash, m_hWnd, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    ::FlashWindowEx(&flash);
  }
}

// Timers fire inside the nested loops of menus and modal boxes: what holds a due scan is asked
// here each time.
bool CTarnlookDlg::DueScanWaits() {
  watch::ScanHolds holds;
  holds.scanRunning = ScanRunning();
  holds.nameEditorOpen = m_editName.IsWindowVisible();
  holds.menuOrBoxOpen = m_nMenuLoops > 0 || !::IsWindowEnabled(m_hWnd);  // a modal box disables it
  holds.windowInFront = IsWindowVisible() && ::GetForegroundWindow() == m_hWnd;
  LASTINPUTINFO input = {sizeof input, 0};
  if (::GetLastInputInfo(&input)) holds.millisSinceInput = ::GetTickCount() - input.dwTime;
  return watch::DueScanWaits(holds);
}

void CTarnlookDlg::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kWatchTimer || !m_watchSchedule.IsDue(Now()) || DueScanWaits()) return;
  m_trayIcon.Restore(false);
  StartScanIfIdle();
}

void CTarnlookDlg::OnDestroy() {
  // Every way out passes here: the close button, 退出, Enter, Escape and Alt+F4.
  ::KillTimer(m_hWnd, kWatchTimer);
  m_trayIcon.Remove();
}

void CTarnlookDlg::OnEnterMenuLoop(BOOL) { ++m_nMenuLoops; }

void CTarnlookDlg::OnExitMenuLoop(BOOL) {
  if (m_nMenuLoops > 0) --m_nMenuLoops;
}

LRESULT CTarnlookDlg::OnTaskbarCreated(WPARAM, LPARAM) {
  // The shell started (the icon could not be added before) or restarted (it forgot the icon).
  if (m_trayIcon.TaskbarCreatedMessage() != 0) m_trayIcon.Restore(true);
  return 0;
}

LRESULT CTarnlookDlg::OnTrayNotify(WPARAM, LPARAM lParam) {
  switch (static_cast<UINT>(lParam)) {
    case WM_LBUTTONDBLCLK: ShowFromTray(); break;
    case WM_RBUTTONUP: OpenTrayMenu(); break;
    case kBalloonClicked: ShowFirstAlertedDevice(); break;
    default: break;
  }
  return 0;
}

void CTarnlookDlg::ShowFromTray() { OnRestoreInstance(0, 0); }

// The balloon's first device, found by MAC, scrolled to the top of the list; while a scan runs,
// or once the row is gone, only the window shows.
void CTarnlookDlg::ShowFirstAlertedDevice() {
  ShowFromTray();
  if (ScanRunning() || m_strFirstAlertMac.empty()) return;
  ListRows list(m_listDevices);
  for (int row = 0; row < m_listDevices.GetItemCount(); ++row) {
    if (text::Trim(ReadDeviceRow(list, row).macText) != m_strFirstAlertMac) continue;
    RECT target, top;
    const int topRow = static_cast<int>(::SendMessageA(m_listDevices, LVM_GETTOPINDEX, 0, 0));
    if (m_listDevices.GetItemRect(row, target, LVIR_BOUNDS) &&
        m_listDevices.GetItemRect(topRow, top, LVIR_BOUNDS))
      ::SendMessageA(m_listDevices, LVM_SCROLL, 0, target.top - top.top);
    return;
  }
}

// The documented idiom for a notification icon's menu: the owner in front before it opens, and a
// message posted after it, or the menu would not close when the user clicks elsewhere.
void CTarnlookDlg::OpenTrayMenu() {
  CMenu menu, intervals;
  if (!menu.CreatePopupMenu() || !intervals.CreatePopupMenu()) return;
  menu.AppendMenu(MF_STRING, ID_TRAY_OPEN, watch::kTrayOpenItem);
  ::SetMenuDefaultItem(menu, ID_TRAY_OPEN, FALSE);
  menu.AppendMenu(MF_STRING | (ScanRunning() ? MF_GRAYED : MF_ENABLED), ID_TRAY_SCAN_NOW,
                  watch::kTrayScanNowItem);
  const int checked = watch::CheckedIntervalChoice(m_watchSchedule.IntervalSeconds());
  for (int i = 0; i < watch::kIntervalChoiceCount; ++i) {
    intervals.AppendMenu(MF_STRING | (i == checked ? MF_CHECKED : MF_UNCHECKED),
                         ID_TRAY_INTERVAL_FIRST + kIntervalCommandStep * i,
                         watch::kIntervalChoices[i].label);
  }
  menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(intervals.m_hMenu),
                  watch::kTrayIntervalMenu);
  AppendWatchItem(menu);
  menu.AppendMenu(MF_SEPARATOR, 0, nullptr);
  menu.AppendMenu(MF_STRING, ID_TRAY_EXIT, watch::kTrayExitItem);
  intervals.m_hMenu = nullptr;  // the menu owns it now and destroys it with itself

  POINT at;
  ::GetCursorPos(&at);
  ::SetForegroundWindow(m_hWnd);
  const UINT chosen = menu.TrackPopupMenu(TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, m_hWnd);
  ::PostMessageA(m_hWnd, WM_NULL, 0, 0);

  const UINT lastInterval =
      ID_TRAY_INTERVAL_FIRST + kIntervalCommandStep * (watch::kIntervalChoiceCount - 1);
  if (chosen == ID_TRAY_OPEN) {
    ShowFromTray();
  } else if (chosen == ID_TRAY_SCAN_NOW) {
    StartScanIfIdle();
  } else if (chosen >= ID_TRAY_INTERVAL_FIRST && chosen <= lastInterval) {
    SetWatchInterval(
        watch::kIntervalChoices[(chosen - ID_TRAY_INTERVAL_FIRST) / kIntervalCommandStep].seconds);
  } else if (chosen == ID_WATCH_SWITCH) {
    OnWatchCommand(chosen);
  } else if (chosen == ID_TRAY_EXIT) {
    OnCloseButton();
  }
}
