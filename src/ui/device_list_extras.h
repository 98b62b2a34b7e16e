#pragma once
// CDeviceListExtras: what the device list offers beyond its rows, added without changing how they
// look. A tooltip over the list tells the maker of the network card in the row under the mouse;
// right-clicking a row, or the menu key or Shift+F10 on the selected one, opens a menu that copies
// the row's MAC, IP or host name, or every row, to the clipboard; off the rows it offers every
// row. The owner appends its own entries below (AppendOwnerItems); those commands go to the owner
// as WM_COMMAND. The texts are decided in ui/core/device_details.h.
#include <functional>
#include <string>

#include "winlib/list_ctrl.h"
#include "winlib/tool_tip_ctrl.h"
#include "winlib/window_hook.h"

class CDeviceListExtras : private CWindowHook {
 public:
  // Appends the owner's entries to the menu being opened.
  using AppendOwnerItems = std::function<void(HMENU menu)>;
  // Once, when the list exists; its rows may come and go at any time after.
  bool Attach(CListCtrl& list, AppendOwnerItems appendOwnerItems = nullptr);

 private:
  bool OnHookedMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  void FollowMouse(POINT point);
  void OpenContextMenu(LPARAM screenPoint);
  int KeyboardRow(POINT& menuAt) const;

  CListCtrl* m_pList = nullptr;
  AppendOwnerItems m_appendOwnerItems;
  HWND m_hOwner = nullptr;  // the list's parent: owns the tooltip and the menu
  CToolTipCtrl m_toolTip;
  int m_nTipRow = -1;
  std::string m_strTip;  // the text the tooltip was last given, for m_nTipRow
};
