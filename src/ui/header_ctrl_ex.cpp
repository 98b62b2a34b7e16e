#include "ui/header_ctrl_ex.h"

#include "winlib/dc.h"

void CHeaderCtrlEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  char text[256] = "";
  HDITEMA item{};
  item.mask = HDI_TEXT;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  GetItem(static_cast<int>(lpDrawItemStruct->itemID), &item);

  CDC dc(lpDrawItemStruct->hDC);
  dc.SelectStockObject(DEFAULT_GUI_FONT);
  RECT rc = lpDrawItemStruct->rcItem;
  dc.DrawFrameControl(&rc, DFC_BUTTON, DFCS_BUTTONPUSH);
  dc.DrawText(text, -1, &rc, DT_CENTER);
  dc.SelectStockObject(SYSTEM_FONT);
}
