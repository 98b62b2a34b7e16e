#pragma once
// CHeaderCtrl: a header control (the column titles of a report list).
#include <windows.h>
#include <commctrl.h>

#include "winlib/wnd.h"

class CHeaderCtrl : public CWnd {
 public:
  int GetItemCount() const { return static_cast<int>(SendMessage(HDM_GETITEMCOUNT)); }
  bool GetItem(int nPos, HDITEMA* pHeaderItem) const {
    return SendMessage(HDM_GETITEMA, nPos, reinterpret_cast<LPARAM>(pHeaderItem)) != 0;
  }
  bool SetItem(int nPos, HDITEMA* pHeaderItem) const {
    return SendMessage(HDM_SETITEMA, nPos, reinterpret_cast<LPARAM>(pHeaderItem)) != 0;
  }
};
