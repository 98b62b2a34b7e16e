#pragma once
// What the watch says: the tray icon's tooltip, the balloon for a scan's new devices and the
// debug-output line for each of them. Texts are code page 936, cut to the fields of the shell's
// notify-icon structure (NOTIFYICONDATAA) on a character boundary.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "net/device_record.h"

namespace watch {

// The fields' sizes in bytes, terminator included.
inline constexpr std::size_t kTipField = 128;       // szTip
inline constexpr std::size_t kInfoTitleField = 64;  // szInfoTitle
inline constexpr std::size_t kInfoField = 256;      // szInfo

// The longest prefix of text made of whole characters that fits a field of fieldBytes with its
// terminator.
std::string CutToField(const std::string& text, std::size_t fieldBytes);

// "Tarnlook 正在监视您的局域网：N 个未知设备", N from the latest summary; before the first
// summary "Tarnlook 正在监视您的局域网". Cut to szTip.
std::string WatchTip(std::optional<int> unknownCount);

struct BalloonText {
  std::string title;  // cut to szInfoTitle
  std::string text;   // cut to szInfo
};

// The balloon for a scan's new devices (at least one), in row order. One device: its name, then
// "IP：<ip>  MAC：<mac>", then the maker line of its tooltip. Several: "发现 N 台新的未知设备" and
// the first three as "<host name>  <ip>" a line, then "……" when there are more.
BalloonText AlertBalloon(const std::vector<DeviceRecord>& alerts);

// "发现新的未知设备：<mac> <ip> <host name>\n", one for each new device.
std::string AlertDebugLine(const DeviceRecord& device);

}  // namespace watch
