#pragma once
// A probe's ARP request where the system's SendARP is not supported (Wine answers every call with
// ERROR_NOT_SUPPORTED): one datagram to the target's discard port makes the system ask for the
// address with ARP, and the scan's one neighbour-table reader hands the probe the answer.
//
// This computer's own addresses never enter the neighbour table (traffic to them stays on
// loopback), so they are answered from the adapter list with the hardware address of the adapter
// that holds the address, as SendARP itself does for a local address.
#include <cstdint>
#include <vector>

#include "net/neighbour_table_reader.h"
#include "platform/net_port.h"
#include "platform/thread_port.h"

class NeighbourFallback {
 public:
  // How long a probe waits for a resolved entry. A live host's address shows 2-15 ms after the
  // datagram even among a /24 of them; a silent address never resolves (the kernel gives up after
  // 3 s), so every silent address costs one bound and the scan takes about one bound.
  static constexpr unsigned kBoundMilliseconds = 1000;
  static constexpr uint16_t kDiscardPort = 9;

  explicit NeighbourFallback(unsigned boundMilliseconds = kBoundMilliseconds);

  // Answers as SendARP would: 0 with the 6 bytes in mac and length 6, else kBadNetName.
  uint32_t Request(uint32_t target, uint32_t (&mac)[2], uint32_t& length);

  NeighbourTableReader& Reader() { return m_reader; }

 private:
  bool FindOwnAddress(uint32_t target, unsigned char (&mac)[6]);

  NeighbourTableReader m_reader;
  CriticalSection m_adapterLock;  // the adapter list is read once, by the first probe to ask
  bool m_adaptersRead = false;
  std::vector<AdapterEntry> m_adapters;
};
