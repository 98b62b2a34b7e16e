#pragma once
// CDeviceListExtras: what the device list offers beyond its rows, added without changing how they
// look. A tooltip over the list tells the maker of the network card in the row under the mouse;
// right-clicking a row, or the menu key or Shift+F10 on the selected one, opens a menu that copies
// the row's MAC, IP or host name, or every row, to the clipboard. The texts are decided in
// ui/core/device_details.h.
#include <string>

#include "winlib/list_ctrl.h"
#include "winlib/tool_tip_ctrl.h"
#include "winlib/window_hook.h"

class CDeviceListExtras : private CWindowHook {
 public:
  // Once, when the list exists; its rows may come and go at any time after.
  bool Attach(CListCtrl& list);

 private:
  bool OnHookedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void FollowMouse(POINT point);
  void OpenCopyMenu(LPARAM screenPoint);
  int KeyboardRow(POINT& menuAt) const;

  CListCtrl* m_pList = nullptr;
  HWND m_hOwner = nullptr;  // the list's parent: owns the tooltip and the menu
  CToolTipCtrl m_toolTip;
  int m_nTipRow = -1;
  std::string m_strTip;  // the text the tooltip was last given, for m_nTipRow
};
