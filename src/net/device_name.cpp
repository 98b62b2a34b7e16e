#include "net/device_name.h"

#include <chrono>
#include <mutex>
#include <random>

#include "net/name_queries.h"
#include "platform/code_page_port.h"

namespace {

// Length of the valid UTF-8 character at s[at], or 0 when the bytes there are not one (overlong
// forms, surrogates and code points above U+10FFFF are not).
std::size_t Utf8CharAt(const std::string& s, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[at + i]); };
  const unsigned char lead = byte(0);
  std::size_t length;
  uint32_t cp;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2, cp = lead & 0x1F;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3, cp = lead & 0x0F;
  else if (lead >= 0xF0 && lead <= 0xF4)
    length = 4, cp = lead & 0x07;
  else
    return 0;
  if (length > s.size() - at) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return 0;
    cp = cp << 6 | (byte(i) & 0x3F);
  }
  const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
  if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
  return length;
}

}  // namespace

ConvertedName ConvertUtf8Name(const std::string& utf8) {
  // Code page 936 has nothing outside the Basic Multilingual Plane, and the systems disagree on
  // how many '?' a surrogate pair becomes, so such characters and stray bytes are replaced here,
  // one '?' each, and the port sees only valid characters it may know.
  ConvertedName result;
  std::string clean;
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = Utf8CharAt(utf8, at);
    if (length == 0 || length == 4) {
      clean += '?';
      result.complete = false;
      at += length ? length : 1;
    } else {
      clean.append(utf8, at, length);
      at += length;
    }
  }
  bool usedDefault = false;
  result.text = Utf8ToCp936(clean, usedDefault);
  if (usedDefault) result.complete = false;
  return result;
}

DeviceNameQuery::DeviceNameQuery(uint32_t target, uint16_t netbiosId, uint16_t mdnsId)
    : m_target(target), m_netbiosId(netbiosId), m_mdnsId(mdnsId) {}

std::vector<OutgoingDatagram> DeviceNameQuery::Queries() const {
  return {{names::kNetbiosPort, names::BuildNbstatQuery(m_netbiosId)},
          {names::kMdnsPort, names::BuildMdnsPtrQuery(m_mdnsId, m_target)}};
}

bool DeviceNameQuery::OnReply(uint32_t fromAddress, uint16_t fromPort, const uint8_t* data,
                              std::size_t size) {
  if (fromAddress != m_target) return Done();
  if (fromPort == names::kNetbiosPort && !m_netbiosAnswered) {
    const names::Answer answer = names::ReadNbstatReply(data, size, m_netbiosId);
    m_netbiosAnswered = answer.answered;
    m_netbiosName = answer.name;
  } else if (fromPort == names::kMdnsPort && !m_mdnsAnswered) {
    const names::Answer answer = names::ReadMdnsReply(data, size, m_mdnsId, m_target);
    m_mdnsAnswered = answer.answered;
    if (!answer.name.empty()) m_mdnsName = ConvertUtf8Name(answer.name);
  }
  return Done();
}

bool DeviceNameQuery::Done() const {
  const bool fullMdnsName = !m_mdnsName.text.empty() && m_mdnsName.complete;
  return fullMdnsName || (m_netbiosAnswered && m_mdnsAnswered);
}

DeviceName DeviceNameQuery::Result() const {
  if (!m_mdnsName.text.empty() && (m_mdnsName.complete || m_netbiosName.empty()))
    return {m_mdnsName.text, NameSource::kMdns};
  if (!m_netbiosName.empty()) return {m_netbiosName, NameSource::kNetbios};
  return {};
}

uint16_t NewTransactionId() {
  static std::mutex mutex;
  // Seeded from the system and the clock: some runtimes give a fixed random_device sequence.
  static std::mt19937 generator{
      std::random_device{}() ^
      static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
  std::lock_guard<std::mutex> lock(mutex);
  return static_cast<uint16_t>(generator());
}

DeviceName AskDeviceForName(NetPort& net, uint32_t target) {
  DeviceNameQuery query(target, NewTransactionId(), NewTransactionId());
  net.ExchangeDatagrams(
      target, query.Queries(), kNameWaitMilliseconds,
      [&query](uint32_t from, uint16_t port, const uint8_t* data, std::size_t size) {
        return query.OnReply(from, port, data, size);
      });
  return query.Result();
}
