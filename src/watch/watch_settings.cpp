#include "watch/watch_settings.h"

#include <algorithm>

namespace watch {

std::optional<uint32_t> StoredDword(const ReadValue& value) {
  if (!value || value->type != kDwordType || value->bytes.size() != 4) return std::nullopt;
  uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value->bytes[i]);
  return number;
}

uint32_t ClampInterval(uint32_t seconds) {
  return std::clamp(seconds, kShortestIntervalSeconds, kLongestIntervalSeconds);
}

WatchSettings SettingsFrom(const ReadValue& enabled, const ReadValue& interval) {
  WatchSettings settings;
  settings.enabled = StoredDword(enabled).value_or(0) != 0;
  settings.intervalSeconds = ClampInterval(StoredDword(interval).value_or(kDefaultIntervalSeconds));
  return settings;
}

}  // namespace watch
