#include "net/local_identity.h"

#include <vector>

#include "net/address_text.h"
#include "platform/debug_output.h"
#include "platform/net_port.h"

uint32_t g_dwLocalAddress = 0;
int g_bPppAdapter = 0;
std::string g_strAdapterAddress;

namespace {
constexpr uint32_t kFirstAdapterBuffer = 648;  // room for one IP_ADAPTER_INFO record
constexpr uint32_t kEthernet = 6;
constexpr uint32_t kPpp = 23;
constexpr int kHostNameBuffer = 255;
}  // namespace

uint32_t ReadAdapterList(std::vector<AdapterEntry>& adapters) {
  NetPort& net = CurrentNetPort();
  uint32_t size = kFirstAdapterBuffer;
  // The first call learns the size when one record's room is not enough; the second call is made
  // whatever the first one gave.
  if (net.ReadAdapters(size, adapters) != NetPort::kBufferOverflow) size = kFirstAdapterBuffer;
  adapters.clear();
  return net.ReadAdapters(size, adapters);
}

uint32_t GetAdapterAddress() {
  g_dwLocalAddress = 0;
  g_bPppAdapter = 0;

  std::vector<AdapterEntry> adapters;
  if (ReadAdapterList(adapters) != 0) {
    StandardOutput("Call to GetAdaptersInfo failed.\n");
  } else {
    for (const AdapterEntry& adapter : adapters) {
      if (adapter.type == kEthernet) {
        StandardOutput("Adapter Type: \tEthernet\n");
        g_strAdapterAddress = adapter.firstIpText;  // the last Ethernet adapter listed wins
      } else if (adapter.type == kPpp) {
        StandardOutput("Adapter Type: \tPPP\n");
        g_bPppAdapter = 1;
      } else {
        StandardOutput("Adapter Type: \tUnknow\n");
      }
    }
  }
  g_dwLocalAddress = Ipv4FromText(g_strAdapterAddress);
  return g_dwLocalAddress;
}

uint32_t GetHostAddress() {
  NetPort& net = CurrentNetPort();
  if (!net.StartSockets(2, 0)) return g_dwLocalAddress;
  std::string name;
  uint32_t address = 0;
  if (net.ReadOwnHostName(name, kHostNameBuffer) && net.ResolveFirstAddress(name, address)) {
    g_dwLocalAddress = address;
  }
  net.CleanupSockets();
  return g_dwLocalAddress;
}

uint32_t SelectLocalAddress() {
  uint32_t address = GetAdapterAddress();
  if (g_bPppAdapter == 0) address = GetHostAddress();
  return address;
}
