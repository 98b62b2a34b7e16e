#include "sim/name_responder.h"

#include "net/name_queries.h"

namespace {

dns::Header ResponseHeader(uint16_t id, uint16_t questions) {
  dns::Header h;
  h.id = id;
  h.flags = dns::kFlagResponse | 0x0400;  // authoritative answer
  h.questions = questions;
  h.answers = 1;
  return h;
}

}  // namespace

dns::Bytes NbstatReply(uint16_t id, const std::vector<NetbiosEntry>& entries) {
  dns::Writer out;
  dns::WriteHeader(out, ResponseHeader(id, 0));
  const dns::Bytes query = names::BuildNbstatQuery(0);
  // The record's owner is the question's name: the 34 bytes after the query's header.
  out.Raw(dns::Bytes(query.begin() + dns::kHeaderSize, query.begin() + dns::kHeaderSize + 34));
  out.U16(dns::kTypeNbstat);
  out.U16(dns::kClassIn);
  out.U32(0);
  out.U16(static_cast<uint16_t>(1 + 18 * entries.size() + 46));
  out.Byte(static_cast<uint8_t>(entries.size()));
  for (const NetbiosEntry& e : entries) {
    std::string padded = e.name.substr(0, 15);
    padded.resize(15, ' ');
    out.Raw(dns::Bytes(padded.begin(), padded.end()));
    out.Byte(e.suffix);
    out.U16(static_cast<uint16_t>((e.group ? 0x8000 : 0) | 0x0400));  // active
  }
  out.Raw(dns::Bytes(46, 0));
  return out.Data();
}

dns::Bytes MdnsPtrReply(uint16_t id, uint32_t address, const std::string& hostLabel) {
  dns::Writer out;
  dns::WriteHeader(out, ResponseHeader(id, 1));
  out.Name(names::ReverseName(address));
  out.U16(dns::kTypePtr);
  out.U16(dns::kClassIn);
  out.Byte(0xC0);  // the answer's owner: the question's name
  out.Byte(dns::kHeaderSize);
  out.U16(dns::kTypePtr);
  out.U16(dns::kClassIn);
  out.U32(10);  // legacy unicast replies carry a short time to live
  dns::Writer target;
  target.Name({hostLabel, "local"});
  out.U16(static_cast<uint16_t>(target.Data().size()));
  out.Raw(target.Data());
  return out.Data();
}

std::optional<dns::Bytes> AnswerNameQuery(uint16_t port, const dns::Bytes& query, uint32_t address,
                                          const std::string& netbiosName,
                                          const std::string& mdnsName) {
  dns::Reader in(query.data(), query.size());
  const dns::Header h = dns::ReadHeader(in);
  const std::vector<std::string> name = in.Name();
  const uint16_t type = in.U16();
  if (in.Failed() || (h.flags & dns::kFlagResponse) || h.questions != 1) return std::nullopt;
  if (port == names::kNetbiosPort && !netbiosName.empty() && type == dns::kTypeNbstat)
    return NbstatReply(h.id, {{netbiosName, 0x00, false}, {"WORKGROUP", 0x00, true}});
  if (port == names::kMdnsPort && !mdnsName.empty() && type == dns::kTypePtr &&
      dns::SameName(name, names::ReverseName(address)))
    return MdnsPtrReply(h.id, address, mdnsName);
  return std::nullopt;
}
