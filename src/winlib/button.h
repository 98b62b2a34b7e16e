#pragma once
// CButton: a button control.
#include "winlib/wnd.h"

class CButton : public CWnd {};
