#pragma once
// The watch's menu entries: the switch (system menu, list menu, tray menu) and the tray menu's
// other items, with the interval choices and which of them is checked.
#include <cstdint>

namespace watch {

inline constexpr char kWatchSwitchItem[] = "后台监视新设备(&W)";  // checked while watching
// The tray menu, in order: open (the default item), scan now, the interval submenu, the switch,
// a separator, exit.
inline constexpr char kTrayOpenItem[] = "打开 Tarnlook";
inline constexpr char kTrayScanNowItem[] = "立即检测";
inline constexpr char kTrayIntervalMenu[] = "监视间隔";
inline constexpr char kTrayExitItem[] = "退出";

struct IntervalChoice {
  uint32_t seconds;
  const char* label;
};
inline constexpr IntervalChoice kIntervalChoices[] = {
    {60, "1 分钟"}, {300, "5 分钟"}, {900, "15 分钟"}, {1800, "30 分钟"}, {3600, "60 分钟"}};
inline constexpr int kIntervalChoiceCount = sizeof kIntervalChoices / sizeof kIntervalChoices[0];

// The index of the choice to check for the interval in use, or -1 when it is none of them (an
// interval stored by hand).
int CheckedIntervalChoice(uint32_t intervalSeconds);

}  // namespace watch
