#include "ui/core/device_details.h"

#include <iterator>

#include "maker/maker_lookup.h"
#include "net/name_sources.h"
#include "net/row_texts.h"
#include "net/status_labels.h"
#include "text/cp936.h"

const CopyMenuItem kCopyMenu[4] = {
    {CopyCommand::kMacAddress, "复制 MAC 地址(&M)"},
    {CopyCommand::kIpAddress, "复制 IP 地址(&I)"},
    {CopyCommand::kHostName, "复制主机名(&N)"},
    {CopyCommand::kAllDevices, "复制全部设备(&A)"},
};

namespace {

const char kUnknownMaker[] = "未知";

bool IsListedRow(int rowCount, int row) { return row >= 0 && row < rowCount; }

std::string MacOf(const DeviceRecord& record) { return std::string(text::Trim(record.macText)); }

// The maker a registered address names, or "unknown" when no prefix matches.
std::string MakerName(const maker::MakerMatch& match) {
  return match.name.empty() ? kUnknownMaker : match.name;
}

// The maker as a word for the copied list.
std::string MakerWord(const std::string& macText) {
  const maker::MakerMatch match = maker::LookUpMaker(macText);
  if (match.origin == maker::MacOrigin::kPrivate) return "随机 MAC 地址";
  return MakerName(match);
}

// The state a status cell stands for; the local computer's label first, as it is no marking.
const char* StateWord(const std::string& statusCell) {
  if (text::Contains(statusCell, kStatusLocal.bare)) return kStatusLocal.state;
  if (IsMarkedUnknown(statusCell)) return kStatusNotKnown.state;
  if (text::Contains(statusCell, kStatusKnown.bare)) return kStatusKnown.state;
  return "";
}

// The tooltip line naming where the row's name came from; none for a name the scan did not find
// (the placeholder, a stored or a typed name).
const char* NameSourceLine(NameSource source) {
  switch (source) {
    case NameSource::kDns: return "名称来源：DNS";
    case NameSource::kMdns: return "名称来源：mDNS";
    case NameSource::kNetbios: return "名称来源：NetBIOS";
    case NameSource::kNone: break;
  }
  return nullptr;
}

std::string DeviceLine(DeviceRows& rows, int row) {
  const DeviceRecord record = ReadDeviceRow(rows, row);
  const std::string mac = MacOf(record);
  return record.hostName + "\t" + mac + "\t" + IpTextFromCell(rows.CellText(row, 1)) + "\t" +
         StateWord(record.statusLabel) + "\t" + MakerWord(mac) + "\r\n";
}

}  // namespace

std::string MakerTipText(const std::string& macText) {
  const maker::MakerMatch match = maker::LookUpMaker(macText);
  if (match.origin == maker::MacOrigin::kPrivate) {
    return "随机 MAC 地址（手机、平板等设备的隐私地址，无法识别厂商）";
  }
  return "厂商：" + MakerName(match);
}

std::vector<CopyMenuItem> CopyMenuItemsFor(int rowCount, int row) {
  if (IsListedRow(rowCount, row)) return {std::begin(kCopyMenu), std::end(kCopyMenu)};
  return {kCopyMenu[3]};
}

std::string DeviceTipText(DeviceRows& rows, int rowCount, int row) {
  if (!IsListedRow(rowCount, row)) return std::string();
  const DeviceRecord record = ReadDeviceRow(rows, row);
  std::string tip = MakerTipText(MacOf(record));
  const std::string ipText = IpTextFromCell(rows.CellText(row, 1));
  if (const char* line = NameSourceLine(NameSourceOf(ipText, record.macText, record.hostName))) {
    tip += "\r\n";
    tip += line;
  }
  return tip;
}

std::string CopiedText(DeviceRows& rows, int rowCount, int row, CopyCommand command) {
  if (command == CopyCommand::kAllDevices) {
    std::string all = "主机名\tMAC地址\tIP地址\t状态\t厂商\r\n";
    for (int r = 0; r < rowCount; ++r) all += DeviceLine(rows, r);
    return all;
  }
  if (!IsListedRow(rowCount, row)) return std::string();
  switch (command) {
    case CopyCommand::kMacAddress: return MacOf(ReadDeviceRow(rows, row));
    case CopyCommand::kIpAddress: return IpTextFromCell(rows.CellText(row, 1));
    case CopyCommand::kHostName: return ReadDeviceRow(rows, row).hostName;
    case CopyCommand::kAllDevices: break;
  }
  return std::string();
}
