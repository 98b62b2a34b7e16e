#pragma once
// The replies a simulated device sends to a probe's name queries: what Samba's nmbd answers to
// NetBIOS node status and what an mDNS responder answers to a unicast PTR query for its address.
// Tests use the builders to make well-formed replies they then bend.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "net/dns_wire.h"

struct NetbiosEntry {
  std::string name;  // up to 15 bytes, padded with blanks
  uint8_t suffix = 0x00;
  bool group = false;
};

// A node status response listing entries (and 46 zero bytes of statistics).
dns::Bytes NbstatReply(uint16_t id, const std::vector<NetbiosEntry>& entries);
// A response to a PTR query for address's in-addr.arpa name, as legacy unicast asks: the question
// repeated, then one answer whose owner points back to the question and whose target is
// hostLabel.local.
dns::Bytes MdnsPtrReply(uint16_t id, uint32_t address, const std::string& hostLabel);

// The reply a device with these names sends to a datagram for port, or nothing (no responder,
// or not a query it answers). An empty name means the device runs no such responder.
std::optional<dns::Bytes> AnswerNameQuery(uint16_t port, const dns::Bytes& query, uint32_t address,
                                          const std::string& netbiosName,
                                          const std::string& mdnsName);
