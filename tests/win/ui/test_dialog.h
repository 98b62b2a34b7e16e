#pragma once
// A dialog made from the main window's template with the real skinned controls, for tests and
// the screenshot program. Run() shows it modally and calls body once the dialog is initialised
// (inside the modal loop, so the body can pump messages and send input); the body's end closes it.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "res/resource.h"
#include "ui/bitmap_dialog.h"
#include "ui/bmp_button.h"
#include "ui/list_ctrl_ex.h"
#include "winlib/edit.h"

class CControlsTestDlg : public CBitmapDialog {
 public:
  CControlsTestDlg() : CBitmapDialog(IDD_MAIN_DIALOG) {}

  using Body = std::function<void(CControlsTestDlg&)>;
  INT_PTR Run(Body body) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    m_body = std::move(body);
    return DoModal();
  }

  CListCtrlEx m_listDevices;
  CEdit m_editName;
  std::string m_strName;
  CBmpButton m_btnClose;
  CBmpButton m_btnMinimize;
  CBmpButton m_btnRedetect;
  int m_nRedetectClicks = 0;
  int m_nCloseClicks = 0;
  bool m_bSkipSetUp = false;  // leave the list as the template creates it

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CBitmapDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEVICE_LIST, m_listDevices);
    DDX_Text(pDX, IDC_NAME_EDIT, m_strName);
    DDX_Control(pDX, IDC_NAME_EDIT, m_editName);
    DDX_Control(pDX, IDC_CLOSE_BUTTON, m_btnClose);
    DDX_Control(pDX, IDC_MINIMIZE_BUTTON, m_btnMinimize);
    DDX_Control(pDX, IDC_REDETECT, m_btnRedetect);
  }

  BOOL OnInitDialog() override {
    CBitmapDialog::OnInitDialog();
    if (!m_bSkipSetUp) {
      m_listDevices.m_nColumnCount = 3;
      m_listDevices.SetUpList();
    }
    PostMessage(kRunBody);
    return TRUE;
  }

  DECLARE_MESSAGE_MAP()
  void OnRedetect() { ++m_nRedetectClicks; }
  void OnClose() { ++m_nCloseClicks; }
  void OnOK() override {
    m_bEnded = true;
    CBitmapDialog::OnOK();
  }
  void OnCancel() override {
    m_bEnded = true;
    CBitmapDialog::OnCancel();
  }
  LRESULT OnRunBody(WPARAM, LPARAM) {
    if (m_body) m_body(*this);
    if (!m_bEnded) EndDialog(IDOK);  // unless the body's messages ended it already
    return 0;
  }

 private:
  static constexpr UINT kRunBody = WM_APP + 77;
  Body m_body;
  bool m_bEnded = false;
};

#ifdef GTEST_API_
// Runs dlg with body; a dialog that cannot be created (no display, a missing template) fails.
#define RUN_DIALOG(dlg, ...) \
  EXPECT_EQ((dlg).Run(__VA_ARGS__), IDOK) << "the dialog did not run (is there an X display?)"
#endif

inline BEGIN_MESSAGE_MAP(CControlsTestDlg, CBitmapDialog)
    ON_BN_CLICKED(IDC_REDETECT, &CControlsTestDlg::OnRedetect)
        ON_BN_CLICKED(IDC_CLOSE_BUTTON, &CControlsTestDlg::OnClose)
            ON_MESSAGE(kRunBody, &CControlsTestDlg::OnRunBody)
END_MESSAGE_MAP
()

    // Handles the thread's pending messages for about ms milliseconds.
    inline void PumpMessages(DWORD ms = 150) {
  DWORD end = ::GetTickCount() + ms;
  do {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::Sleep(5);
  } while (static_cast<LONG>(::GetTickCount() - end) < 0);
}
