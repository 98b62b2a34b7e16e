// The NetBIOS node status reader on any bytes: it must never read past the datagram, and a name it
// gives must keep the rules (no control byte, whole code page 936 characters, no trailing blank, at
// most 15 bytes).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "net/name_queries.h"
#include "text/cp936.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The reply's own id is the query's, so the reader gets past the header and into the records.
  const uint16_t id = size >= 2 ? static_cast<uint16_t>(data[0] << 8 | data[1]) : 0;
  const names::Answer answer = names::ReadNbstatReply(data, size, id);
  bool ok = answer.name.size() <= 15 && (answer.name.empty() || answer.answered) &&
            (answer.name.empty() || answer.name.back() != ' ');
  ok = ok && text::WholeCharPrefix(answer.name, 15) == answer.name.size();
  for (char c : answer.name) ok = ok && static_cast<unsigned char>(c) >= 0x20 && c != 0x7F;
  if (!ok) {
    std::fprintf(stderr, "nbstat reader broke a name rule\n");
    std::abort();
  }
  return 0;
}
