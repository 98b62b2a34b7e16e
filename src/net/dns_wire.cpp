#include "net/dns_wire.h"

namespace dns {

uint8_t Reader::U8() {
  if (!Has(1)) return Fail(), 0;
  return m_data[m_offset++];
}

uint16_t Reader::U16() {
  if (!Has(2)) return Fail(), 0;
  const uint16_t value = static_cast<uint16_t>(m_data[m_offset] << 8 | m_data[m_offset + 1]);
  m_offset += 2;
  return value;
}

uint32_t Reader::U32() {
  const uint32_t high = U16();
  return high << 16 | U16();
}

void Reader::Skip(std::size_t count) {
  if (!Has(count)) return Fail();
  m_offset += count;
}

std::vector<std::string> Reader::Name() {
  std::vector<std::string> labels;
  if (m_failed) return labels;
  // Invariants: at < m_size before every read of a length byte; a pointer must land before
  // `limit`, the start of the run of labels it ends, so every jump goes strictly backwards.
  std::size_t at = m_offset;
  std::size_t limit = m_offset;
  std::size_t resume = 0;  // where the cursor continues: after the first pointer, if any
  std::size_t wire = 1;    // bytes the name would take uncompressed, the root included
  int jumps = 0;
  for (;;) {
    if (at >= m_size) return Fail(), labels;
    const uint8_t length = m_data[at];
    if (length == 0) {
      ++at;
      break;
    }
    if ((length & 0xC0) == 0xC0) {
      if (at + 1 >= m_size) return Fail(), labels;
      const std::size_t target = static_cast<std::size_t>(length & 0x3F) << 8 | m_data[at + 1];
      if (target >= limit || ++jumps > kMaxPointers) return Fail(), labels;
      if (jumps == 1) resume = at + 2;
      at = limit = target;
      continue;
    }
    if (length & 0xC0) return Fail(), labels;  // 0x40 and 0x80: label types nobody sends
    wire += 1u + length;
    if (wire > kMaxNameBytes || length >= m_size - at) return Fail(), labels;
    labels.emplace_back(reinterpret_cast<const char*>(m_data + at + 1), length);
    at += 1u + length;
  }
  m_offset = jumps ? resume : at;
  return labels;
}

void Writer::U16(uint16_t value) {
  m_bytes.push_back(static_cast<uint8_t>(value >> 8));
  m_bytes.push_back(static_cast<uint8_t>(value));
}

void Writer::U32(uint32_t value) {
  U16(static_cast<uint16_t>(value >> 16));
  U16(static_cast<uint16_t>(value));
}

void Writer::Name(const std::vector<std::string>& labels) {
  for (const std::string& label : labels) {
    const std::size_t length = label.size() < kMaxLabel ? label.size() : kMaxLabel;
    m_bytes.push_back(static_cast<uint8_t>(length));
    m_bytes.insert(m_bytes.end(), label.begin(), label.begin() + static_cast<long>(length));
  }
  m_bytes.push_back(0);
}

Header ReadHeader(Reader& in) {
  Header h;
  h.id = in.U16();
  h.flags = in.U16();
  h.questions = in.U16();
  h.answers = in.U16();
  h.authorities = in.U16();
  h.additionals = in.U16();
  return h;
}

void WriteHeader(Writer& out, const Header& h) {
  for (uint16_t field : {h.id, h.flags, h.questions, h.answers, h.authorities, h.additionals})
    out.U16(field);
}

bool SameName(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].size() != b[i].size()) return false;
    for (std::size_t k = 0; k < a[i].size(); ++k) {
      char x = a[i][k], y = b[i][k];
      if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
      if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
      if (x != y) return false;
    }
  }
  return true;
}

}  // namespace dns
