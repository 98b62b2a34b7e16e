#include "ui/bmp_button.h"

#include "ui/core/button_picture.h"
#include "winlib/dc.h"

BEGIN_MESSAGE_MAP(CBmpButton, CButton)
  ON_WM_MOUSEMOVE()
  ON_WM_KILLFOCUS()
  ON_WM_SETFOCUS()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_CREATE()
  ON_WM_ENABLE()
  ON_WM_MOUSELEAVE()
  ON_WM_MOUSEHOVER()
  ON_WM_SETCURSOR()
END_MESSAGE_MAP()

int CBmpButton::SetBitmap(UINT nIDResource) {
  CBitmap strip;
  const bool loaded = strip.LoadBitmap(nIDResource);
  for (CBitmap* picture : {&m_bmpNormal, &m_bmpFocus, &m_bmpPressed, &m_bmpHover, &m_bmpDisabled}) {
    picture->DeleteObject();
  }
  BITMAP bm{};
  if (!loaded || !strip.GetBitmap(&bm)) return 0;
  const int w = bm.bmWidth / 4;
  const int h = bm.bmHeight;
  SetWindowPos(nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOOWNERZORDER);

  CClientDC screenDC(nullptr);
  CDC source;
  source.CreateCompatibleDC(&screenDC);
  HGDIOBJ previousSource = source.SelectObject(strip);
  CDC target;
  target.CreateCompatibleDC(&screenDC);
  auto cut = [&](CBitmap& picture, int x) {
    picture.CreateCompatibleBitmap(&screenDC, w, h);
    HGDIOBJ previous = target.SelectObject(picture);
    target.StretchBlt(0, 0, w, h, &source, x, 0, w, h, SRCCOPY);
    target.SelectObject(previous);
  };
  cut(m_bmpNormal, 0);
  cut(m_bmpPressed, w);
  cut(m_bmpFocus, 2 * w);
  cut(m_bmpHover, 3 * w);
  cut(m_bmpDisabled, 0);
  source.SelectObject(previousSource);
  Invalidate(true);
  return 1;
}

// The picture follows the button's own flags; the item state the system passes is not used,
// and nothing but the picture is drawn (no text, frame or focus rectangle).
void CBmpButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  CDC dc(lpDrawItemStruct->hDC);
  const int saved = dc.SaveDC();
  dc.SetBkMode(TRANSPARENT);
  m_bDisabled = (GetStyle() & WS_DISABLED) != 0;

  ui::ButtonFlags flags;
  flags.focused = m_bFocused != FALSE;
  flags.highlight = m_bHighlight != FALSE;
  flags.hover = m_bHover != FALSE;
  flags.disabled = m_bDisabled != FALSE;
  flags.lButtonDown = m_bLButtonDown != FALSE;
  ui::ButtonPictures available;
  available.normal = m_bmpNormal.m_hObject != nullptr;
  available.pressed = m_bmpPressed.m_hObject != nullptr;
  available.focused = m_bmpFocus.m_hObject != nullptr;
  available.hovered = m_bmpHover.m_hObject != nullptr;
  available.disabled = m_bmpDisabled.m_hObject != nullptr;

  CBitmap* picture = nullptr;
  switch (ui::ChooseButtonPicture(flags, available)) {
    case ui::ButtonPicture::Normal: picture = &m_bmpNormal; break;
    case ui::ButtonPicture::Pressed: picture = &m_bmpPressed; break;
    case ui::ButtonPicture::Focused: picture = &m_bmpFocus; break;
    case ui::ButtonPicture::Hovered: picture = &m_bmpHover; break;
    case ui::ButtonPicture::Disabled: picture = &m_bmpDisabled; break;
    case ui::ButtonPicture::None: break;
  }
  if (picture) {
    CDC memory;
    memory.CreateCompatibleDC(&dc);
    HGDIOBJ previous = memory.SelectObject(*picture);
    const CRect rc(lpDrawItemStruct->rcItem);
    dc.BitBlt(rc.left, rc.top, rc.Width(), rc.Height(), &memory, 0, 0, SRCCOPY);
    memory.SelectObject(previous);
  }
  dc.RestoreDC(saved);
}

void CBmpButton::Repaint(bool bUpdateNow) {
  Invalidate(true);
  if (bUpdateNow) UpdateWindow();
}

void CBmpButton::NotifyClicked() {
  if (CWnd* parent = GetParent()) {
    parent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED),
                        reinterpret_cast<LPARAM>(m_hWnd));
  }
}

// --- Mouse and focus ----------------------------------------------------------------------------

// The button captures the mouse when the pointer enters it and lets go when the pointer leaves,
// so it sees both edges of every visit and the release of a press that started on it.
void CBmpButton::OnMouseMove(UINT nFlags, CPoint point) {
  if (!m_bTracking) {
    TRACKMOUSEEVENT tme{};
    tme.cbSize = sizeof tme;
    tme.dwFlags = TME_HOVER | TME_LEAVE;
    tme.hwndTrack = m_hWnd;
    tme.dwHoverTime = 1;
    m_bTracking = _TrackMouseEvent(&tme);
  }
  CButton::OnMouseMove(nFlags, point);
  if (m_bCaptured && ::GetCapture() == m_hWnd && m_nActive != 0) {
    CRect rc;
    GetClientRect(&rc);
    if (rc.PtInRect(point)) return;
    m_nActive = 0;
    m_bLButtonDown = FALSE;
    m_bHighlight = FALSE;
    Repaint(true);
    m_bCaptured = FALSE;
    ::ReleaseCapture();
  } else {
    SetCapture();
    m_bLButtonDown = (nFlags & MK_LBUTTON) ? TRUE : FALSE;
    m_nActive = m_bLButtonDown ? 1 : 2;
    m_bCaptured = TRUE;
    m_bHighlight = TRUE;
    Repaint(true);
  }
}

void CBmpButton::OnKillFocus(CWnd* pNewWnd) {
  m_nActive = 0;
  m_bFocused = FALSE;
  m_bHighlight = FALSE;
  CButton::OnKillFocus(pNewWnd);
  Repaint(true);
}

void CBmpButton::OnSetFocus(CWnd* pOldWnd) {
  m_nActive = m_bLButtonDown ? 1 : 2;
  m_bFocused = TRUE;
  m_bHighlight = TRUE;
  CButton::OnSetFocus(pOldWnd);
  Repaint(true);
}

void CBmpButton::OnLButtonDown(UINT nFlags, CPoint point) {
  m_bLButtonDown = TRUE;
  m_bHighlight = FALSE;
  if (::GetFocus() != m_hWnd) {
    SetFocus();
    return;
  }
  m_nActive = 1;
  CButton::OnLButtonDown(nFlags, point);
  Repaint(true);
}

// The click is this button's own notification: the system's button never sees the release.
// A release outside the button (possible while it still holds the capture, when no move
// reported the pointer leaving) is not a click.
void CBmpButton::OnLButtonUp(UINT /*nFlags*/, CPoint point) {
  m_bLButtonDown = FALSE;
  m_bHighlight = TRUE;
  if (::GetFocus() != m_hWnd) {
    SetFocus();
  } else {
    m_nActive = 2;
    Repaint(true);
  }
  CRect rc;
  GetClientRect(&rc);
  if (rc.PtInRect(point)) NotifyClicked();
}

void CBmpButton::OnLButtonDblClk(UINT nFlags, CPoint point) {
  m_bLButtonDown = TRUE;
  if (::GetFocus() != m_hWnd) {
    SetFocus();
    return;
  }
  m_nActive = 1;
  Repaint(true);
  CButton::OnLButtonDblClk(nFlags, point);
  m_nActive = 0;
}

int CBmpButton::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CButton::OnCreate(lpCreateStruct) == -1) return -1;
  m_bDisabled = (lpCreateStruct->style & WS_DISABLED) != 0;
  return 0;
}

void CBmpButton::OnEnable(BOOL bEnable) {
  m_bDisabled = !bEnable;
  CButton::OnEnable(bEnable);
}

void CBmpButton::OnMouseHover(UINT, CPoint) {
  m_bHover = TRUE;
  Invalidate(true);
}

void CBmpButton::OnMouseLeave() {
  Invalidate(true);
  m_bTracking = FALSE;
  m_bHover = FALSE;
}

// The pointer keeps the shape it had when it entered the button.
BOOL CBmpButton::OnSetCursor(CWnd*, UINT, UINT) { return TRUE; }
