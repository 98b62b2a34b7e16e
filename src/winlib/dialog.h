#pragma once
// CDialog: a modal dialog run from a template resource, with dialog data exchange.
//
// DoModal passes this object to DialogBoxParamA. The object binds to the dialog window at the
// first message the dialog procedure sees (the template's WM_SETFONT, before the controls are
// created), so WM_MEASUREITEM sent while the controls are being created already reaches it;
// the control objects themselves are bound later, by DDX_Control in DoDataExchange.
// From then on the window's messages run through the message map; what the map leaves goes
// to the dialog manager's default processing.
//
// Built in: WM_INITDIALOG calls OnInitDialog (its result is the message's result); IDOK and
// IDCANCEL commands (Enter, Escape, Alt+F4, the buttons with those ids) call OnOK / OnCancel
// unless the map handled them first.
#include <string>

#include "winlib/message_map.h"
#include "winlib/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Runs the dialog until EndDialog; returns its result, or -1 when it cannot be created.
  virtual INT_PTR DoModal();
  void EndDialog(int nResult) const;

  // Exchanges data between the controls and the members: false puts the members into the
  // controls, true reads the controls back.
  bool UpdateData(bool bSaveAndValidate = true);

  virtual BOOL OnInitDialog();  // UpdateData(false); TRUE: the system sets the focus
  virtual void OnOK();          // UpdateData(true), then EndDialog(IDOK)
  virtual void OnCancel();      // EndDialog(IDCANCEL)

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);
  bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// Passed to DoDataExchange; names the direction and the dialog.
class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, bool bSaveAndValidate)
      : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
  bool m_bSaveAndValidate;  // true: controls to members
  CWnd* m_pDlgWnd;
  HWND PrepareCtrl(int nIDC) const { return ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC); }
};

// Binds (subclasses) control nIDC to rControl the first time; later calls change nothing.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// The window text of control nIDC and value (8-bit, code page 936).
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
