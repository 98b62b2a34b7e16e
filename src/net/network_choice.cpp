#include "net/network_choice.h"

#include "net/address_text.h"
#include "net/local_identity.h"
#include "platform/debug_output.h"
#include "platform/thread_port.h"
#include "text/cp936.h"

const char kNetworkMenuTitle[] = "扫描网络";
const char kNoNetworkAdapterText[] = "未找到网络适配器";

namespace {

constexpr uint32_t kEthernet = 6;
constexpr uint32_t kWireless = 71;

// Guards the latest choice and the user's pick: the sweep launcher writes the one, the
// user-interface thread the other, and both read.
CriticalSection g_csScanNetwork;
ScanNetwork g_latestScan;
std::optional<uint32_t> g_pickedInterface;

// The first octet is the lowest-addressed byte of an address in network byte order.
uint8_t Octet(uint32_t address, int n) {
  return static_cast<uint8_t>(reinterpret_cast<const unsigned char*>(&address)[n]);
}

bool IsUsableAddress(uint32_t address) {
  if (address == 0 || address == kInvalidAddress) return false;
  if (Octet(address, 0) == 127) return false;                      // loopback
  return !(Octet(address, 0) == 169 && Octet(address, 1) == 254);  // link-local
}

bool HasGateway(const std::string& gatewayText) {
  const uint32_t gateway = Ipv4FromText(gatewayText);
  return gateway != 0 && gateway != kInvalidAddress;
}

int CandidateHolding(const std::vector<NetworkCandidate>& candidates, uint32_t address) {
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (candidates[i].address == address) return static_cast<int>(i);
  }
  return -1;
}

// The lowest metric of the default routes through this interface, if it has any.
std::optional<uint32_t> DefaultRouteMetric(const std::vector<DefaultRoute>& routes,
                                           uint32_t interfaceIndex) {
  std::optional<uint32_t> best;
  for (const DefaultRoute& route : routes) {
    if (route.interfaceIndex != interfaceIndex) continue;
    if (!best || route.metric < *best) best = route.metric;
  }
  return best;
}

ScanNetwork Chosen(const std::vector<NetworkCandidate>& candidates, int index) {
  return {candidates[index].address, index, candidates[index].interfaceIndex};
}

}  // namespace

std::vector<NetworkCandidate> ListCandidates(const std::vector<AdapterEntry>& adapters) {
  std::vector<NetworkCandidate> candidates;
  for (const AdapterEntry& adapter : adapters) {
    if (adapter.type != kEthernet && adapter.type != kWireless) continue;
    const uint32_t address = Ipv4FromText(adapter.firstIpText);
    if (!IsUsableAddress(address)) continue;
    candidates.push_back(
        {address, adapter.interfaceIndex, HasGateway(adapter.gatewayText), adapter.description});
  }
  return candidates;
}

ScanNetwork ChooseScanNetwork(const NetworkChoiceInputs& in) {
  const std::vector<NetworkCandidate>& candidates = in.candidates;
  if (in.userInterface) {
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      if (candidates[i].interfaceIndex == *in.userInterface) return Chosen(candidates, int(i));
    }
  }
  const int holding = CandidateHolding(candidates, in.selected);
  if (holding >= 0 && candidates[holding].hasGateway) return Chosen(candidates, holding);

  int best = -1;
  std::optional<uint32_t> bestMetric;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (!candidates[i].hasGateway) continue;
    const std::optional<uint32_t> metric =
        in.routesRead ? DefaultRouteMetric(in.routes, candidates[i].interfaceIndex) : std::nullopt;
    const bool better = best < 0 || (metric && (!bestMetric || *metric < *bestMetric));
    if (better) {
      best = static_cast<int>(i);
      bestMetric = metric;
    }
  }
  if (best >= 0) return Chosen(candidates, best);

  if (holding >= 0) return Chosen(candidates, holding);
  if (!candidates.empty()) return Chosen(candidates, 0);
  return {in.selected, -1, 0};
}

uint32_t ChooseNetworkForScan() {
  NetworkChoiceInputs inputs;
  inputs.selected = SelectLocalAddress();
  std::vector<AdapterEntry> adapters;
  if (ReadAdapterList(adapters) == 0) inputs.candidates = ListCandidates(adapters);
  inputs.routesRead = CurrentNetPort().ReadDefaultRoutes(inputs.routes);
  ScanNetwork chosen;
  {
    CriticalSectionLock lock(g_csScanNetwork);
    inputs.userInterface = g_pickedInterface;
    chosen = ChooseScanNetwork(inputs);
    g_latestScan = chosen;
  }
  DebugOutput("扫描网络：" + Ipv4ToText(chosen.address) + "\n");
  return chosen.address;
}

ScanNetwork LatestScanNetwork() {
  CriticalSectionLock lock(g_csScanNetwork);
  return g_latestScan;
}

void PickAdapterForRun(uint32_t interfaceIndex) {
  CriticalSectionLock lock(g_csScanNetwork);
  g_pickedInterface = interfaceIndex;
}

void ForgetPickedAdapter() {
  CriticalSectionLock lock(g_csScanNetwork);
  g_pickedInterface.reset();
  g_latestScan = ScanNetwork{};
}

namespace {

// "&" doubled so the menu shows it instead of taking it for an access key, cut on a character
// boundary and never between the two halves of a doubled "&".
std::string MenuText(const std::string& text, std::size_t maxBytes) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = text[at] == '&' ? 1 : text::CharLength(text, at);
    const std::size_t shown = text[at] == '&' ? 2 : length;
    if (out.size() + shown > maxBytes) break;
    out += text[at] == '&' ? std::string("&&") : text.substr(at, length);
    at += length;
  }
  return out;
}

}  // namespace

std::vector<NetworkMenuEntry> NetworkMenuEntries(const std::vector<NetworkCandidate>& candidates,
                                                 const ScanNetwork& latest) {
  std::vector<NetworkMenuEntry> entries;
  for (const NetworkCandidate& candidate : candidates) {
    const std::string network = Ipv4ToText(WithHostNumber(candidate.address, 0)) + "/24";
    NetworkMenuEntry entry;
    entry.label = MenuText(network + "  " + candidate.description, kNetworkMenuLabelBytes);
    entry.interfaceIndex = candidate.interfaceIndex;
    entry.checked = latest.candidate >= 0 && latest.interfaceIndex == candidate.interfaceIndex;
    entries.push_back(entry);
  }
  return entries;
}
