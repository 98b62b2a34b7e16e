#include "winlib/list_ctrl.h"

int CListCtrl::InsertColumn(int nCol, const LVCOLUMNA* pColumn) const {
  return static_cast<int>(SendMessage(LVM_INSERTCOLUMNA, nCol, reinterpret_cast<LPARAM>(pColumn)));
}

bool CListCtrl::GetColumn(int nCol, LVCOLUMNA* pColumn) const {
  return SendMessage(LVM_GETCOLUMNA, nCol, reinterpret_cast<LPARAM>(pColumn)) != 0;
}

int CListCtrl::GetColumnWidth(int nCol) const {
  return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, nCol));
}

HWND CListCtrl::GetHeaderCtrl() const { return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER)); }

int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

int CListCtrl::InsertItem(int nItem, const char* lpszItem) const {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = nItem;
  item.pszText = const_cast<char*>(lpszItem);
  return InsertItem(&item);
}

int CListCtrl::InsertItem(const LVITEMA* pItem) const {
  return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
}

bool CListCtrl::SetItem(const LVITEMA* pItem) const {
  return SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(pItem)) != 0;
}

bool CListCtrl::SetItem(int nItem, int nSubItem, UINT nMask, const char* lpszItem, int nImage,
                        UINT nState, UINT nStateMask, LPARAM lParam) const {
  LVITEMA item{};
  item.mask = nMask;
  item.iItem = nItem;
  item.iSubItem = nSubItem;
  item.pszText = const_cast<char*>(lpszItem);
  item.iImage = nImage;
  item.state = nState;
  item.stateMask = nStateMask;
  item.lParam = lParam;
  return SetItem(&item);
}

bool CListCtrl::SetItemText(int nItem, int nSubItem, const char* lpszText) const {
  LVITEMA item{};
  item.iSubItem = nSubItem;
  item.pszText = const_cast<char*>(lpszText);
  return SendMessage(LVM_SETITEMTEXTA, nItem, reinterpret_cast<LPARAM>(&item)) != 0;
}

int CListCtrl::GetItemText(int nItem, int nSubItem, char* lpszText, int nLen) const {
  LVITEMA item{};
  item.iSubItem = nSubItem;
  item.pszText = lpszText;
  item.cchTextMax = nLen;
  return static_cast<int>(SendMessage(LVM_GETITEMTEXTA, nItem, reinterpret_cast<LPARAM>(&item)));
}

std::string CListCtrl::GetItemText(int nItem, int nSubItem) const {
  // The list copies at most size - 1 bytes; a full buffer may mean a longer text.
  std::string text(256, '\0');
  for (;;) {
    int copied = GetItemText(nItem, nSubItem, text.data(), static_cast<int>(text.size()));
    if (copied < static_cast<int>(text.size()) - 1) {
      text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
      return text;
    }
    text.assign(text.size() * 2, '\0');
  }
}

bool CListCtrl::GetSubItemRect(int iItem, int iSubItem, int nArea, RECT& ref) const {
  ref.top = iSubItem;
  ref.left = nArea;
  return SendMessage(LVM_GETSUBITEMRECT, iItem, reinterpret_cast<LPARAM>(&ref)) != 0;
}

bool CListCtrl::GetItemRect(int nItem, RECT& ref, UINT nCode) const {
  ref.left = static_cast<LONG>(nCode);
  return SendMessage(LVM_GETITEMRECT, nItem, reinterpret_cast<LPARAM>(&ref)) != 0;
}

int CListCtrl::HitTest(POINT pt) const {
  LVHITTESTINFO info{};
  info.pt = pt;
  return static_cast<int>(SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
  return static_cast<int>(SendMessage(LVM_GETNEXTITEM, nItem, MAKELPARAM(nFlags, 0)));
}

bool CListCtrl::DeleteAllItems() const { return SendMessage(LVM_DELETEALLITEMS) != 0; }

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) const {
  return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dwNewStyle));
}

HIMAGELIST CListCtrl::SetImageList(HIMAGELIST hImageList, int nImageListType) const {
  return reinterpret_cast<HIMAGELIST>(
      SendMessage(LVM_SETIMAGELIST, nImageListType, reinterpret_cast<LPARAM>(hImageList)));
}

HIMAGELIST CListCtrl::GetImageList(int nImageListType) const {
  return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, nImageListType));
}
