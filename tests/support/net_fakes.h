#pragma once
// Fakes for the net tests: a scriptable net port, a scan view that records every call, and a
// capture of the debugger and standard-output lines.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/address_sweep.h"
#include "net/address_text.h"
#include "net/local_identity.h"
#include "net/network_choice.h"
#include "net/scan_view.h"
#include "platform/debug_output.h"
#include "platform/net_port.h"

class FakeNetPort : public NetPort {
 public:
  // Adapter list: each call pops the next scripted answer (the last one repeats).
  struct AdapterCall {
    uint32_t result = 0;
    uint32_t reportedSize = 0;  // for kBufferOverflow
    std::vector<AdapterEntry> adapters;
  };
  std::vector<AdapterCall> adapterCalls;
  std::vector<uint32_t> adapterBufferSizes;  // the size each call was given

  bool socketsStart = true;
  bool hostNameReads = true;
  std::string hostName = "fake-host";
  bool hostNameResolves = true;
  uint32_t hostAddress = 0;
  int startCalls = 0, cleanupCalls = 0, resolveCalls = 0;
  std::vector<std::pair<int, int>> startVersions;

  struct Device {
    unsigned char mac[6];
    std::string name;  // empty: no name
  };
  std::map<uint32_t, Device> devices;  // answering targets
  std::vector<uint32_t> arpTargets;    // every target asked, in call order
  std::vector<uint32_t> arpLengths;    // the buffer length each call was given

  std::vector<ArpCacheRow> arpCache;
  bool arpTableReads = true;
  std::vector<ArpCacheRow> deleted;

  // As under Wine: SendArp says "not supported", and a datagram adds the target's neighbour row
  // at once with a zero MAC, which a device fills in on the answerAfterReads-th read after it.
  bool sendArpSupported = true;
  int answerAfterReads = 1;
  std::vector<uint32_t> datagrams;  // every datagram's target, in call order
  int tableReads = 0, sizeQueries = 0;
  int sizeQueryMs = 0;  // how long a size query takes (Wine's, on a full table: 100 ms and more)

  uint32_t ReadAdapters(uint32_t& bufferSize, std::vector<AdapterEntry>& adapters) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    adapterBufferSizes.push_back(bufferSize);
    if (adapterCalls.empty()) return 232;
    const AdapterCall call = adapterCalls.front();
    if (adapterCalls.size() > 1) adapterCalls.erase(adapterCalls.begin());
    if (call.result == kBufferOverflow) bufferSize = call.reportedSize;
    if (call.result == 0) adapters = call.adapters;
    return call.result;
  }
  bool routesReadable = true;
  std::vector<DefaultRoute> defaultRoutes;
  bool ReadDefaultRoutes(std::vector<DefaultRoute>& routes) override {
    routes = defaultRoutes;
    return routesReadable;
  }
  bool StartSockets(int major, int minor) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++startCalls;
    startVersions.emplace_back(major, minor);
    return socketsStart;
  }
  void CleanupSockets() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++cleanupCalls;
  }
  bool ReadOwnHostName(std::string& name, int) override {
    if (!hostNameReads) return false;
    name = hostName;
    return true;
  }
  bool ResolveFirstAddress(const std::string& name, uint32_t& address) override {
    ++resolveCalls;
    if (!hostNameResolves || name != hostName) return false;
    address = hostAddress;
    return true;
  }
  bool ResolveHostName(uint32_t address, std::string& name) override {
    auto it = devices.find(address);
    if (it == devices.end() || it->second.name.empty()) return false;
    name = it->second.name;
    return true;
  }
  uint32_t SendArp(uint32_t target, uint32_t source, uint32_t (&mac)[2],
                   uint32_t& length) override {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      arpTargets.push_back(target);
      arpLengths.push_back(length);
      if (source != 0) return 87;
      if (!sendArpSupported) return kNotSupported;
    }
    auto it = devices.find(target);
    if (it == devices.end()) return 67;
    std::memcpy(mac, it->second.mac, 6);
    return 0;
  }
  bool SendDatagram(uint32_t target, uint16_t port) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    datagrams.push_back(target);
    if (port != 9) return false;
    arpCache.push_back({1, target, 3});
    m_pending.push_back({target, answerAfterReads});
    return true;
  }
  uint32_t QueryArpTableSize() override {
    if (sizeQueryMs) std::this_thread::sleep_for(std::chrono::milliseconds(sizeQueryMs));
    std::lock_guard<std::mutex> lock(m_mutex);
    ++sizeQueries;
    return arpCache.empty() ? 0 : 4 + 24 * static_cast<uint32_t>(arpCache.size());
  }
  bool ReadArpTable(uint32_t size, std::vector<ArpCacheRow>& rows) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    ++tableReads;
    if (!arpTableReads || size < 4 + 24 * arpCache.size()) return false;
    for (auto& [address, readsLeft] : m_pending) {
      auto device = devices.find(address);
      if (device == devices.end() || --readsLeft != 0) continue;
      for (ArpCacheRow& row : arpCache)
        if (row.address == address) std::memcpy(row.hardwareAddress, device->second.mac, 6);
    }
    rows = arpCache;
    return true;
  }
  void DeleteArpEntry(const ArpCacheRow& row) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    deleted.push_back(row);
  }

  void AddEthernet(const std::string& ip, std::initializer_list<unsigned char> mac = {}) {
    AdapterEntry adapter{6, ip};
    std::copy(mac.begin(), mac.end(), adapter.hardwareAddress);
    adapterCalls.push_back({0, 0, {adapter}});
  }

 private:
  std::mutex m_mutex;
  std::vector<std::pair<uint32_t, int>> m_pending;  // neighbour rows a device has yet to fill
};

// Every call on the view as one line of text, in order. Each call holds the view's lock
// throughout, so a test that has seen a call (Has) may read what it changed.
class RecordingScanView : public ScanView {
 public:
  std::vector<std::string> calls;
  struct Row {
    std::string cells[3];
    int image = -1;
  };
  std::vector<Row> rows;
  std::map<int, bool> shown, enabled;
  std::map<int, std::string> texts;

  int Count(const std::string& call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(std::count(calls.begin(), calls.end(), call));
  }
  bool Has(const std::string& call) { return Count(call) > 0; }
  // What re-detect does to the list before the next scan starts.
  void DeleteAllRows() {
    std::lock_guard<std::mutex> lock(m_mutex);
    rows.clear();
  }

  void InsertRow(int row, const std::string& column0) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    calls.push_back("insert " + std::to_string(row));
    if (row >= 0 && static_cast<std::size_t>(row) <= rows.size())
      rows.insert(rows.begin() + row, Row{{column0}});
  }
  void SetCell(int row, int column, const std::string& text, int image) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    calls.push_back("cell " + std::to_string(row) + "," + std::to_string(column));
    rows.at(row).cells[column] = text;
    rows.at(row).image = image;
  }
  void SetCellText(int row, int column, const std::string& text) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    calls.push_back("text " + std::to_string(row) + "," + std::to_string(column));
    rows.at(row).cells[column] = text;
  }
  void RepaintList() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    calls.push_back("repaint");
  }
  void InvalidateList() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    calls.push_back("invalidate");
  }
  // Recorded once the base has ended the run and shown the button: after "ended" a builder
  // touches the view no more.
  void ScanEnded(int unknownCount) override {
    ScanView::ScanEnded(unknownCount);
    std::lock_guard<std::mutex> lock(m_mutex);
    calls.push_back("ended " + std::to_string(unknownCount));
  }
  void EnableItem(int item, bool enable) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    calls.push_back((enable ? "enable " : "disable ") + std::to_string(item));
    enabled[item] = enable;
  }
  void ShowItem(int item, bool show) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    calls.push_back((show ? "show " : "hide ") + std::to_string(item));
    shown[item] = show;
  }
  void SetItemText(int item, const std::string& text) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    calls.push_back("settext " + std::to_string(item));
    texts[item] = text;
  }

 private:
  std::mutex m_mutex;
};

// Collects both output channels for the lifetime of the object.
class OutputCapture {
 public:
  OutputCapture() {
    Lines().clear();
    InstallOutputSink(&Sink);
  }
  ~OutputCapture() { InstallOutputSink(nullptr); }
  void Clear() {
    std::lock_guard<std::mutex> lock(Mutex());
    Lines().clear();
  }
  // Lines written to one channel, in order.
  std::vector<std::string> Of(OutputChannel channel) const {
    std::lock_guard<std::mutex> lock(Mutex());
    std::vector<std::string> out;
    for (const auto& [c, text] : Lines())
      if (c == channel) out.push_back(text);
    return out;
  }
  std::size_t Count(OutputChannel channel, const std::string& text) const {
    std::size_t n = 0;
    for (const std::string& line : Of(channel)) n += line == text;
    return n;
  }

 private:
  static std::vector<std::pair<OutputChannel, std::string>>& Lines() {
    static std::vector<std::pair<OutputChannel, std::string>> lines;
    return lines;
  }
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static void Sink(OutputChannel channel, const char* text) {
    std::lock_guard<std::mutex> lock(Mutex());
    Lines().emplace_back(channel, text);
  }
};

inline uint32_t Ip(const char* text) { return Ipv4FromText(text); }

// Puts the scan's process-wide state back to program start.
inline void ResetNetState() {
  g_dwLocalAddress = 0;
  g_bPppAdapter = 0;
  g_strAdapterAddress.clear();
  g_bSweepDone.store(0);
  g_bSendArpUnsupported.store(0);
  g_bSendArpAnswered.store(0);
  g_deviceTable.clear();
  ForgetPickedAdapter();
  while (g_evSweepDone.Wait(0)) {
  }
}
