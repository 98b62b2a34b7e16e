#pragma once
// Asking a device for its own name when reverse DNS has none: the state of one probe's two
// queries, which replies it accepts, when it may stop waiting and which name it settles on.
//
// Names rank DNS first (the probe asks the device only when the reverse lookup found nothing),
// then mDNS, then NetBIOS. mDNS names are UTF-8 and are converted to code page 936; when a
// character cannot be converted, the NetBIOS name is taken if there is one, else the character
// becomes '?'. The wait ends early once a fully convertible mDNS name is in or both have answered.
#include <cstdint>
#include <string>
#include <vector>

#include "net/dns_wire.h"
#include "platform/net_port.h"

enum class NameSource { kNone, kDns, kMdns, kNetbios };

struct DeviceName {
  std::string name;  // code page 936; empty with kNone
  NameSource source = NameSource::kNone;
};

// A UTF-8 name in code page 936; complete is false when any character became '?' (one that code
// page 936 lacks, one outside the Basic Multilingual Plane, or a byte that is not UTF-8).
struct ConvertedName {
  std::string text;
  bool complete = true;
};
ConvertedName ConvertUtf8Name(const std::string& utf8);

class DeviceNameQuery {
 public:
  // target in network byte order; the two transaction ids are the queries' own.
  DeviceNameQuery(uint32_t target, uint16_t netbiosId, uint16_t mdnsId);

  // The NBSTAT query to UDP 137 and the mDNS PTR query to UDP 5353.
  std::vector<OutgoingDatagram> Queries() const;

  // Hands in one datagram that arrived (from address and port, network byte order for the
  // address, host order for the port). Replies from elsewhere, with another id or malformed are
  // ignored; the first proper answer of each protocol counts. True when the wait may end.
  bool OnReply(uint32_t fromAddress, uint16_t fromPort, const uint8_t* data, std::size_t size);
  bool Done() const;

  // The best name that has arrived; kNone when neither gave one.
  DeviceName Result() const;

 private:
  uint32_t m_target;
  uint16_t m_netbiosId, m_mdnsId;
  bool m_netbiosAnswered = false, m_mdnsAnswered = false;
  std::string m_netbiosName;
  ConvertedName m_mdnsName;
};

// A fresh transaction id, not guessable from the last one.
uint16_t NewTransactionId();

// How long a probe waits for the device's answers. On the test LAN nmbd and avahi-daemon answer in
// under 1 ms, at most 10 ms with the machine loaded, and the emulated 32-bit program adds a few;
// a device in power-saving sleep hears its traffic at a beacon (102.4 ms) or two.
constexpr unsigned kNameWaitMilliseconds = 250;

// Sends both queries to target through net and waits for the answers (sockets already started).
DeviceName AskDeviceForName(NetPort& net, uint32_t target);
