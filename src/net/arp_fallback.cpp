#include "net/arp_fallback.h"

#include <cstring>
#include <vector>

#include "net/address_text.h"
#include "net/local_identity.h"

namespace {

// The hardware address of the adapter whose address is address, as SendARP answers for it.
bool FindAdapterHardwareAddress(uint32_t address, unsigned char (&mac)[6]) {
  std::vector<AdapterEntry> adapters;
  if (ReadAdapterList(adapters) != 0) return false;
  for (const AdapterEntry& adapter : adapters) {
    if (Ipv4FromText(adapter.firstIpText) != address) continue;
    std::memcpy(mac, adapter.hardwareAddress, 6);
    return true;
  }
  return false;
}

}  // namespace

NeighbourFallback::NeighbourFallback(uint32_t localAddress, unsigned boundMilliseconds)
    : m_localAddress(localAddress), m_reader(boundMilliseconds) {}

uint32_t NeighbourFallback::Request(uint32_t target, uint32_t (&mac)[2], uint32_t& length) {
  unsigned char address[6] = {};
  // Only this computer's own probe reads the adapter list, so no other probe waits for it.
  bool found = target == m_localAddress && FindAdapterHardwareAddress(target, address);
  if (!found) {
    NetPort& net = CurrentNetPort();
    net.StartSockets(2, 2);  // left started, as the probe leaves them
    // A datagram that cannot be sent still leaves the table to tell whether the host is known.
    net.SendDatagram(target, kDiscardPort);
    found = m_reader.WaitForEntry(target, address);
  }
  if (!found) return NetPort::kBadNetName;
  std::memset(mac, 0, sizeof mac);
  std::memcpy(mac, address, 6);
  length = 6;
  return 0;
}
