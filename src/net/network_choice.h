#pragma once
// Which network a scan sweeps. The address of this computer's own name comes first on Windows in
// the adapters' binding order, not by route, and a virtual adapter (host-only, a virtual switch, a
// VPN's TAP) is of the Ethernet type and often bound first: so the scan follows the adapter that
// reaches the router, unless the user picked another in this run.
//
// The sweep launcher chooses once per scan (ChooseNetworkForScan); the list builder and the menus
// read that choice (LatestScanNetwork) and never choose again, so a route that changes mid-scan
// cannot cost this computer its row.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/net_port.h"

// An adapter a scan may sweep: Ethernet or IEEE 802.11 with a usable first address.
struct NetworkCandidate {
  uint32_t address = 0;  // its first address, network byte order
  uint32_t interfaceIndex = 0;
  bool hasGateway = false;
  std::string description;
};

// The candidates among adapters, in the order the system lists them: type 6 or 71, with a first
// address that is none of 0.0.0.0, 127.0.0.0/8 and 169.254.0.0/16.
std::vector<NetworkCandidate> ListCandidates(const std::vector<AdapterEntry>& adapters);

struct NetworkChoiceInputs {
  std::vector<NetworkCandidate> candidates;
  bool routesRead = false;  // false: the route table could not be read
  std::vector<DefaultRoute> routes;
  uint32_t selected = 0;                  // what the adapter and host-name passes gave
  std::optional<uint32_t> userInterface;  // the adapter the user picked in this run
};

struct ScanNetwork {
  uint32_t address = 0;
  int candidate = -1;  // index into the candidates; -1 when the address is no candidate's
  uint32_t interfaceIndex = 0;
};

// The first rule that applies: the user's adapter while it is a candidate; the passes' address
// when a candidate with a gateway holds it; the gateway candidate whose default route has the
// lowest metric (one without a route row ranks after those with one; ties go to the one listed
// first); without any gateway, the passes' address when a candidate holds it, else the first
// candidate; without candidates, the passes' address.
ScanNetwork ChooseScanNetwork(const NetworkChoiceInputs& inputs);

// The sweep launcher's step: runs the adapter and host-name passes, reads the adapter list and the
// default routes (read, never probed: nothing is sent), chooses, remembers the choice and names it
// on the debugger output ("扫描网络：<address>\n"). Returns the chosen address.
uint32_t ChooseNetworkForScan();

// The choice of the latest scan (a zero address and no candidate before the first).
ScanNetwork LatestScanNetwork();

// Makes the adapter with this interface index the one later scans of this run sweep while it is
// a candidate. Nothing is stored.
void PickAdapterForRun(uint32_t interfaceIndex);
// Forgets the user's pick (tests).
void ForgetPickedAdapter();

// One entry of the 扫描网络 menu: the candidate's /24 and description, for example
// "192.168.1.0/24  Intel(R) Wi-Fi 6 AX201", with "&" doubled and cut to 64 bytes on a character
// boundary; checked for the adapter of the latest scan.
struct NetworkMenuEntry {
  std::string label;
  uint32_t interfaceIndex = 0;
  bool checked = false;
};
std::vector<NetworkMenuEntry> NetworkMenuEntries(const std::vector<NetworkCandidate>& candidates,
                                                 const ScanNetwork& latest);
extern const char kNetworkMenuTitle[];      // "扫描网络"
extern const char kNoNetworkAdapterText[];  // "未找到网络适配器": the greyed entry without any
constexpr std::size_t kNetworkMenuLabelBytes = 64;
