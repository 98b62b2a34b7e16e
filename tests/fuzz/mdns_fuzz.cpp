// The mDNS PTR reply reader, and the name reader under it, on any bytes: nothing is read past the
// datagram, pointer chains end, and a name it gives keeps the rules.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "net/dns_wire.h"
#include "net/name_queries.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "mdns check failed: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The query was for 192.168.1.23; the reply's own id is taken as the query's.
  const uint8_t octets[4] = {192, 168, 1, 23};
  uint32_t address;
  std::memcpy(&address, octets, 4);
  const uint16_t id = size >= 2 ? static_cast<uint16_t>(data[0] << 8 | data[1]) : 0;
  const names::Answer answer = names::ReadMdnsReply(data, size, id, address);
  Check(answer.name.empty() || answer.answered, "a name only with an answer");
  Check(answer.name.size() < dns::kMaxNameBytes, "a name fits the wire limit");
  for (char c : answer.name) Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, "control");

  // The first name after the header, as the reader of any record meets it: the reader stays
  // inside and moves the cursor forwards.
  {
    const size_t at = dns::kHeaderSize;
    dns::Reader in(data, size);
    in.Skip(at);
    const std::vector<std::string> labels = in.Name();
    if (in.Failed()) return 0;
    Check(in.Offset() > at && in.Offset() <= size, "cursor inside and past the name");
    size_t wire = 1;
    for (const std::string& label : labels) {
      Check(!label.empty() && label.size() <= dns::kMaxLabel, "label length");
      wire += 1 + label.size();
    }
    Check(wire <= dns::kMaxNameBytes, "name length");
  }
  return 0;
}
