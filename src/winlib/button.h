#pragma once
// CButton: a button control.
#include "winlib/wnd.h"

class CButton : public CWnd {
 public:
  UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
};
