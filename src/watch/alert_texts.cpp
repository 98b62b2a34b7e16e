#include "watch/alert_texts.h"

#include "text/cp936.h"
#include "ui/core/device_details.h"

namespace watch {

namespace {

constexpr std::size_t kListedInBalloon = 3;

std::string MacOf(const DeviceRecord& device) { return std::string(text::Trim(device.macText)); }

}  // namespace

std::string CutToField(const std::string& text, std::size_t fieldBytes) {
  if (fieldBytes == 0) return std::string();
  return text.substr(0, text::WholeCharPrefix(text, fieldBytes - 1));
}

std::string WatchTip(std::optional<int> unknownCount) {
  std::string tip = "Tarnlook 正在监视您的局域网";
  if (unknownCount) tip += "：" + std::to_string(*unknownCount) + " 个未知设备";
  return CutToField(tip, kTipField);
}

BalloonText AlertBalloon(const std::vector<DeviceRecord>& alerts) {
  BalloonText balloon;
  if (alerts.size() == 1) {
    const DeviceRecord& device = alerts.front();
    const std::string mac = MacOf(device);
    balloon.title = "发现新的未知设备";
    balloon.text =
        device.hostName + "\nIP：" + device.ipText + "  MAC：" + mac + "\n" + MakerTipText(mac);
  } else if (!alerts.empty()) {
    balloon.title = "发现 " + std::to_string(alerts.size()) + " 台新的未知设备";
    for (std::size_t i = 0; i < alerts.size() && i < kListedInBalloon; ++i) {
      if (i) balloon.text += "\n";
      balloon.text += alerts[i].hostName + "  " + alerts[i].ipText;
    }
    if (alerts.size() > kListedInBalloon) balloon.text += "\n……";
  }
  balloon.title = CutToField(balloon.title, kInfoTitleField);
  balloon.text = CutToField(balloon.text, kInfoField);
  return balloon;
}

std::string AlertDebugLine(const DeviceRecord& device) {
  return "发现新的未知设备：" + MacOf(device) + " " + device.ipText + " " + device.hostName + "\n";
}

}  // namespace watch
