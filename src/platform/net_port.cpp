#include "platform/net_port.h"

#include <atomic>

namespace {

// Stands in until a program installs its binding: every operation fails, so a scan finds nothing.
class FailingNetPort final : public NetPort {
 public:
  uint32_t ReadAdapters(uint32_t&, std::vector<AdapterEntry>&) override { return kNotSupported; }
  bool StartSockets(int, int) override { return false; }
  void CleanupSockets() override {}
  bool ReadOwnHostName(std::string&, int) override { return false; }
  bool ResolveFirstAddress(const std::string&, uint32_t&) override { return false; }
  bool ResolveHostName(uint32_t, std::string&) override { return false; }
  uint32_t SendArp(uint32_t, uint32_t, uint32_t (&)[2], uint32_t&) override {
    return kNotSupported;
  }
  bool SendDatagram(uint32_t, uint16_t) override { return false; }
  uint32_t QueryArpTableSize() override { return 0; }
  bool ReadArpTable(uint32_t, std::vector<ArpCacheRow>&) override { return false; }
  void DeleteArpEntry(const ArpCacheRow&) override {}
};

FailingNetPort g_failingNetPort;
std::atomic<NetPort*> g_pNetPort{nullptr};

}  // namespace

void InstallNetPort(NetPort* port) { g_pNetPort.store(port); }

NetPort& CurrentNetPort() {
  NetPort* port = g_pNetPort.load();
  return port ? *port : g_failingNetPort;
}
