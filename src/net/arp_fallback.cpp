#include "net/arp_fallback.h"

#include <cstring>

#include "net/address_text.h"
#include "net/local_identity.h"

NeighbourFallback::NeighbourFallback(unsigned boundMilliseconds) : m_reader(boundMilliseconds) {}

uint32_t NeighbourFallback::Request(uint32_t target, uint32_t (&mac)[2], uint32_t& length) {
  unsigned char address[6] = {};
  bool found = FindOwnAddress(target, address);
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

bool NeighbourFallback::FindOwnAddress(uint32_t target, unsigned char (&mac)[6]) {
  CriticalSectionLock lock(m_adapterLock);
  if (!m_adaptersRead) {
    m_adaptersRead = true;
    if (ReadAdapterList(m_adapters) != 0) m_adapters.clear();
  }
  for (const AdapterEntry& adapter : m_adapters) {
    if (Ipv4FromText(adapter.firstIpText) != target) continue;
    std::memcpy(mac, adapter.hardwareAddress, 6);
    return true;
  }
  return false;
}
