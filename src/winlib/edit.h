#pragma once
// CEdit: a single-line edit control.
#include "winlib/wnd.h"

class CEdit : public CWnd {
 public:
  void SetSel(int nStartChar, int nEndChar, bool bNoScroll = false) const {
    SendMessage(EM_SETSEL, nStartChar, nEndChar);
    if (!bNoScroll) SendMessage(EM_SCROLLCARET);
  }
};
