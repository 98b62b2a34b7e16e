#pragma once
// Message maps. In the class:        DECLARE_MESSAGE_MAP()
// In the .cpp, at namespace scope:   BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//                                      ON_BN_CLICKED(IDC_GO, &CMyDlg::OnGo)
//                                    END_MESSAGE_MAP()
// The map expands into one ProcessMessage(message, wParam, lParam, lResult) made of chained
// tests in the order written; the first matching entry handles the message and the chain ends in
// the base class's map. Each entry's handler signature is written above it. Handlers are
// ordinary (non-virtual) members named as in the Windows class library; to get default
// processing from inside one, call the base class's handler of the same name or Default().
#include <windows.h>
#include <commctrl.h>

#include "winlib/dc.h"
#include "winlib/geometry.h"
#include "winlib/wnd.h"

#define DECLARE_MESSAGE_MAP() \
 protected:                   \
  bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                  \
  bool theClass::ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& lResult) { \
    using TheBaseClass = baseClass;                                                             \
    (void)wParam;                                                                               \
    (void)lParam;

#define END_MESSAGE_MAP()                                                \
  return TheBaseClass::ProcessMessage(message, wParam, lParam, lResult); \
  }

// Handlers of the entries that take one are given as pointers to members: &CMyDlg::OnGo.
#define WINLIB_CALL(handler) (this->*(handler))

// --- Window messages -------------------------------------------------------------------------

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                           \
  if (message == WM_SYSCOMMAND) {                    \
    OnSysCommand(static_cast<UINT>(wParam), lParam); \
    lResult = 0;                                     \
    return true;                                     \
  }

// void OnPaint()
#define ON_WM_PAINT()        \
  if (message == WM_PAINT) { \
    OnPaint();               \
    lResult = 0;             \
    return true;             \
  }

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                               \
  if (message == WM_QUERYDRAGICON) {                        \
    lResult = reinterpret_cast<LRESULT>(OnQueryDragIcon()); \
    return true;                                            \
  }

// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
// Every WM_CTLCOLORxxx; nCtlColor is CTLCOLOR_MSGBOX ... CTLCOLOR_STATIC.
#define ON_WM_CTLCOLOR()                                                           \
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {              \
    CDC dcCtlColor_(reinterpret_cast<HDC>(wParam));                                \
    lResult = reinterpret_cast<LRESULT>(                                           \
        OnCtlColor(&dcCtlColor_, CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), \
                   message - WM_CTLCOLORMSGBOX));                                  \
    return true;                                                                   \
  }

// BOOL OnEraseBkgnd(CDC* pDC)
#define ON_WM_ERASEBKGND()                       \
  if (message == WM_ERASEBKGND) {                \
    CDC dcErase_(reinterpret_cast<HDC>(wParam)); \
    lResult = OnEraseBkgnd(&dcErase_);           \
    return true;                                 \
  }

// void OnLButtonDown(UINT nFlags, CPoint point)   (client coordinates)
#define ON_WM_LBUTTONDOWN()                                   \
  if (message == WM_LBUTTONDOWN) {                            \
    OnLButtonDown(static_cast<UINT>(wParam), CPoint(lParam)); \
    lResult = 0;                                              \
    return true;                                              \
  }

// void OnLButtonUp(UINT nFlags, CPoint point)
#define ON_WM_LBUTTONUP()                                   \
  if (message == WM_LBUTTONUP) {                            \
    OnLButtonUp(static_cast<UINT>(wParam), CPoint(lParam)); \
    lResult = 0;                                            \
    return true;                                            \
  }

// void OnLButtonDblClk(UINT nFlags, CPoint point)
#define ON_WM_LBUTTONDBLCLK()                                   \
  if (message == WM_LBUTTONDBLCLK) {                            \
    OnLButtonDblClk(static_cast<UINT>(wParam), CPoint(lParam)); \
    lResult = 0;                                                \
    return true;                                                \
  }

// void OnMouseMove(UINT nFlags, CPoint point)
#define ON_WM_MOUSEMOVE()                                   \
  if (message == WM_MOUSEMOVE) {                            \
    OnMouseMove(static_cast<UINT>(wParam), CPoint(lParam)); \
    lResult = 0;                                            \
    return true;                                            \
  }

// void OnKillFocus(CWnd* pNewWnd)
#define ON_WM_KILLFOCUS()                                          \
  if (message == WM_KILLFOCUS) {                                   \
    OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))); \
    lResult = 0;                                                   \
    return true;                                                   \
  }

// void OnSetFocus(CWnd* pOldWnd)
#define ON_WM_SETFOCUS()                                          \
  if (message == WM_SETFOCUS) {                                   \
    OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam))); \
    lResult = 0;                                                  \
    return true;                                                  \
  }

// int OnCreate(LPCREATESTRUCT lpCreateStruct)   (-1 fails the creation)
#define ON_WM_CREATE()                                            \
  if (message == WM_CREATE) {                                     \
    lResult = OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam)); \
    return true;                                                  \
  }

// void OnEnable(BOOL bEnable)
#define ON_WM_ENABLE()                   \
  if (message == WM_ENABLE) {            \
    OnEnable(static_cast<BOOL>(wParam)); \
    lResult = 0;                         \
    return true;                         \
  }

// BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
#define ON_WM_SETCURSOR()                                                                   \
  if (message == WM_SETCURSOR) {                                                            \
    lResult = OnSetCursor(CWnd::FromHandle(reinterpret_cast<HWND>(wParam)), LOWORD(lParam), \
                          HIWORD(lParam));                                                  \
    return true;                                                                            \
  }

// void OnMouseHover(UINT nFlags, CPoint point)
#define ON_WM_MOUSEHOVER()                                   \
  if (message == WM_MOUSEHOVER) {                            \
    OnMouseHover(static_cast<UINT>(wParam), CPoint(lParam)); \
    lResult = 0;                                             \
    return true;                                             \
  }

// void OnMouseLeave()
#define ON_WM_MOUSELEAVE()        \
  if (message == WM_MOUSELEAVE) { \
    OnMouseLeave();               \
    lResult = 0;                  \
    return true;                  \
  }

// LRESULT handler(WPARAM wParam, LPARAM lParam)   (any message, e.g. a private WM_APP + n)
#define ON_MESSAGE(msg, handler)                    \
  if (message == (msg)) {                           \
    lResult = WINLIB_CALL(handler)(wParam, lParam); \
    return true;                                    \
  }

// void OnInitMenuPopup(HMENU hPopup, UINT nIndex, BOOL bSysMenu)   the system's own handling
// follows (it sets the system menu's entries), so this entry does not end the map
#define ON_WM_INITMENUPOPUP()                                                         \
  if (message == WM_INITMENUPOPUP) {                                                  \
    OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam)); \
  }

// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()                       \
  if (message == WM_TIMER) {                \
    OnTimer(static_cast<UINT_PTR>(wParam)); \
    lResult = 0;                            \
    return true;                            \
  }

// void OnDestroy()   the dialog manager's own handling follows, so this entry does not end the map
#define ON_WM_DESTROY()        \
  if (message == WM_DESTROY) { \
    OnDestroy();               \
  }

// void OnEnterMenuLoop(BOOL bIsTrackPopupMenu) / void OnExitMenuLoop(BOOL bIsTrackPopupMenu)
// Both let the system's own handling follow.
#define ON_WM_ENTERMENULOOP()                   \
  if (message == WM_ENTERMENULOOP) {            \
    OnEnterMenuLoop(static_cast<BOOL>(wParam)); \
  }
#define ON_WM_EXITMENULOOP()                   \
  if (message == WM_EXITMENULOOP) {            \
    OnExitMenuLoop(static_cast<BOOL>(wParam)); \
  }

// --- Notifications from child controls ------------------------------------------------------

// void handler()   for WM_COMMAND with the given control id and notification code
#define ON_COMMAND_NOTIFY_(id, code, handler)                                        \
  if (message == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) { \
    WINLIB_CALL(handler)();                                                          \
    lResult = 0;                                                                     \
    return true;                                                                     \
  }

// void handler(UINT nID)   for a menu command (WM_COMMAND, notification 0) with an id in [first, last]
#define ON_COMMAND_RANGE(first, last, handler)                                     \
  if (message == WM_COMMAND && HIWORD(wParam) == 0 && LOWORD(wParam) >= (first) && \
      LOWORD(wParam) <= (last)) {                                                  \
    WINLIB_CALL(handler)(LOWORD(wParam));                                          \
    lResult = 0;                                                                   \
    return true;                                                                   \
  }

// void handler()
#define ON_BN_CLICKED(id, handler) ON_COMMAND_NOTIFY_(id, BN_CLICKED, handler)
// void handler()
#define ON_EN_KILLFOCUS(id, handler) ON_COMMAND_NOTIFY_(id, EN_KILLFOCUS, handler)
// void handler()
#define ON_EN_SETFOCUS(id, handler) ON_COMMAND_NOTIFY_(id, EN_SETFOCUS, handler)

// void handler(NMHDR* pNMHDR, LRESULT* pResult)   for WM_NOTIFY with the given code and id
#define ON_NOTIFY(notifyCode, id, handler)                                                \
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->idFrom == UINT_PTR(id) && \
      reinterpret_cast<NMHDR*>(lParam)->code == UINT(notifyCode)) {                       \
    lResult = 0;                                                                          \
    WINLIB_CALL(handler)(reinterpret_cast<NMHDR*>(lParam), &lResult);                     \
    return true;                                                                          \
  }
