#pragma once
// CListCtrl: a list view control. Every operation is one message, so worker threads may call
// them too: the list's own thread carries each out while the caller waits.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "winlib/wnd.h"

class CListCtrl : public CWnd {
 public:
  // Columns
  int InsertColumn(int nCol, const LVCOLUMNA* pColumn) const;
  bool GetColumn(int nCol, LVCOLUMNA* pColumn) const;
  int GetColumnWidth(int nCol) const;
  HWND GetHeaderCtrl() const;

  // Items
  int GetItemCount() const;
  int InsertItem(int nItem, const char* lpszItem) const;
  int InsertItem(const LVITEMA* pItem) const;
  bool SetItem(const LVITEMA* pItem) const;
  bool SetItem(int nItem, int nSubItem, UINT nMask, const char* lpszItem, int nImage, UINT nState,
               UINT nStateMask, LPARAM lParam) const;
  bool SetItemText(int nItem, int nSubItem, const char* lpszText) const;
  int GetItemText(int nItem, int nSubItem, char* lpszText, int nLen) const;
  std::string GetItemText(int nItem, int nSubItem) const;  // the whole text
  bool GetSubItemRect(int iItem, int iSubItem, int nArea, RECT& ref) const;
  bool GetItemRect(int nItem, RECT& ref, UINT nCode) const;
  bool DeleteAllItems() const;
  // The row at a point in client coordinates; -1 when none (below the last row, say).
  int HitTest(POINT pt) const;
  // The next row after nItem (-1: the first) with the LVNI_* state flags; -1 when none.
  int GetNextItem(int nItem, int nFlags) const;

  // Look
  DWORD SetExtendedStyle(DWORD dwNewStyle) const;  // LVM_SETEXTENDEDLISTVIEWSTYLE, mask 0
  HIMAGELIST SetImageList(HIMAGELIST hImageList, int nImageListType) const;
  HIMAGELIST GetImageList(int nImageListType) const;
};
