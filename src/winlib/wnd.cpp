#include "winlib/wnd.h"

#include <map>
#include <memory>

#include "winlib/dc.h"

namespace {

// The bound object of a window lives in a window property, so any thread can find it without a
// lock of ours.
const char kObjectProperty[] = "Tarnlook.CWnd";

}  // namespace

CWnd::~CWnd() {
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
    if (m_pfnSuper) {
      UnsubclassWindow();
    } else {
      Detach();
    }
  }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  return hWnd ? static_cast<CWnd*>(::GetPropA(hWnd, kObjectProperty)) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (CWnd* bound = FromHandlePermanent(hWnd)) return bound;
  // Plain wrappers stay for the thread's lifetime: a handful of windows per program.
  thread_local std::map<HWND, std::unique_ptr<CWnd>> wrappers;
  std::unique_ptr<CWnd>& slot = wrappers[hWnd];
  if (!slot) slot = std::make_unique<CWnd>();
  slot->m_hWnd = hWnd;
  return slot.get();
}

void CWnd::Attach(HWND hWnd) {
  m_hWnd = hWnd;
  ::SetPropA(hWnd, kObjectProperty, this);
}

void CWnd::Detach() {
  if (m_hWnd) ::RemovePropA(m_hWnd, kObjectProperty);
  m_hWnd = nullptr;
}

bool CWnd::SubclassWindow(HWND hWnd) {
  if (!hWnd || m_hWnd || FromHandlePermanent(hWnd)) return false;
  Attach(hWnd);
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::WndProc)));
  return true;
}

bool CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  return pParent && SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow() {
  HWND hWnd = m_hWnd;
  if (!hWnd || !m_pfnSuper) return nullptr;
  ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  m_pfnSuper = nullptr;
  Detach();
  return hWnd;
}

LRESULT CALLBACK CWnd::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* self = FromHandlePermanent(hWnd);
  if (!self) return ::DefWindowProcA(hWnd, message, wParam, lParam);
  if (message != WM_NCDESTROY) return self->Dispatch(message, wParam, lParam);
  // The window is going away: let its own procedure finish, then unbind the object.
  WNDPROC super = self->m_pfnSuper;
  LRESULT result = super ? ::CallWindowProcA(super, hWnd, message, wParam, lParam)
                         : ::DefWindowProcA(hWnd, message, wParam, lParam);
  if (FromHandlePermanent(hWnd) == self) {
    ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
    self->m_pfnSuper = nullptr;
    self->Detach();
    self->PostNcDestroy();
  }
  return result;
}

// Makes a message the one Default() passes on while it is handled, and brings the outer one back
// afterwards: handlers may send messages to their own window.
class CWnd::MessageScope {
 public:
  MessageScope(CWnd& wnd, UINT message, WPARAM wParam, LPARAM lParam)
      : m_wnd(wnd), m_saved(wnd.m_current), m_bSavedHandling(wnd.m_bHandlingMessage) {
    wnd.m_current = {message, wParam, lParam};
    wnd.m_bHandlingMessage = true;
  }
  ~MessageScope() {
    m_wnd.m_current = m_saved;
    m_wnd.m_bHandlingMessage = m_bSavedHandling;
  }
  MessageScope(const MessageScope&) = delete;
  MessageScope& operator=(const MessageScope&) = delete;

 private:
  CWnd& m_wnd;
  CurrentMessage m_saved;
  bool m_bSavedHandling;
};

// The exception boundary of every message: no C++ exception may unwind into the system's code.
LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  MessageScope scope(*this, message, wParam, lParam);
  try {
    return WindowProc(message, wParam, lParam);
  } catch (...) {
    ::OutputDebugStringA("winlib: exception in a message handler\n");
    return DefWindowProc(message, wParam, lParam);
  }
}

bool CWnd::RunMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
  MessageScope scope(*this, message, wParam, lParam);
  try {
    return ProcessMessage(message, wParam, lParam, lResult);
  } catch (...) {
    ::OutputDebugStringA("winlib: exception in a message handler\n");
    return false;
  }
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (ProcessMessage(message, wParam, lParam, result)) return result;
  return DefWindowProc(message, wParam, lParam);
}

bool CWnd::ProcessMessage(UINT message, WPARAM /*wParam*/, LPARAM lParam, LRESULT& lResult) {
  if ((message == WM_DRAWITEM || message == WM_MEASUREITEM) && ReflectOwnerDraw(message, lParam)) {
    lResult = TRUE;
    return true;
  }
  return false;
}

// The parent finds the child by its handle (a control id may be 0 or shared) and lets the
// control object draw or measure itself. WM_MEASUREITEM names no window, only the control id.
bool CWnd::ReflectOwnerDraw(UINT message, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
    if (!dis || dis->CtlType == ODT_MENU) return false;
    CWnd* child = FromHandlePermanent(dis->hwndItem);
    if (!child || child == this) return false;
    child->DrawItem(dis);
    return true;
  }
  auto* mis = reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam);
  if (!mis || mis->CtlType == ODT_MENU) return false;
  CWnd* child = FromHandlePermanent(::GetDlgItem(m_hWnd, static_cast<int>(mis->CtlID)));
  if (!child || child == this) return false;
  child->MeasureItem(mis);
  return true;
}

void CWnd::DrawItem(LPDRAWITEMSTRUCT) {}
void CWnd::MeasureItem(LPMEASUREITEMSTRUCT) {}

LRESULT CWnd::Default() {
  if (!m_bHandlingMessage) return 0;
  return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

// --- Default handlers -------------------------------------------------------------------------

void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnPaint() { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnEnable(BOOL) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
void CWnd::OnMouseHover(UINT, CPoint) { Default(); }
void CWnd::OnMouseLeave() { Default(); }

// --- Window operations ------------------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageA(m_hWnd, message, wParam, lParam);
}
bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
}
bool CWnd::ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow) != FALSE; }
bool CWnd::EnableWindow(bool bEnable) const { return ::EnableWindow(m_hWnd, bEnable) != FALSE; }
bool CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
bool CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
bool CWnd::IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }
bool CWnd::DestroyWindow() { return m_hWnd && ::DestroyWindow(m_hWnd) != FALSE; }
void CWnd::SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }
std::string CWnd::GetWindowText() const {
  int length = ::GetWindowTextLengthA(m_hWnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = ::GetWindowTextA(m_hWnd, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
void CWnd::SetDlgItemText(int nID, const char* text) const { ::SetDlgItemTextA(m_hWnd, nID, text); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
void CWnd::SetFont(HFONT hFont, bool bRedraw) const {
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw);
}
HFONT CWnd::GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
void CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd) const {
  ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>((GetStyle() & ~dwRemove) | dwAdd));
}
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(LPRECT lpRect) const {
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect));
  ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(lpRect) + 1);
}
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, bool bRepaint) const {
  ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}
bool CWnd::SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) const {
  return ::SetWindowPos(m_hWnd, hWndInsertAfter, x, y, cx, cy, nFlags) != FALSE;
}
int CWnd::SetWindowRgn(HRGN hRgn, bool bRedraw) const {
  return ::SetWindowRgn(m_hWnd, hRgn, bRedraw);
}
void CWnd::Invalidate(bool bErase) const { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(LPCRECT lpRect, bool bErase) const {
  ::InvalidateRect(m_hWnd, lpRect, bErase);
}
void CWnd::UpdateWindow() const { ::UpdateWindow(m_hWnd); }
CWnd* CWnd::SetFocus() const { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetCapture() const { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }
bool CWnd::SetForegroundWindow() const { return ::SetForegroundWindow(m_hWnd) != FALSE; }
HMENU CWnd::GetSystemMenu(bool bRevert) const { return ::GetSystemMenu(m_hWnd, bRevert); }
HICON CWnd::SetIcon(HICON hIcon, bool bBigIcon) const {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}
