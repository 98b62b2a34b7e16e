#include "ui/list_ctrl_ex.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "ui/core/row_draw_plan.h"
#include "winlib/dc.h"
#include "winlib/image_list.h"

namespace {

struct ColumnSpec {
  const char* title;
  int width;
};
const ColumnSpec kColumns[] = {
    {"\n设备名称", 206},
    {"\n网络信息", 204},
    {"\n标记状态", 135},
};
constexpr int kMaxColumns = static_cast<int>(sizeof(kColumns) / sizeof(kColumns[0]));
constexpr int kCellTextSize = 256;

}  // namespace

BEGIN_MESSAGE_MAP(CListCtrlEx, CListCtrl)
  ON_MESSAGE(WM_SETFONT, &CListCtrlEx::OnSetFont)
END_MESSAGE_MAP()

void CListCtrlEx::SetUpList() {
  // The column table has three entries; a larger count would read past it.
  const int columns = std::clamp(m_nColumnCount, 0, kMaxColumns);
  for (int c = 0; c < columns; ++c) {
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(kColumns[c].title);
    column.cx = kColumns[c].width;
    column.iSubItem = c;
    InsertColumn(c, &column);
  }

  m_fontList.CreatePointFont(180, "MS Serif");
  SetFont(m_fontList, true);

  HWND header = GetHeaderCtrl();
  if (!header) return;
  if (!m_header.m_hWnd) m_header.SubclassWindow(header);
  for (int i = 0, n = m_header.GetItemCount(); i < n; ++i) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    m_header.GetItem(i, &item);
    item.fmt |= HDF_OWNERDRAW;
    m_header.SetItem(i, &item);
  }
}

// Rows are as tall as the font plus room for the 32-pixel icons: 52 for a 22-pixel font.
void CListCtrlEx::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
  int height = 30;
  if (HFONT font = GetFont()) {
    LOGFONTA lf{};
    if (::GetObjectA(font, sizeof lf, &lf)) height = 30 + std::abs(static_cast<int>(lf.lfHeight));
  }
  lpMeasureItemStruct->itemHeight = static_cast<UINT>(height);
}

// An owner-drawn fixed list view asks for its row height only when it is created or resized.
// A WM_WINDOWPOSCHANGED that claims a size change makes it ask again (the list's real size is
// untouched), so the rows follow every new font.
LRESULT CListCtrlEx::OnSetFont(WPARAM, LPARAM) {
  LRESULT result = Default();
  CRect rc;
  GetWindowRect(&rc);
  WINDOWPOS wp{};
  wp.hwnd = m_hWnd;
  wp.cx = rc.Width() / 2;
  wp.cy = rc.Height() / 2;
  wp.flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  SendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  return result;
}

// Paints one row from its cell texts: no background, no selection or focus marks, the text
// colour the context arrives with.
void CListCtrlEx::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  const int row = static_cast<int>(lpDrawItemStruct->itemID);
  std::vector<int> widths;
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  while (GetColumn(static_cast<int>(widths.size()), &column)) widths.push_back(column.cx);
  if (widths.empty()) return;

  char status[kCellTextSize] = "";
  if (widths.size() > 2) GetItemText(row, 2, status, kCellTextSize);
  const RECT& rc = lpDrawItemStruct->rcItem;
  const std::vector<ui::CellPlan> plan =
      ui::PlanRow({rc.left, rc.top, rc.right, rc.bottom}, widths, status);

  HIMAGELIST images = GetImageList(LVSIL_SMALL);
  CDC dc(lpDrawItemStruct->hDC);
  for (std::size_t c = 0; c < plan.size(); ++c) {
    char text[kCellTextSize] = "";
    GetItemText(row, static_cast<int>(c), text, kCellTextSize);
    dc.SelectStockObject(DEFAULT_GUI_FONT);
    for (const ui::PlacedImage& image : plan[c].images) {
      CImageList::Draw(images, &dc, image.image, {image.x, image.y}, ILD_TRANSPARENT);
    }
    RECT box = {plan[c].text.left, plan[c].text.top, plan[c].text.right, plan[c].text.bottom};
    dc.DrawText(text, -1, &box, 0);
    dc.SelectStockObject(SYSTEM_FONT);
  }
}
