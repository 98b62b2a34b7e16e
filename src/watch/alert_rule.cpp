#include "watch/alert_rule.h"

#include <algorithm>

#include "net/address_text.h"
#include "net/status_labels.h"
#include "registry/profile_location.h"
#include "registry/registry_file.h"
#include "text/cp936.h"

namespace watch {

namespace {

bool Holds(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

bool IsThisComputer(const ThisComputer& self, const std::string& mac, const DeviceRecord& row) {
  const uint32_t address = Ipv4FromText(row.ipText);
  return Holds(self.macTexts, mac) ||
         std::find(self.addresses.begin(), self.addresses.end(), address) != self.addresses.end();
}

}  // namespace

uint32_t NetworkOf(uint32_t address) { return address & 0x00FFFFFFu; }

ThisComputer ThisComputerFrom(const std::vector<AdapterEntry>& adapters) {
  static const unsigned char kNone[6] = {};
  ThisComputer self;
  for (const AdapterEntry& adapter : adapters) {
    const uint32_t address = Ipv4FromText(adapter.firstIpText);
    if (address != kInvalidAddress && address != 0) self.addresses.push_back(address);
    if (!std::equal(adapter.hardwareAddress, adapter.hardwareAddress + 6, kNone))
      self.macTexts.push_back(FormatMacText(adapter.hardwareAddress));
  }
  return self;
}

bool IsStoredAsKnown(const std::string& macText) {
  const std::optional<std::string> status = AccessDeviceAttribute(
      GetProfileDirectory() + kRegistryFileName, macText, false, "STATUS", std::string());
  return status && *status == kStatusKnown.bare;
}

std::vector<DeviceRecord> RunHistory::AlertsAfterScan(uint32_t network, const DeviceTable& rows,
                                                      const ThisComputer& self,
                                                      const MarkedKnown& markedKnown) {
  const bool baseline = m_seen.find(network) == m_seen.end();
  std::set<std::string>& seen = m_seen[network];
  std::vector<DeviceRecord> alerts;
  std::vector<std::string> macs;
  for (const DeviceRecord& row : rows) {
    const std::string mac(text::Trim(row.macText));
    macs.push_back(mac);
    if (baseline || seen.count(mac) || m_alerted.count(mac)) continue;
    if (!text::Contains(row.statusLabel, kStatusNotKnown.bare)) continue;
    if (IsThisComputer(self, mac, row) || markedKnown(mac)) continue;
    m_alerted.insert(mac);
    alerts.push_back(row);
  }
  seen.insert(macs.begin(), macs.end());
  return alerts;
}

}  // namespace watch
