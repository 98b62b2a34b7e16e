#pragma once
// What the device list tells beyond its cells: the maker of a row's network card in a tooltip, and
// a row or the whole list as text to copy. Every row is read through the read-back that marking
// uses (ReadDeviceRow); nothing here changes a row.
#include <string>
#include <vector>

#include "ui/core/device_marking.h"

// The tooltip for a MAC text: "厂商：<maker>", "厂商：未知" when no prefix matches, or the private
// address notice for a locally administered address.
std::string MakerTipText(const std::string& macText);

// The tooltip of a list row: the maker, then, when the row's name is the one this scan found for
// the device, a line naming its source ("名称来源：DNS", "名称来源：mDNS" or "名称来源：NetBIOS").
// Empty for a row the list does not have (no tooltip shows).
std::string DeviceTipText(DeviceRows& rows, int rowCount, int row);

// The commands of the device list's context menu, in menu order.
enum class CopyCommand { kMacAddress, kIpAddress, kHostName, kAllDevices };
struct CopyMenuItem {
  CopyCommand command;
  const char* label;  // with its access key
};
extern const CopyMenuItem kCopyMenu[4];

// The copy entries the menu opens with for row: all four on a row the list has; off the rows (or
// for the menu key with no row selected) only 复制全部设备.
std::vector<CopyMenuItem> CopyMenuItemsFor(int rowCount, int row);

// The text a command puts on the clipboard. One row's MAC, IP or host name; or every row, one
// line each after a header line: host name, MAC, IP, state (本机/已知/未知) and maker, separated
// by tabs, lines ended by CR LF.
std::string CopiedText(DeviceRows& rows, int rowCount, int row, CopyCommand command);
