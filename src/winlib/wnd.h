#pragma once
// CWnd: a window handle the object does not own, plus the message plumbing every window class
// shares: subclassing, the message map chain and owner-draw reflection.
//
// Messages reach an object once it is bound to its window (SubclassWindow, SubclassDlgItem,
// DDX_Control, or a dialog's own creation). WindowProc saves the message so that Default() can
// hand it to the window's previous procedure, then runs the message map (ProcessMessage). The
// map chain ends in CWnd::ProcessMessage, which reflects WM_DRAWITEM and WM_MEASUREITEM to the
// bound child control's DrawItem / MeasureItem.
#include <windows.h>

#include <string>

#include "winlib/geometry.h"

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // The object bound to hWnd, or nullptr when none is.
  static CWnd* FromHandlePermanent(HWND hWnd);
  // The bound object, or a plain wrapper kept for the thread's lifetime (never nullptr for a
  // non-null handle). Wrappers are only handles: they carry no message map.
  static CWnd* FromHandle(HWND hWnd);

  // Binding. SubclassWindow routes hWnd's messages through this object until the window is
  // destroyed or UnsubclassWindow restores the previous procedure.
  bool SubclassWindow(HWND hWnd);
  bool SubclassDlgItem(UINT nID, CWnd* pParent);
  HWND UnsubclassWindow();

  // Owner draw, reflected from the parent (see the header comment).
  virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
  virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);

  // Window operations, each a one-line wrapper of the API of the same name.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  bool ShowWindow(int nCmdShow) const;
  bool EnableWindow(bool bEnable = true) const;
  bool IsWindowEnabled() const;
  bool IsWindowVisible() const;
  bool IsIconic() const;
  bool DestroyWindow();
  void SetWindowText(const char* text) const;
  std::string GetWindowText() const;
  int GetDlgCtrlID() const;
  CWnd* GetDlgItem(int nID) const;  // FromHandle of the item; nullptr when there is none
  void SetDlgItemText(int nID, const char* text) const;
  CWnd* GetParent() const;
  void SetFont(HFONT hFont, bool bRedraw = true) const;
  HFONT GetFont() const;
  DWORD GetStyle() const;
  // Takes the remove bits out of the window's style and puts the add bits in.
  void ModifyStyle(DWORD dwRemove, DWORD dwAdd) const;
  DWORD GetExStyle() const;
  void GetClientRect(LPRECT lpRect) const;
  void GetWindowRect(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void MoveWindow(int x, int y, int nWidth, int nHeight, bool bRepaint = true) const;
  bool SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) const;
  int SetWindowRgn(HRGN hRgn, bool bRedraw) const;
  void Invalidate(bool bErase = true) const;
  void InvalidateRect(LPCRECT lpRect, bool bErase = true) const;
  void UpdateWindow() const;
  CWnd* SetFocus() const;
  static CWnd* GetFocus();
  CWnd* SetCapture() const;
  static CWnd* GetCapture();
  bool SetForegroundWindow() const;
  HMENU GetSystemMenu(bool bRevert) const;
  HICON SetIcon(HICON hIcon, bool bBigIcon) const;

 protected:
  // The message map. DECLARE_MESSAGE_MAP() declares the override; BEGIN_MESSAGE_MAP ...
  // END_MESSAGE_MAP defines it as one chain of tests that ends in the base class's map.
  virtual bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
  // Every message of a bound window passes here; the default runs the map, then Default().
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The message being handled, passed to the window's previous procedure.
  LRESULT Default();
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Called after WM_NCDESTROY, once the object is unbound.
  virtual void PostNcDestroy() {}

  // Default handlers that message-map entries of derived classes chain to (they call Default()).
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  HBRUSH OnCtlColor(class CDC* pDC, CWnd* pWnd, UINT nCtlColor);
  BOOL OnEraseBkgnd(class CDC* pDC);
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnLButtonDblClk(UINT nFlags, CPoint point);
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnKillFocus(CWnd* pNewWnd);
  void OnSetFocus(CWnd* pOldWnd);
  int OnCreate(LPCREATESTRUCT lpCreateStruct);
  void OnEnable(BOOL bEnable);
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  void OnMouseHover(UINT nFlags, CPoint point);
  void OnMouseLeave();

  // Runs only the message map for a message that arrived some other way (a dialog's first
  // message comes through its dialog procedure); true when an entry handled it.
  bool RunMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

  void Attach(HWND hWnd);
  void Detach();

  WNDPROC m_pfnSuper = nullptr;  // the procedure the window had before it was bound

 private:
  static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  bool ReflectOwnerDraw(UINT message, LPARAM lParam);

  class MessageScope;
  struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
  };
  CurrentMessage m_current;
  bool m_bHandlingMessage = false;
};
