#include "net/row_texts.h"

#include "text/cp936.h"

const char* const kUnknownHostName = "未知主机名";

std::string HostCellText(const std::string& hostName) {
  return "\n当前电脑\n\n主机名: " + hostName;
}

std::string AddressCellText(const std::string& macText, const std::string& ipText) {
  return "\nMAC地址:" + macText + "\n\nIP地址: " + ipText;
}

std::string StatusCellText(const std::string& statusLabel) { return "\n" + statusLabel; }

bool IsMarkedUnknown(const std::string& statusText) {
  return text::Contains(statusText, kStatusNotKnown.bare);
}

std::string HostNameFromCell(const std::string& column0) {
  // The last (length - p - 2) bytes, p the first colon or -1; nothing when that is not positive.
  const std::size_t colon = text::FindChar(column0, ':');
  const long long p = colon == std::string::npos ? -1 : static_cast<long long>(colon);
  const long long keep = static_cast<long long>(column0.size()) - p - 2;
  if (keep <= 0) return std::string();
  return column0.substr(column0.size() - static_cast<std::size_t>(keep));
}

std::string IpTextFromCell(const std::string& column1) {
  static const std::string kLabel = "IP地址:";
  const std::size_t at = text::Find(column1, kLabel);
  if (at == std::string::npos) return std::string();
  return std::string(text::Trim(std::string_view(column1).substr(at + kLabel.size())));
}

DeviceRecord ReadRowBack(const std::string& column0, const std::string& column1,
                         const std::string& column2) {
  DeviceRecord record;
  record.hostName = HostNameFromCell(column0);

  const std::size_t ip = text::FindChar(column1, 'I');
  const std::string head = ip == std::string::npos ? std::string() : column1.substr(0, ip);
  const std::size_t colon = text::FindChar(head, ':');
  record.macText = colon == std::string::npos ? head : head.substr(colon + 1);

  record.statusLabel = column2;
  return record;
}
