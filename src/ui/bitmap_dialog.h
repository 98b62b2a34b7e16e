#pragma once
// CBitmapDialog: a borderless dialog skinned by bitmap IDB_SKIN. LoadSkin cuts the window's
// shape out of the bitmap (pixels of the key colour are transparent), sizes the window to the
// bitmap and paints it as the background; with m_bDragByBackground set, a left press on the
// background (or on a static text, which passes presses through) moves the window.
#include <memory>

#include "winlib/bitmap.h"
#include "winlib/dialog.h"

class CBitmapDialog : public CDialog {
 public:
  explicit CBitmapDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CBitmapDialog() override;

  // 1 when the skin is loaded and applied, 0 when bitmap IDB_SKIN cannot be loaded (the
  // window then keeps the template's size, shape and background).
  int LoadSkin();
  // Region from the bitmap (when m_bShapeFromBitmap) and the bitmap's size for the window.
  void ApplySkinShape();

  BOOL m_bShapeFromBitmap = FALSE;
  COLORREF m_crTransparent = 0;  // key colour, RGB(128, 0, 0) once a skin is loaded
  BOOL m_bDragByBackground = FALSE;
  BOOL m_bOwnsBitmap = FALSE;
  BOOL m_bPaintBackground = FALSE;
  std::unique_ptr<CBitmap> m_pSkinBitmap;

 protected:
  DECLARE_MESSAGE_MAP()
  BOOL OnEraseBkgnd(CDC* pDC);
  void OnLButtonDown(UINT nFlags, CPoint point);
};

// A region made of every run of pixels whose colour differs from crKey (0x00BBGGRR), one
// rectangle one pixel high per run. The caller owns the region.
HRGN CreateRegionFromBitmap(HBITMAP hBitmap, COLORREF crKey);
