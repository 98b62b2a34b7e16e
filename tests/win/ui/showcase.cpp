// Shows the skinned dialog as the program dresses it (fonts, title, summary, buttons) with rows
// of every kind, for a screenshot. Arguments: the seconds to stay (default 60), then "simsun" for
// the 宋体 fonts instead of YaHei; or "about" for the About box.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include "test_dialog.h"
#include "winlib/font.h"
#include "winlib/image_list.h"

namespace {

class CShowcaseDlg : public CControlsTestDlg {
 public:
  CFont m_fontText, m_fontTitle;
  CImageList m_images;

 protected:
  DECLARE_MESSAGE_MAP()
  HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH brush = CControlsTestDlg::OnCtlColor(pDC, pWnd, nCtlColor);
    if (nCtlColor == CTLCOLOR_STATIC) {
      pDC->SetBkMode(TRANSPARENT);
      brush = static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH));
    }
    if (pWnd->GetDlgCtrlID() == IDC_UNKNOWN_COUNT) pDC->SetTextColor(RGB(255, 0, 0));
    if (pWnd->GetDlgCtrlID() == IDC_TITLE) pDC->SetTextColor(RGB(255, 255, 255));
    return brush;
  }
};

BEGIN_MESSAGE_MAP(CShowcaseDlg, CControlsTestDlg)
  ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

void Dress(CShowcaseDlg& d, bool yahei) {
  d.SetDlgItemText(IDC_TITLE, "Tarnlook");
  d.m_images.Create(32, 32, ILC_COLOR24 | ILC_MASK, 1, 1);
  for (UINT id :
       {IDI_HOST_LOCAL, IDI_HOST_KNOWN, IDI_HOST_UNKNOWN, IDI_MARK_UNKNOWN, IDI_MARK_KNOWN}) {
    d.m_images.Add(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
  }
  d.m_listDevices.SetExtendedStyle(LVS_EX_GRIDLINES);
  d.m_listDevices.SetImageList(d.m_images, LVSIL_SMALL);
  d.m_images.Detach();  // the list destroys it with itself

  // The program's two font choices: 22-pixel YaHei where its font file is installed, else 宋体.
  if (yahei) {
    d.m_fontText.CreateFont(22, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 0, FF_SWISS, "微软雅黑");
    d.m_fontTitle.CreateFont(22, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 0, FF_SWISS, "微软雅黑");
  } else {
    d.m_fontText.CreatePointFont(150, "宋体");
    d.m_fontTitle.CreatePointFont(110, "宋体");
  }
  d.GetDlgItem(IDC_TITLE)->SetFont(d.m_fontTitle);
  for (int id : {IDC_STATUS_TEXT, IDC_SUMMARY_PREFIX, IDC_SUMMARY_SUFFIX, IDC_UNKNOWN_COUNT,
                 IDC_REDETECT, IDC_DEVICE_LIST}) {
    d.GetDlgItem(id)->SetFont(d.m_fontText);
  }

  struct Row {
    const char *name, *mac, *ip, *status;
  } rows[] = {
      {"DESKTOP-7Q2KX", "00-1A-2B-3C-4D-5E", "192.168.1.23", "\n本机"},
      {"客厅电视", "A4-5E-60-C2-19-0B", "192.168.1.40", "\n\n标记为未知"},
      {"未知主机名", "F0-9F-C2-11-7A-3D", "192.168.1.57", "\n\n标记为已知"},
      {"NAS-BACKUP", "00-11-32-8E-4F-21", "192.168.1.8", "\n\n标记为未知"},
      {"android-5f2c", "3C-28-6D-9A-0E-77", "192.168.1.102", "\n\n标记为已知"},
  };
  int row = 0;
  for (const Row& r : rows) {
    char name[128], net[128];
    wsprintfA(name, "\n当前电脑\n\n主机名: %s", r.name);
    wsprintfA(net, "\nMAC地址:%s\n\nIP地址: %s", r.mac, r.ip);
    d.m_listDevices.InsertItem(row, name);
    d.m_listDevices.SetItemText(row, 1, net);
    d.m_listDevices.SetItemText(row, 2, r.status);
    ++row;
  }

  d.SetDlgItemText(IDC_SUMMARY_PREFIX, "发现您的局域网有");
  d.SetDlgItemText(IDC_SUMMARY_SUFFIX, "个未知设备");
  d.SetDlgItemText(IDC_UNKNOWN_COUNT, "2");
  for (int id : {IDC_SUMMARY_PREFIX, IDC_SUMMARY_SUFFIX, IDC_UNKNOWN_COUNT, IDC_REDETECT}) {
    d.GetDlgItem(id)->ShowWindow(SW_SHOW);
  }

  d.LoadSkin();
  d.m_bDragByBackground = TRUE;
  d.m_btnClose.SetBitmap(IDB_BUTTON_CLOSE);
  d.m_btnMinimize.SetBitmap(IDB_BUTTON_MINIMIZE);
  d.m_btnRedetect.SetBitmap(IDB_BUTTON_REDETECT);
  d.Invalidate(true);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmd, int) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&icc);
  if (cmd && std::strstr(cmd, "about")) {  // the About box alone, until it is closed
    CDialog about(IDD_ABOUT_DIALOG);
    about.DoModal();
    return 0;
  }
  const int seconds = cmd && *cmd ? std::atoi(cmd) : 60;
  const bool yahei = !(cmd && std::strstr(cmd, "simsun"));
  CShowcaseDlg dlg;
  dlg.Run([seconds, yahei](CControlsTestDlg& d) {
    Dress(static_cast<CShowcaseDlg&>(d), yahei);
    PumpMessages(static_cast<DWORD>(seconds) * 1000);
  });
  return 0;
}
