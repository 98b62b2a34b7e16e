#pragma once
// CToolTipCtrl: a tooltip control. Create makes one owned by a window (the owner's destruction
// destroys it); AddWindowTool makes a whole window one tool whose mouse messages the tooltip takes
// itself (TTF_SUBCLASS), so it shows when the mouse rests there and hides when it leaves.
#include <windows.h>
#include <commctrl.h>

#include "winlib/wnd.h"

class CToolTipCtrl : public CWnd {
 public:
  bool Create(HWND hOwner, DWORD dwStyle = TTS_NOPREFIX | TTS_ALWAYSTIP) {
    m_hWnd = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | dwStyle,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hOwner,
                               nullptr, nullptr, nullptr);
    return m_hWnd != nullptr;
  }
  bool AddWindowTool(HWND hOwner, HWND hTool, const char* text) const {
    TOOLINFOA info = Tool(hOwner, hTool, text);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    return SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != 0;
  }
  void UpdateTipText(HWND hOwner, HWND hTool, const char* text) const {
    TOOLINFOA info = Tool(hOwner, hTool, text);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
  }
  void Activate(bool bActivate) const { SendMessage(TTM_ACTIVATE, bActivate); }
  void Pop() const { SendMessage(TTM_POP); }
  int SetMaxTipWidth(int iWidth) const {
    return static_cast<int>(SendMessage(TTM_SETMAXTIPWIDTH, 0, iWidth));
  }

 private:
  static TOOLINFOA Tool(HWND hOwner, HWND hTool, const char* text) {
    TOOLINFOA info{};
    // The size common controls 5 know: without a manifest the program gets them, and they refuse
    // the larger structure of version 6 (_WIN32_WINNT 0x0501 makes TOOLINFOA that one).
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.uFlags = TTF_IDISHWND;
    info.hwnd = hOwner;
    info.uId = reinterpret_cast<UINT_PTR>(hTool);
    info.lpszText = const_cast<char*>(text);
    return info;
  }
};
