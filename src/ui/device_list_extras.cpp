#include "ui/device_list_extras.h"

#include <iterator>
#include <utility>

#include <windowsx.h>

#include "ui/core/device_details.h"
#include "ui/list_rows.h"
#include "winlib/clipboard.h"
#include "winlib/menu.h"

namespace {

constexpr int kTipWidth = 420;  // a long maker name wraps instead of running off the screen

}  // namespace

bool CDeviceListExtras::Attach(CListCtrl& list, AppendOwnerItems appendOwnerItems) {
  m_pList = &list;
  m_appendOwnerItems = std::move(appendOwnerItems);
  m_hOwner = ::GetParent(list);
  if (!m_toolTip.Create(m_hOwner)) return false;
  m_toolTip.SetMaxTipWidth(kTipWidth);
  m_toolTip.AddWindowTool(m_hOwner, list, "");
  // Hooked after the tooltip took the list's mouse messages, so the hook sees each one first and
  // a new row's text is in place before the tooltip starts timing the rest.
  return Hook(list);
}

bool CDeviceListExtras::OnHookedMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_MOUSEMOVE: FollowMouse({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return false;
    // The list sends itself WM_CONTEXTMENU after a right click, the system for the menu key and
    // Shift+F10 (lParam -1). Handled here, it never reaches the dialog.
    case WM_CONTEXTMENU:
      OpenContextMenu(lParam);
      result = 0;
      return true;
    default: return false;
  }
}

// The text is read afresh at every move: a new scan may have put another device in the same row.
void CDeviceListExtras::FollowMouse(POINT point) {
  const int row = m_pList->HitTest(point);
  ListRows rows(*m_pList);
  std::string tip = DeviceTipText(rows, m_pList->GetItemCount(), row);
  if (row == m_nTipRow && tip == m_strTip) return;
  m_nTipRow = row;
  m_strTip = std::move(tip);
  // Hidden and given the new text: it shows again, beside the new row, once the mouse rests.
  m_toolTip.Pop();
  m_toolTip.UpdateTipText(m_hOwner, *m_pList, m_strTip.c_str());
}

int CDeviceListExtras::KeyboardRow(POINT& menuAt) const {
  int row = m_pList->GetNextItem(-1, LVNI_SELECTED);
  if (row < 0) row = m_pList->GetNextItem(-1, LVNI_FOCUSED);
  RECT bounds;
  if (row < 0 || !m_pList->GetItemRect(row, bounds, LVIR_BOUNDS)) return -1;
  menuAt = {bounds.left + 20, bounds.top + (bounds.bottom - bounds.top) / 2};
  m_pList->ClientToScreen(&menuAt);
  return row;
}

void CDeviceListExtras::OpenContextMenu(LPARAM screenPoint) {
  POINT at = {GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  int row = -1;
  if (screenPoint == -1) {
    row = KeyboardRow(at);
    if (row < 0) {  // no row selected: the menu opens at the list's corner
      at = {20, 20};
      m_pList->ClientToScreen(&at);
    }
  } else {
    POINT client = at;
    m_pList->ScreenToClient(&client);
    row = m_pList->HitTest(client);
  }
  const std::vector<CopyMenuItem> copyItems = CopyMenuItemsFor(m_pList->GetItemCount(), row);

  CMenu menu;
  if (!menu.CreatePopupMenu()) return;
  // Copy commands are numbered from 1 in menu order, below every owner command.
  for (std::size_t i = 0; i < copyItems.size(); ++i) {
    menu.AppendMenu(MF_STRING, i + 1, copyItems[i].label);
  }
  if (m_appendOwnerItems) m_appendOwnerItems(menu);
  m_toolTip.Pop();
  const UINT chosen = menu.TrackPopupMenu(
      TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, m_hOwner);
  if (chosen == 0) return;
  if (chosen > copyItems.size()) {
    ::SendMessageA(m_hOwner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    return;
  }
  // Read after the menu closed: a scan may have changed the rows meanwhile.
  ListRows rows(*m_pList);
  SetClipboardText(m_hOwner,
                   CopiedText(rows, m_pList->GetItemCount(), row, copyItems[chosen - 1].command));
}
