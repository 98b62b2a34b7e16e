#pragma once
// Which devices alert after a scan. A device alerts when, once the scan is merged, its row is
// labelled "not yet known" and its MAC was in no earlier scan of this run on the same network. The
// first scan of each network is a baseline (its summary already counts those devices); this
// computer (any address or MAC of its adapters) never alerts; each MAC alerts at most once a run;
// a device the user marked known never alerts.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "net/device_record.h"
#include "platform/net_port.h"

namespace watch {

// The /24 an address (network byte order) lies in: its first three octets.
uint32_t NetworkOf(uint32_t address);

// What identifies this computer in a scan: every adapter's address and hardware address.
struct ThisComputer {
  std::vector<uint32_t> addresses;    // network byte order
  std::vector<std::string> macTexts;  // "00-1A-2B-3C-4D-5E"; adapters without one left out
};
ThisComputer ThisComputerFrom(const std::vector<AdapterEntry>& adapters);

// Whether the user marked the device of this MAC known (the device registry says so).
using MarkedKnown = std::function<bool(const std::string& macText)>;
// The answer ComputerInfo.xml in the profile directory gives (read only).
bool IsStoredAsKnown(const std::string& macText);

// What the scans of this run have seen. Every scan since the program started counts, watched or
// not: call AlertsAfterScan after each scan's merge, and show its answer only while watching.
class RunHistory {
 public:
  // The devices of this scan's merged rows that alert, in row order; records the scan. network
  // is the scanned /24 (NetworkOf the scan's chosen address). markedKnown is asked only for rows
  // that would otherwise alert.
  std::vector<DeviceRecord> AlertsAfterScan(uint32_t network, const DeviceTable& rows,
                                            const ThisComputer& self,
                                            const MarkedKnown& markedKnown = IsStoredAsKnown);

 private:
  std::map<uint32_t, std::set<std::string>> m_seen;  // MACs by network
  std::set<std::string> m_alerted;
};

}  // namespace watch
