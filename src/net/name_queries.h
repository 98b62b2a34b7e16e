#pragma once
// The two questions a probe asks a device that reverse DNS could not name, and the reading of
// their answers:
//  - NetBIOS node status (NBSTAT) to UDP 137: the device lists its registered names;
//  - a unicast mDNS PTR query for d.c.b.a.in-addr.arpa to UDP 5353, sent from an ephemeral port,
//    which a responder answers by unicast to that port ("legacy unicast").
// A reply counts only when it comes from the target's address and the queried port and carries
// the query's transaction id. The name rules keep what a list row can hold: a row's texts are split
// at line breaks and read back, so a name with a control character is no name.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/dns_wire.h"

namespace names {

constexpr uint16_t kNetbiosPort = 137;
constexpr uint16_t kMdnsPort = 5353;

// What one reply told: whether it was a proper answer to the query, and the name it gave
// (empty: none that the rules keep). A NetBIOS name is code page 936; an mDNS name is the
// answer's target as UTF-8, without ".local." or the final dot.
struct Answer {
  bool answered = false;
  std::string name;
};

// The labels of d.c.b.a.in-addr.arpa for an address in network byte order.
std::vector<std::string> ReverseName(uint32_t address);

dns::Bytes BuildNbstatQuery(uint16_t id);
// address in network byte order; its octets are written in reverse under in-addr.arpa.
dns::Bytes BuildMdnsPtrQuery(uint16_t id, uint32_t address);

// The replies' payloads; id is the query's transaction id. Any malformed reply is not an answer.
Answer ReadNbstatReply(const uint8_t* data, std::size_t size, uint16_t id);
Answer ReadMdnsReply(const uint8_t* data, std::size_t size, uint16_t id, uint32_t address);

// The name rules, applied by the readers (exposed for tests).
// The rule every source's name keeps, reverse DNS included: something is there and no byte is a
// control character (below 0x20, or 0x7F).
bool IsListableName(std::string_view name);
// A NetBIOS name: the 15 name bytes with trailing blanks removed, kept only when something is left
// and it is printable ASCII and whole code page 936 characters (text::IsPrintableText): Windows
// announces the name in its OEM code page, which on Simplified-Chinese systems is 936.
std::string NetbiosNameText(const std::string& raw15);
// An mDNS target: its labels joined by dots, a last label "local" dropped; empty when any byte is
// a control character (below 0x20 or 0x7F), a label is empty or longer than 63 bytes, or nothing
// is left.
std::string MdnsNameText(const std::vector<std::string>& labels);

}  // namespace names
