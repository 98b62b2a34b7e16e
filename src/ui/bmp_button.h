#pragma once
// CBmpButton: an owner-drawn push button showing one of four frames cut from a horizontal
// bitmap strip (normal, pressed, focused, hovered). It follows the mouse itself (capture and
// hover tracking) and sends its parent BN_CLICKED on a left release over it. The control must
// have BS_OWNERDRAW.
#include "winlib/bitmap.h"
#include "winlib/button.h"
#include "winlib/message_map.h"

class CBmpButton : public CButton {
 public:
  CBmpButton() = default;
  ~CBmpButton() override = default;

  // Loads strip nIDResource, cuts it into the state pictures and resizes the button to one
  // frame (strip width / 4 by strip height) at its current position. Returns 1, or 0 when the
  // strip cannot be loaded (the button is then left without pictures and draws nothing).
  int SetBitmap(UINT nIDResource);
  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

  CBitmap m_bmpNormal;
  CBitmap m_bmpFocus;
  CBitmap m_bmpPressed;
  CBitmap m_bmpHover;
  CBitmap m_bmpDisabled;
  BOOL m_bHighlight = FALSE;  // pointer over the button, or the button has the focus
  BOOL m_bDisabled = FALSE;
  BOOL m_bFocused = FALSE;
  BOOL m_bHover = FALSE;     // the pointer rested on the button
  BOOL m_bTracking = FALSE;  // a hover-and-leave tracking request is active
  BOOL m_bLButtonDown = FALSE;
  int m_nActive = 0;  // 0 idle, 1 pressed, 2 hot
  BOOL m_bCaptured = FALSE;

 protected:
  DECLARE_MESSAGE_MAP()
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnKillFocus(CWnd* pNewWnd);
  void OnSetFocus(CWnd* pOldWnd);
  void OnLButtonDown(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnLButtonDblClk(UINT nFlags, CPoint point);
  int OnCreate(LPCREATESTRUCT lpCreateStruct);
  void OnEnable(BOOL bEnable);
  void OnMouseLeave();
  void OnMouseHover(UINT nFlags, CPoint point);
  BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);

 private:
  void Repaint(bool bUpdateNow);
  void NotifyClicked();
};
