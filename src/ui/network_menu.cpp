#include "ui/network_menu.h"

#include "net/local_identity.h"
#include "net/network_choice.h"
#include "net/scan.h"
#include "res/resource.h"

namespace {
constexpr UINT kCommandStep = 16;
constexpr std::size_t kMaxEntries =
    (ID_SCAN_NETWORK_LAST - ID_SCAN_NETWORK_FIRST) / kCommandStep + 1;
}  // namespace

HMENU CNetworkMenu::AppendTo(HMENU menu) {
  HMENU submenu = ::CreatePopupMenu();
  if (!submenu) return nullptr;
  Fill(submenu);
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  if (!::AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), kNetworkMenuTitle)) {
    ::DestroyMenu(submenu);
    return nullptr;
  }
  return submenu;
}

void CNetworkMenu::Fill(HMENU submenu) {
  while (::GetMenuItemCount(submenu) > 0) ::DeleteMenu(submenu, 0, MF_BYPOSITION);
  m_interfaces.clear();

  std::vector<AdapterEntry> adapters;
  std::vector<NetworkCandidate> candidates;
  if (ReadAdapterList(adapters) == 0) candidates = ListCandidates(adapters);
  const std::vector<NetworkMenuEntry> entries = NetworkMenuEntries(candidates, LatestScanNetwork());
  if (entries.empty()) {
    ::AppendMenuA(submenu, MF_STRING | MF_GRAYED, 0, kNoNetworkAdapterText);
    return;
  }
  const UINT greyed = ScanRunning() ? MF_GRAYED : MF_ENABLED;
  for (std::size_t i = 0; i < entries.size() && i < kMaxEntries; ++i) {
    const UINT checked = entries[i].checked ? MF_CHECKED : MF_UNCHECKED;
    ::AppendMenuA(submenu, MF_STRING | greyed | checked,
                  ID_SCAN_NETWORK_FIRST + kCommandStep * static_cast<UINT>(i),
                  entries[i].label.c_str());
    m_interfaces.push_back(entries[i].interfaceIndex);
  }
}

bool CNetworkMenu::AdapterOf(UINT command, uint32_t& interfaceIndex) const {
  if (command < ID_SCAN_NETWORK_FIRST || (command - ID_SCAN_NETWORK_FIRST) % kCommandStep)
    return false;
  const std::size_t entry = (command - ID_SCAN_NETWORK_FIRST) / kCommandStep;
  if (entry >= m_interfaces.size()) return false;
  interfaceIndex = m_interfaces[entry];
  return true;
}
