#pragma once
// A probe's ARP request where the system's SendARP is not supported (Wine answers every call with
// ERROR_NOT_SUPPORTED): one datagram to the target's discard port makes the system ask for the
// address with ARP, and the scan's one neighbour-table reader hands the probe the answer.
//
// This computer's own address never enters the neighbour table (traffic to it stays on loopback),
// so it is answered from the adapter list with the hardware address of the adapter that holds the
// address, as SendARP itself does for a local address.
#include <cstdint>

#include "net/neighbour_table_reader.h"
#include "platform/net_port.h"

class NeighbourFallback {
 public:
  // How long after its datagram a probe's address may still resolve. A live host's entry fills in
  // 2-15 ms after the datagram, even with a /24 of datagrams at once, and a probe always gets the
  // first table read that starts after its bound, however slow reads are; a silent address costs
  // the whole bound, so a scan takes about one bound and one read. One second also covers a slow
  // first answer (a dozing wireless device) while the scan stays near a peer scanner's time
  // (arp-scan: about 2 s for a /24); Windows' own SendARP waits about 3 s for a silent address.
  static constexpr unsigned kBoundMilliseconds = 1000;
  static constexpr uint16_t kDiscardPort = 9;

  // localAddress: the address the sweep works from, answered from the adapter that holds it.
  explicit NeighbourFallback(uint32_t localAddress,
                             unsigned boundMilliseconds = kBoundMilliseconds);

  // Answers as SendARP would: 0 with the 6 bytes in mac and length 6, else kBadNetName.
  uint32_t Request(uint32_t target, uint32_t (&mac)[2], uint32_t& length);

  NeighbourTableReader& Reader() { return m_reader; }

 private:
  const uint32_t m_localAddress;
  NeighbourTableReader m_reader;
};
