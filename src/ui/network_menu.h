#pragma once
// CNetworkMenu: the 扫描网络 submenu of the system menu and the device list's menu. One entry per
// candidate network (ui-independent texts from net/network_choice.h), the latest scan's adapter
// checked, all greyed while a scan runs; "未找到网络适配器", greyed, when there is none.
#include <windows.h>

#include <cstdint>
#include <vector>

class CNetworkMenu {
 public:
  // Appends a separator and a freshly filled 扫描网络 submenu to menu; the submenu goes with it.
  // Returns the submenu (nullptr when it could not be made).
  HMENU AppendTo(HMENU menu);
  // Empties submenu and fills it anew from the adapter list as it is now.
  void Fill(HMENU submenu);
  // The adapter a command of the latest filled submenu names (ID_SCAN_NETWORK_FIRST + 16 n).
  bool AdapterOf(UINT command, uint32_t& interfaceIndex) const;

 private:
  std::vector<uint32_t> m_interfaces;  // by entry, from the latest Fill
};
