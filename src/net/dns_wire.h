#pragma once
// The wire form shared by NetBIOS name service and DNS messages: big-endian fields, labelled names
// with compression pointers. Replies come from any device on the LAN, so reading is built to be
// safe on any bytes: every fetch goes through one cursor that checks the datagram's end and keeps
// a sticky error, so a record parser reads as straight-line code and checks Failed() once.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dns {

using Bytes = std::vector<uint8_t>;

// Header fields and record types the name queries use.
constexpr std::size_t kHeaderSize = 12;
constexpr uint16_t kFlagResponse = 0x8000;
constexpr uint16_t kOpcodeMask = 0x7800;
constexpr uint16_t kRcodeMask = 0x000F;
constexpr uint16_t kTypePtr = 12;
constexpr uint16_t kTypeNbstat = 0x21;
constexpr uint16_t kClassIn = 1;
constexpr uint16_t kClassMask = 0x7FFF;  // mDNS uses the top bit as cache-flush / unicast-reply
constexpr std::size_t kMaxLabel = 63;
constexpr std::size_t kMaxNameBytes = 255;  // wire length of a whole name
// A name may jump at most this often; each jump must also land before the last one, so a
// reference loop is impossible twice over.
constexpr int kMaxPointers = 16;

class Reader {
 public:
  Reader(const uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  void Skip(std::size_t count);
  // A name at the cursor, as its labels (raw bytes, no dots); the cursor moves past the name's
  // bytes in place (up to and including its first pointer). Fails on a label type other than
  // plain or pointer, a pointer that does not point before the part of the name that holds it,
  // more than kMaxPointers jumps, more than kMaxNameBytes, or anything past the end.
  std::vector<std::string> Name();

  std::size_t Offset() const { return m_offset; }
  std::size_t Remaining() const { return m_failed ? 0 : m_size - m_offset; }
  bool Failed() const { return m_failed; }
  void Fail() { m_failed = true; }

 private:
  bool Has(std::size_t count) const { return !m_failed && count <= m_size - m_offset; }

  const uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_offset = 0;
  bool m_failed = false;  // once set, every fetch gives 0 and moves nothing
};

// Appends big-endian fields and uncompressed names to a message.
class Writer {
 public:
  void U16(uint16_t value);
  void U32(uint32_t value);
  // labels as given, then the root; no label may exceed kMaxLabel bytes.
  void Name(const std::vector<std::string>& labels);
  void Raw(const Bytes& bytes) { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
  void Byte(uint8_t value) { m_bytes.push_back(value); }
  const Bytes& Data() const { return m_bytes; }

 private:
  Bytes m_bytes;
};

// A message header as the name queries read it.
struct Header {
  uint16_t id = 0, flags = 0, questions = 0, answers = 0, authorities = 0, additionals = 0;
};
Header ReadHeader(Reader& in);
void WriteHeader(Writer& out, const Header& header);

// ASCII case-insensitive comparison of two names' labels, as DNS compares names.
bool SameName(const std::vector<std::string>& a, const std::vector<std::string>& b);

}  // namespace dns
