#include "net/name_queries.h"

#include "text/cp936.h"

namespace names {

namespace {

constexpr std::size_t kNetbiosNameBytes = 16;  // 15 name bytes and the suffix
constexpr std::size_t kNodeNameEntry = 18;     // name, suffix, 2 flag bytes
constexpr uint16_t kGroupName = 0x8000;        // NAME_FLAGS: a group, not a unique name
constexpr uint8_t kWorkstationSuffix = 0x00;

// "*" padded with zero bytes, in the NetBIOS first-level encoding: each nibble as 'A' + nibble.
std::string WildcardName() {
  std::string encoded;
  for (std::size_t i = 0; i < kNetbiosNameBytes; ++i) {
    const uint8_t byte = i == 0 ? '*' : 0;
    encoded += static_cast<char>('A' + (byte >> 4));
    encoded += static_cast<char>('A' + (byte & 0x0F));
  }
  return encoded;
}

dns::Bytes Query(uint16_t id, const std::vector<std::string>& name, uint16_t type) {
  dns::Writer out;
  dns::Header header;
  header.id = id;
  header.questions = 1;
  dns::WriteHeader(out, header);
  out.Name(name);
  out.U16(type);
  out.U16(dns::kClassIn);
  return out.Data();
}

// The header of a reply to query id, read; false unless it is a response to a standard query
// without an error code.
bool IsReplyTo(const dns::Header& h, uint16_t id) {
  return h.id == id && (h.flags & dns::kFlagResponse) && (h.flags & dns::kOpcodeMask) == 0 &&
         (h.flags & dns::kRcodeMask) == 0;
}

struct Record {
  std::vector<std::string> owner;
  uint16_t type = 0, klass = 0;
  std::size_t dataOffset = 0;
  uint16_t dataLength = 0;
};

// A record's fixed part; the cursor ends after its data.
Record ReadRecord(dns::Reader& in) {
  Record r;
  r.owner = in.Name();
  r.type = in.U16();
  r.klass = in.U16();
  in.U32();  // time to live
  r.dataLength = in.U16();
  r.dataOffset = in.Offset();
  in.Skip(r.dataLength);
  return r;
}

void SkipQuestions(dns::Reader& in, uint16_t count) {
  for (uint16_t i = 0; i < count && !in.Failed(); ++i) {
    in.Name();
    in.Skip(4);  // type, class
  }
}

}  // namespace

bool IsListableName(std::string_view name) {
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return !name.empty();
}

std::vector<std::string> ReverseName(uint32_t address) {
  const auto* octet = reinterpret_cast<const uint8_t*>(&address);
  return {std::to_string(octet[3]),
          std::to_string(octet[2]),
          std::to_string(octet[1]),
          std::to_string(octet[0]),
          "in-addr",
          "arpa"};
}

dns::Bytes BuildNbstatQuery(uint16_t id) { return Query(id, {WildcardName()}, dns::kTypeNbstat); }

dns::Bytes BuildMdnsPtrQuery(uint16_t id, uint32_t address) {
  return Query(id, ReverseName(address), dns::kTypePtr);
}

std::string NetbiosNameText(const std::string& raw15) {
  std::size_t end = raw15.size();
  while (end > 0 && raw15[end - 1] == ' ') --end;
  const std::string name = raw15.substr(0, end);
  return text::IsPrintableText(name) ? name : std::string();
}

std::string MdnsNameText(const std::vector<std::string>& labels) {
  std::size_t count = labels.size();
  if (count > 0 && dns::SameName({labels[count - 1]}, {"local"})) --count;
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& label = labels[i];
    if (!IsListableName(label) || label.size() > dns::kMaxLabel) return std::string();
    if (i) text += '.';
    text += label;
  }
  return text;
}

Answer ReadNbstatReply(const uint8_t* data, std::size_t size, uint16_t id) {
  Answer answer;
  dns::Reader in(data, size);
  const dns::Header h = dns::ReadHeader(in);
  if (in.Failed() || !IsReplyTo(h, id) || h.answers == 0) return answer;
  SkipQuestions(in, h.questions);
  const Record r = ReadRecord(in);
  if (in.Failed() || r.type != dns::kTypeNbstat || r.klass != dns::kClassIn) return answer;

  // The node status data: a count, then that many 18-byte entries, then statistics we ignore.
  dns::Reader node(data + r.dataOffset, r.dataLength);
  const uint8_t count = node.U8();
  if (node.Failed() || count * kNodeNameEntry > node.Remaining()) return answer;
  answer.answered = true;
  for (uint8_t i = 0; i < count; ++i) {
    const std::size_t at = node.Offset();
    node.Skip(kNetbiosNameBytes);
    const uint16_t flags = node.U16();
    const std::string entry(reinterpret_cast<const char*>(data + r.dataOffset + at),
                            kNetbiosNameBytes);
    if (node.Failed()) break;
    if ((flags & kGroupName) || static_cast<uint8_t>(entry[15]) != kWorkstationSuffix) continue;
    answer.name = NetbiosNameText(entry.substr(0, 15));
    break;  // the first unique workstation name decides, usable or not
  }
  return answer;
}

Answer ReadMdnsReply(const uint8_t* data, std::size_t size, uint16_t id, uint32_t address) {
  Answer answer;
  dns::Reader in(data, size);
  const dns::Header h = dns::ReadHeader(in);
  if (in.Failed() || !IsReplyTo(h, id)) return answer;
  SkipQuestions(in, h.questions);
  if (in.Failed()) return answer;
  answer.answered = true;

  const std::vector<std::string> asked = ReverseName(address);
  for (uint16_t i = 0; i < h.answers; ++i) {
    const Record r = ReadRecord(in);
    if (in.Failed()) break;
    if (r.type != dns::kTypePtr || (r.klass & dns::kClassMask) != dns::kClassIn ||
        !dns::SameName(r.owner, asked))
      continue;
    // The target may point anywhere before it in the message, but its own bytes must fill the
    // record's data exactly.
    dns::Reader target(data, r.dataOffset + r.dataLength);
    target.Skip(r.dataOffset);
    const std::vector<std::string> labels = target.Name();
    if (target.Failed() || target.Offset() != r.dataOffset + r.dataLength) break;
    answer.name = MdnsNameText(labels);
    break;
  }
  return answer;
}

}  // namespace names
