// The net port answered from a scenario instead of the network.
#include "sim/simulated_lan.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <sstream>

#include "net/address_text.h"
#include "platform/thread_port.h"
#include "sim/name_responder.h"

namespace {

constexpr uint32_t kAdapterRecordSize = 648;  // what one adapter record takes in the system's list
constexpr uint32_t kArpRowSize = 24;          // one row of the system's ARP table

class SimulatedNetPort final : public NetPort {
 public:
  explicit SimulatedNetPort(SimScenario scenario) : m_scenario(std::move(scenario)) {}

  uint32_t ReadAdapters(uint32_t& bufferSize, std::vector<AdapterEntry>& adapters) override {
    if (m_scenario.adapters.empty()) return kNoData;
    const uint32_t needed = kAdapterRecordSize * static_cast<uint32_t>(m_scenario.adapters.size());
    if (bufferSize < needed) {
      bufferSize = needed;
      return kBufferOverflow;
    }
    adapters.insert(adapters.end(), m_scenario.adapters.begin(), m_scenario.adapters.end());
    return 0;
  }

  bool ReadDefaultRoutes(std::vector<DefaultRoute>& routes) override {
    routes.insert(routes.end(), m_scenario.defaultRoutes.begin(), m_scenario.defaultRoutes.end());
    return true;
  }

  bool StartSockets(int, int) override { return true; }
  void CleanupSockets() override {}

  bool ReadOwnHostName(std::string& name, int bufferLength) override {
    const std::string own = m_scenario.hasHostName ? m_scenario.hostName : "localhost";
    if (static_cast<int>(own.size()) >= bufferLength) return false;
    name = own;
    return true;
  }

  bool ResolveFirstAddress(const std::string& name, uint32_t& address) override {
    if (!m_scenario.hasHostName || !m_scenario.hostNameResolves || name != m_scenario.hostName)
      return false;
    address = m_scenario.hostAddress;
    return true;
  }

  bool ResolveHostName(uint32_t address, std::string& name) override {
    const SimDevice* device = Find(address);
    if (device && !device->name.empty()) {
      name = device->name;
      return true;
    }
    // Without a device line of its own, this computer's address names it (as the hosts file does).
    if (device || !m_scenario.hostNameResolves || address != m_scenario.hostAddress) return false;
    name = m_scenario.hostName;
    return true;
  }

  // Every probe asks SendARP first, once a sweep, also where it is not supported: the count of
  // requests for an address is the sweep a device there sees.
  uint32_t SendArp(uint32_t target, uint32_t, uint32_t (&mac)[2], uint32_t& length) override {
    const SimDevice* device = Joined(target, CountRequest(target));
    if (!m_scenario.sendArpSupported) return kNotSupported;
    SleepMilliseconds(device ? device->latencyMs : m_scenario.silenceMs);
    if (!device) return kBadNetName;
    std::memset(mac, 0, sizeof mac);
    std::memcpy(mac, device->mac, 6);
    length = 6;
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    m_arpCache.push_back({1, target});
    return 0;
  }

  // Only where SendArp is not supported does the datagram show: traffic to an address of this
  // computer stays on loopback, any other address gets its neighbour row at once.
  bool SendDatagram(uint32_t target, uint16_t) override {
    if (m_scenario.sendArpSupported || IsOwnAddress(target)) return true;
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    const bool answers = Joined(target, m_requests[target]) != nullptr;
    for (Neighbour& n : m_neighbours) {
      if (n.address != target) continue;
      // A device that has joined since resolves from this datagram on.
      if (answers && !n.answering) n = {target, Clock::now(), true};
      return true;
    }
    m_neighbours.push_back({target, Clock::now(), answers});
    return true;
  }

  // Replies come at once; a device without a responder for a query sends nothing, so the caller
  // waits its whole time, as on a real LAN.
  void ExchangeDatagrams(uint32_t target, const std::vector<OutgoingDatagram>& datagrams,
                         unsigned waitMs, const ReplyHandler& onReply) override {
    const SimDevice* device = Find(target);
    for (const OutgoingDatagram& datagram : datagrams) {
      if (!device) break;
      const std::optional<dns::Bytes> reply = AnswerNameQuery(
          datagram.port, datagram.bytes, target, device->netbiosName, device->mdnsName);
      if (reply && onReply(target, datagram.port, reply->data(), reply->size())) return;
    }
    SleepMilliseconds(waitMs);
  }

  uint32_t QueryArpTableSize() override {
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    const std::size_t rows = m_arpCache.size() + m_neighbours.size();
    return rows == 0 ? 0 : 4 + kArpRowSize * static_cast<uint32_t>(rows);
  }

  bool ReadArpTable(uint32_t size, std::vector<ArpCacheRow>& rows) override {
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    const std::size_t count = m_arpCache.size() + m_neighbours.size();
    if (size < 4 + kArpRowSize * count) return false;  // grew in between
    rows = m_arpCache;
    const Clock::time_point now = Clock::now();
    for (const Neighbour& n : m_neighbours) {
      ArpCacheRow row{1, n.address, kDynamic};
      const SimDevice* device = Find(n.address);
      if (device && n.answering && now - n.sent >= std::chrono::milliseconds(device->latencyMs))
        std::memcpy(row.hardwareAddress, device->mac, 6);
      rows.push_back(row);
    }
    return true;
  }

  void DeleteArpEntry(const ArpCacheRow& row) override {
    if (!m_scenario.sendArpSupported) return;  // a stub there: it deletes nothing
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    for (auto it = m_arpCache.begin(); it != m_arpCache.end(); ++it) {
      if (it->interfaceIndex == row.interfaceIndex && it->address == row.address) {
        m_arpCache.erase(it);
        return;
      }
    }
  }

 private:
  const SimDevice* Find(uint32_t address) const {
    for (const SimDevice& device : m_scenario.devices)
      if (device.address == address) return &device;
    return nullptr;
  }

  unsigned CountRequest(uint32_t address) {
    std::lock_guard<std::mutex> lock(m_cacheMutex);
    return ++m_requests[address];
  }

  // The device at address, if it answers the sweep-th request for it.
  const SimDevice* Joined(uint32_t address, unsigned sweep) const {
    const SimDevice* device = Find(address);
    return device && sweep >= device->joinsAtSweep ? device : nullptr;
  }

  bool IsOwnAddress(uint32_t address) const {
    for (const AdapterEntry& adapter : m_scenario.adapters)
      if (Ipv4FromText(adapter.firstIpText) == address) return true;
    return false;
  }

  using Clock = std::chrono::steady_clock;
  struct Neighbour {
    uint32_t address;
    Clock::time_point sent;  // the first datagram to it (since its device joined)
    bool answering;          // a device there has joined: its MAC fills in
  };
  static constexpr uint32_t kDynamic = 3;  // every row's type under Wine, whatever its state

  const SimScenario m_scenario;  // read-only after construction: safe from every probe thread
  std::mutex m_cacheMutex;
  std::vector<ArpCacheRow> m_arpCache;      // what SendArp resolved (where it is supported)
  std::vector<Neighbour> m_neighbours;      // what datagrams asked for (where it is not)
  std::map<uint32_t, unsigned> m_requests;  // SendARP calls by address: each sweep makes one
};

// The installed port lives to the end of the process: probes of an abandoned scan may still use it.
std::unique_ptr<NetPort>& Installed() {
  static std::unique_ptr<NetPort>* port = new std::unique_ptr<NetPort>;
  return *port;
}

}  // namespace

std::unique_ptr<NetPort> MakeSimulatedNetPort(SimScenario scenario) {
  return std::make_unique<SimulatedNetPort>(std::move(scenario));
}

void InstallSimulatedLan(SimScenario scenario) {
  // An earlier port is kept alive (leaked on purpose): a thread of an earlier scan may hold it.
  static std::vector<std::unique_ptr<NetPort>>* retired = new std::vector<std::unique_ptr<NetPort>>;
  if (Installed()) retired->push_back(std::move(Installed()));
  Installed() = MakeSimulatedNetPort(std::move(scenario));
  InstallNetPort(Installed().get());
}

bool InstallSimulatedLan() {
  const char* path = std::getenv("TARNLOOK_SIM_LAN");
  if (!path || !*path) {
    InstallSimulatedLan(DemoScenario());
    return true;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  SimScenario scenario;
  std::string error;
  if (!in || !ParseScenario(text.str(), scenario, &error)) {
    std::cerr << "TARNLOOK_SIM_LAN: cannot use " << path
              << (error.empty() ? "" : " (" + error + ")") << "; using the demo LAN\n";
    InstallSimulatedLan(DemoScenario());
    return false;
  }
  InstallSimulatedLan(std::move(scenario));
  return true;
}
