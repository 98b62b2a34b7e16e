#include "winlib/dialog.h"

#include "winlib/win_app.h"

namespace {

// The dialog that DoModal is creating on this thread, until its window is bound.
thread_local CDialog* t_dialogBeingCreated = nullptr;

// The dialog manager takes these messages' results from the dialog procedure's return value;
// all others from DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON: return true;
    default: return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
  }
}

}  // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
  HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!owner) {
    CWnd* main = AfxGetMainWnd();
    owner = (main && main != this && ::IsWindow(main->m_hWnd)) ? main->m_hWnd : ::GetActiveWindow();
  }
  CDialog* outer = t_dialogBeingCreated;
  t_dialogBeingCreated = this;
  INT_PTR result = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  t_dialogBeingCreated = outer;
  return result;
}

// The dialog manager calls this for every message its default procedure sees. The first one
// (before WM_INITDIALOG) binds the object and subclasses the window; from then on messages
// reach the object through CWnd's window procedure first, and what the map leaves comes back
// here only to be answered "not handled", so the dialog manager's defaults apply.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (FromHandlePermanent(hWnd)) return FALSE;
  CDialog* self = t_dialogBeingCreated;
  if (message == WM_INITDIALOG && lParam) self = reinterpret_cast<CDialog*>(lParam);
  if (!self || self->m_hWnd) return FALSE;
  t_dialogBeingCreated = nullptr;
  self->SubclassWindow(hWnd);

  LRESULT result = 0;
  if (!self->RunMessageMap(message, wParam, lParam, result)) return FALSE;
  if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
  ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}

void CDialog::EndDialog(int nResult) const { ::EndDialog(m_hWnd, nResult); }

bool CDialog::UpdateData(bool bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  DoDataExchange(&dx);
  return true;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
  if (CWnd::ProcessMessage(message, wParam, lParam, lResult)) return true;
  if (message == WM_INITDIALOG) {
    lResult = OnInitDialog();
    return true;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      lResult = 0;
      return true;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      lResult = 0;
      return true;
    }
  }
  return false;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (!rControl.m_hWnd) rControl.SubclassWindow(pDX->PrepareCtrl(nIDC));
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
  HWND hCtrl = pDX->PrepareCtrl(nIDC);
  if (!hCtrl) return;
  CWnd* control = CWnd::FromHandle(hCtrl);
  if (pDX->m_bSaveAndValidate) {
    value = control->GetWindowText();
  } else {
    control->SetWindowText(value.c_str());
  }
}
