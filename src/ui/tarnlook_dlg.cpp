#include "ui/tarnlook_dlg.h"

#include <shlobj.h>

#include "net/address_sweep.h"
#include "net/device_record.h"
#include "net/local_identity.h"
#include "net/network_choice.h"
#include "net/row_texts.h"
#include "net/scan.h"
#include "platform/debug_output.h"
#include "registry/profile_location.h"
#include "ui/about_dlg.h"
#include "ui/core/device_marking.h"
#include "ui/list_rows.h"
#include "ui/window_scan_view.h"
#include "winlib/dc.h"
#include "winlib/win_app.h"

HWND g_hMainWnd = nullptr;
CListCtrlEx* g_pDeviceList = nullptr;
CImageList* g_pRowImages = nullptr;

namespace {

const char kScanningText[] = "正在检测您的局域网内的主机数量…";

// Worked out anew for every action: the registry value or the current directory may change.
std::string RegistryPath() { return GetProfileDirectory() + kRegistryFileName; }

}  // namespace

void ReleaseRowImages() {
  if (g_pRowImages == nullptr) return;
  g_pRowImages->Detach();  // the list view destroys the handle itself
  delete g_pRowImages;
  g_pRowImages = nullptr;
}

bool IsYaHeiFontInstalled() {
  // The shell writes up to MAX_PATH bytes; an unreadable fonts folder means "not installed".
  char folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_FONTS, FALSE)) return false;
  const std::string path = std::string(folder) + "\\mSYhBD.TTF";
  if (path.size() >= MAX_PATH) return false;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

CTarnlookDlg::CTarnlookDlg(PublishWindowFn publishWindow, CWnd* pParent)
    : CBitmapDialog(IDD, pParent), m_publishWindow(std::move(publishWindow)) {
  m_hIconApp = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_APP));
  g_dwLocalAddress = 0;
}

CTarnlookDlg::~CTarnlookDlg() {
  // Ended by Enter, Escape or Alt+F4 the close button's steps never ran.
  ReleaseRowImages();
  if (g_pDeviceList == &m_listDevices) g_pDeviceList = nullptr;
}

void CTarnlookDlg::DoDataExchange(CDataExchange* pDX) {
  CBitmapDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_DEVICE_LIST, m_listDevices);
  DDX_Text(pDX, IDC_NAME_EDIT, m_strName);
  DDX_Control(pDX, IDC_NAME_EDIT, m_editName);
  DDX_Control(pDX, IDC_CLOSE_BUTTON, m_btnClose);
  DDX_Control(pDX, IDC_MINIMIZE_BUTTON, m_btnMinimize);
  DDX_Control(pDX, IDC_REDETECT, m_btnRedetect);
}

// clang-format off
BEGIN_MESSAGE_MAP(CTarnlookDlg, CBitmapDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_EN_KILLFOCUS(IDC_NAME_EDIT, &CTarnlookDlg::OnNameEditKillFocus)
  ON_NOTIFY(NM_DBLCLK, IDC_DEVICE_LIST, &CTarnlookDlg::OnDeviceListDblClk)
  ON_BN_CLICKED(IDC_REDETECT, &CTarnlookDlg::OnRedetect)
  ON_WM_CTLCOLOR()
  ON_MESSAGE(WM_RESTORE_INSTANCE, &CTarnlookDlg::OnRestoreInstance)
  ON_BN_CLICKED(IDC_CLOSE_BUTTON, &CTarnlookDlg::OnCloseButton)
  ON_BN_CLICKED(IDC_MINIMIZE_BUTTON, &CTarnlookDlg::OnMinimizeButton)
  ON_EN_SETFOCUS(IDC_NAME_EDIT, &CTarnlookDlg::OnNameEditSetFocus)
  ON_WM_INITMENUPOPUP()
  ON_COMMAND_RANGE(ID_SCAN_NETWORK_FIRST, ID_SCAN_NETWORK_LAST, &CTarnlookDlg::OnScanNetworkCommand)
  ON_MESSAGE(WM_SCAN_ENDED, &CTarnlookDlg::OnScanEnded)
  ON_COMMAND_RANGE(ID_WATCH_SWITCH, ID_WATCH_SWITCH, &CTarnlookDlg::OnWatchCommand)
  ON_WM_TIMER()
  ON_WM_DESTROY()
  ON_WM_ENTERMENULOOP()
  ON_WM_EXITMENULOOP()
  ON_MESSAGE(WM_TRAY_NOTIFY, &CTarnlookDlg::OnTrayNotify)
  ON_MESSAGE(m_trayIcon.TaskbarCreatedMessage(), &CTarnlookDlg::OnTaskbarCreated)
END_MESSAGE_MAP()
// clang-format on

BOOL CTarnlookDlg::OnInitDialog() {
  CBitmapDialog::OnInitDialog();

  if (HMENU systemMenu = GetSystemMenu(false)) {
    char about[128] = {};
    ::LoadStringA(AfxGetResourceHandle(), IDS_ABOUT_MENU, about, sizeof about);
    if (about[0] != '\0') {
      ::AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuA(systemMenu, MF_STRING, ID_SYSMENU_ABOUT, about);
    }
    m_hSysNetworkMenu = m_networkMenu.AppendTo(systemMenu);
    AppendWatchItem(systemMenu);
  }
  SetIcon(m_hIconApp, true);
  SetIcon(m_hIconApp, false);

  // From here a second start can find this window.
  if (m_publishWindow) m_publishWindow(&m_hWnd);

  g_hMainWnd = m_hWnd;
  g_pDeviceList = &m_listDevices;
  BindScanViewToWindows(m_hWnd, m_listDevices.m_hWnd);
  SetDlgItemText(IDC_TITLE, "Tarnlook");

  CreateRowImages();
  m_listDevices.SetExtendedStyle(LVS_EX_GRIDLINES);
  // The name editor sits over the list: without clipping its siblings the list would paint over
  // the editor at every repaint, and the user would type blind.
  m_listDevices.ModifyStyle(0, WS_CLIPSIBLINGS);
  m_listDevices.SetImageList(g_pRowImages->GetSafeHandle(), LVSIL_SMALL);

  StartWatchingAtStart();  // before the first scan, which is its first as well
  StartScan(g_pDeviceList);

  m_listDevices.m_nColumnCount = 3;
  m_listDevices.SetUpList();
  m_listExtras.Attach(m_listDevices, [this](HMENU menu) {
    m_networkMenu.AppendTo(menu);
    AppendWatchItem(menu);
  });

  ChooseFonts();
  GetDlgItem(IDC_TITLE)->SetFont(m_fontTitle, true);
  const int textItems[] = {IDC_STATUS_TEXT,   IDC_SUMMARY_PREFIX, IDC_SUMMARY_SUFFIX,
                           IDC_UNKNOWN_COUNT, IDC_REDETECT,       IDC_DEVICE_LIST};
  for (int id : textItems) GetDlgItem(id)->SetFont(m_fontText, true);
  FitSummaryLine();

  GetDlgItem(IDC_REDETECT)->ShowWindow(SW_HIDE);
  GetDlgItem(IDC_STATUS_TEXT)->ShowWindow(SW_SHOW);
  SetDlgItemText(IDC_STATUS_TEXT, kScanningText);

  if (!LoadSkin()) {
    AfxMessageBox("加载皮肤失败！", MB_OK);
    return FALSE;
  }
  m_bDragByBackground = TRUE;

  m_btnClose.SetBitmap(IDB_BUTTON_CLOSE);
  m_btnMinimize.SetBitmap(IDB_BUTTON_MINIMIZE);
  m_btnRedetect.SetBitmap(IDB_BUTTON_REDETECT);

  DebugOutput("-------初始化窗口-------");
  return TRUE;
}

void CTarnlookDlg::CreateRowImages() {
  ReleaseRowImages();
  g_pRowImages = new CImageList;
  g_pRowImages->Create(32, 32, ILC_COLOR24 | ILC_MASK, 1, 1);
  const UINT icons[] = {IDI_HOST_LOCAL, IDI_HOST_KNOWN, IDI_HOST_UNKNOWN, IDI_MARK_UNKNOWN,
                        IDI_MARK_KNOWN};
  for (UINT id : icons)
    g_pRowImages->Add(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)));
}

void CTarnlookDlg::ChooseFonts() {
  if (IsYaHeiFontInstalled()) {
    // 22 pixels is the cell height the rows are measured for.
    m_fontText.CreateFont(22, 0, 0, 0, 500, FALSE, FALSE, FALSE, 0, 0, 0, 0, FF_SWISS, "微软雅黑");
    m_fontTitle.CreateFont(22, 0, 0, 0, 500, FALSE, FALSE, FALSE, 0, 0, 0, 0, FF_SWISS, "微软雅黑");
  } else {
    m_fontText.CreatePointFont(150, "宋体");
    m_fontTitle.CreatePointFont(110, "宋体");
  }
}

// The summary's statics are placed in dialog units of the 9-point dialog font but drawn in the
// larger text font: "发现您的局域网有" would wrap onto a clipped second line. A static too narrow
// for its widest text is widened, and the statics to its right move along by the same amount.
void CTarnlookDlg::FitSummaryLine() {
  struct Part {
    int id;
    const char* widestText;
  };
  const Part parts[] = {{IDC_SUMMARY_PREFIX, "发现您的局域网有"},
                        {IDC_UNKNOWN_COUNT, "253"},
                        {IDC_SUMMARY_SUFFIX, "个未知设备"}};
  CClientDC dc(m_hWnd);
  HGDIOBJ previous = dc.SelectObject(m_fontText.GetSafeHandle());
  int shift = 0;
  for (const Part& part : parts) {
    CWnd* item = GetDlgItem(part.id);
    if (item == nullptr) continue;
    CRect rect;
    item->GetWindowRect(rect);
    ScreenToClient(rect);
    const SIZE text = dc.GetTextExtent(part.widestText, lstrlenA(part.widestText));
    const int width = text.cx + 2 > rect.Width() ? text.cx + 2 : rect.Width();
    item->MoveWindow(rect.left + shift, rect.top, width, rect.Height(), false);
    shift += width - rect.Width();
  }
  dc.SelectObject(previous);
}

// ---------------------------------------------------------------------------------------------
// System menu, painting, colours

void CTarnlookDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  const UINT command = nID & 0xFFF0;
  if (command == ID_SYSMENU_ABOUT) {
    CAboutDlg about;
    about.DoModal();
  } else if (command >= ID_SCAN_NETWORK_FIRST && command <= ID_SCAN_NETWORK_LAST) {
    OnScanNetworkCommand(command);
  } else if (command == ID_WATCH_SWITCH) {
    OnWatchCommand(command);
  } else if (command == SC_MINIMIZE && HideToTray()) {
    // the system menu's 最小化 and a click on the taskbar button, while watching
  } else {
    CBitmapDialog::OnSysCommand(nID, lParam);
  }
}

void CTarnlookDlg::OnPaint() {
  if (!IsIconic()) {
    CBitmapDialog::OnPaint();  // the skin comes with WM_ERASEBKGND
    return;
  }
  CPaintDC dc(m_hWnd);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  CRect client;
  GetClientRect(client);
  const int x = (client.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
  dc.DrawIcon(x, y, m_hIconApp);
}

HCURSOR CTarnlookDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIconApp); }

HBRUSH CTarnlookDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
  HBRUSH brush = CBitmapDialog::OnCtlColor(pDC, pWnd, nCtlColor);
  if (nCtlColor == CTLCOLOR_STATIC) {
    // Every static lets the skin show through.
    pDC->SetBkMode(TRANSPARENT);
    brush = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
  }
  const int id = pWnd != nullptr ? pWnd->GetDlgCtrlID() : 0;
  if (id == IDC_UNKNOWN_COUNT) {
    pDC->SetTextColor(RGB(255, 0, 0));
    pDC->SetBkMode(TRANSPARENT);
  } else if (id == IDC_TITLE) {
    pDC->SetTextColor(RGB(255, 255, 255));
    pDC->SetBkMode(TRANSPARENT);
  }
  return brush;
}

// ---------------------------------------------------------------------------------------------
// Buttons and the second start

void CTarnlookDlg::ShowScanning() {
  SetDlgItemText(IDC_STATUS_TEXT, kScanningText);
  GetDlgItem(IDC_STATUS_TEXT)->ShowWindow(SW_SHOW);
}

bool CTarnlookDlg::StartScanIfIdle() {
  if (ScanRunning()) return false;
  // A typed name belongs to the row it was typed on, which the new scan is about to empty.
  CommitNameEditor();
  g_bSweepDone.store(0);
  const int hidden[] = {IDC_REDETECT, IDC_SUMMARY_PREFIX, IDC_SUMMARY_SUFFIX, IDC_UNKNOWN_COUNT};
  for (int id : hidden) GetDlgItem(id)->ShowWindow(SW_HIDE);
  m_listDevices.DeleteAllItems();
  ResetScanState();  // empties the table (no scan runs)
  StartScan(g_pDeviceList);
  ShowScanning();
  return true;
}

void CTarnlookDlg::OnRedetect() { StartScanIfIdle(); }

void CTarnlookDlg::OnInitMenuPopup(HMENU hPopup, UINT, BOOL) {
  if (hPopup != nullptr && hPopup == m_hSysNetworkMenu) m_networkMenu.Fill(hPopup);
}

void CTarnlookDlg::OnScanNetworkCommand(UINT nID) {
  uint32_t interfaceIndex = 0;
  if (ScanRunning() || !m_networkMenu.AdapterOf(nID, interfaceIndex)) return;
  PickAdapterForRun(interfaceIndex);
  StartScanIfIdle();
}

LRESULT CTarnlookDlg::OnScanEnded(WPARAM wParam, LPARAM) {
  EndScanRun();
  GetDlgItem(IDC_REDETECT)->ShowWindow(SW_SHOW);
  NoteScanForWatch(static_cast<int>(wParam));
  return 1;
}

void CTarnlookDlg::OnCloseButton() {
  ReleaseRowImages();
  SendMessage(WM_CLOSE);
  if (CWnd* main = AfxGetMainWnd()) main->DestroyWindow();
  // The message that ending the dialog posts to wake its modal loop went with the window. With
  // the window hidden in the tray nothing else arrives: the loop would wait for ever.
  ::PostThreadMessageA(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

void CTarnlookDlg::OnMinimizeButton() {
  if (!HideToTray()) ShowWindow(SW_MINIMIZE);
}

// While watching, with the tray icon there to bring it back, minimising hides the window.
bool CTarnlookDlg::HideToTray() {
  if (!m_watchSchedule.IsWatching() || !m_trayIcon.IsShown()) return false;
  ShowWindow(SW_HIDE);
  return true;
}

LRESULT CTarnlookDlg::OnRestoreInstance(WPARAM, LPARAM) {
  ShowWindow(SW_SHOW);
  SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  SetForegroundWindow();
  return 0;
}

void CTarnlookDlg::PostNcDestroy() {
  // A scan still running from here on talks to no window.
  UnbindScanView();
  if (g_hMainWnd != nullptr && !::IsWindow(g_hMainWnd)) g_hMainWnd = nullptr;
  CBitmapDialog::PostNcDestroy();
}

// ---------------------------------------------------------------------------------------------
// Marking and renaming

void CTarnlookDlg::OnDeviceListDblClk(NMHDR* pNMHDR, LRESULT* pResult) {
  const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(pNMHDR);
  const int row = activate->iItem;
  const int column = activate->iSubItem;
  switch (ClassifyDoubleClick(row, column)) {
    case DoubleClickAction::kIgnore: break;
    case DoubleClickAction::kToggleStatus: {
      ListRows rows(m_listDevices);
      ToggleDeviceStatus(rows, row, RegistryPath());
      m_listDevices.InvalidateRect(nullptr, true);
      m_listDevices.UpdateWindow();
      break;
    }
    case DoubleClickAction::kOpenEditor: OpenNameEditor(row, column); break;
  }
  *pResult = 0;
}

void CTarnlookDlg::OpenNameEditor(int row, int column) {
  RECT label;
  if (m_listDevices.GetSubItemRect(row, column, LVIR_LABEL, label)) {
    CRect list;
    m_listDevices.GetWindowRect(list);
    ScreenToClient(list);
    const EditorPlacement at =
        PlaceNameEditor(label.left, label.top, label.right, label.bottom, list.left, list.top);
    m_editName.MoveWindow(at.x, at.y, at.width, at.height, true);
    m_editName.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    char cell[100] = {};
    m_listDevices.GetItemText(row, column, cell, sizeof cell);
    m_strOldName = HostNameFromCell(cell);
    m_editName.SetWindowText(m_strOldName.c_str());
    m_editName.ShowWindow(SW_SHOWNORMAL);
    m_editName.SetFocus();
  }
  m_nEditItem = row;
  m_nEditSubItem = column;
}

void CTarnlookDlg::OnNameEditSetFocus() {
  // Typing replaces the old name.
  m_editName.SetSel(0, -1);
}

void CTarnlookDlg::OnNameEditKillFocus() { CommitNameEditor(); }

void CTarnlookDlg::CommitNameEditor() {
  // The editor also loses the focus while the dialog is being destroyed: no list, no commit. Once
  // committed it has no row, so the focus it loses as it hides commits nothing a second time.
  if (!::IsWindow(m_listDevices) || m_nEditItem < 0) return;
  UpdateData(true);
  ListRows rows(m_listDevices);
  const NameCommit outcome =
      CommitHostName(rows, m_nEditItem, m_nEditSubItem, m_strName, m_strOldName, RegistryPath());
  m_nEditItem = -1;
  m_editName.ShowWindow(SW_HIDE);
  if (outcome == NameCommit::kTooLong) {
    AfxMessageBox("您输入的主机名过长，请重新输入！", MB_OK);
  } else if (outcome == NameCommit::kStored) {
    UpdateData(false);  // the hidden editor keeps the cell's text; the next opening replaces it
  }
}
