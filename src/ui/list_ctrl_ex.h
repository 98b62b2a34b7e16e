#pragma once
// CListCtrlEx: the owner-drawn device list. One tall row per device, three columns (device,
// network information, marking status); every cell is drawn from its text, and the icons are
// chosen from the status words in column 2. The row height follows the font (30 + |height|).
//
// Use: bind it (DDX_Control), set m_nColumnCount (3), call SetUpList() once, then send it the
// dialog's font with WM_SETFONT; the list re-measures its rows at every font change.
#include "ui/header_ctrl_ex.h"
#include "winlib/font.h"
#include "winlib/list_ctrl.h"
#include "winlib/message_map.h"

class CListCtrlEx : public CListCtrl {
 public:
  CListCtrlEx() = default;
  ~CListCtrlEx() override = default;

  // Inserts the columns, gives the list its own font (18 pt "MS Serif", replaced by the
  // dialog's) and makes the header items owner-drawn.
  void SetUpList();

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
  void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;

  int m_nColumnCount = 0;  // columns SetUpList inserts; at most 3
  CFont m_fontList;
  CHeaderCtrlEx m_header;

 protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
};
