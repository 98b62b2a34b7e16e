#pragma once
// The watch's two settings, as the application keeps them under its settings key
// (HKEY_CURRENT_USER\Software\<key>\Tarnlook\Watch), and what a stored value counts as.
#include <cstdint>
#include <optional>
#include <string>

namespace watch {

inline constexpr char kSettingsSection[] = "Watch";
inline constexpr char kEnabledEntry[] = "Enabled";
inline constexpr char kIntervalEntry[] = "IntervalSeconds";

inline constexpr uint32_t kDwordType = 4;  // REG_DWORD
inline constexpr uint32_t kDefaultIntervalSeconds = 300;
inline constexpr uint32_t kShortestIntervalSeconds = 10;
inline constexpr uint32_t kLongestIntervalSeconds = 86400;

// A value as the registry holds it: its type and its data bytes (their count is its size).
struct StoredValue {
  uint32_t type = 0;
  std::string bytes;
};
// Nothing when the value, or its key, is missing.
using ReadValue = std::optional<StoredValue>;

// The number a value holds when it is a 4-byte REG_DWORD (little endian, as Windows stores it);
// nothing for any other type or size.
std::optional<uint32_t> StoredDword(const ReadValue& value);

// The interval a stored number stands for: below the shortest counts as the shortest, above the
// longest as the longest.
uint32_t ClampInterval(uint32_t seconds);

struct WatchSettings {
  bool enabled = false;  // any nonzero number is on
  uint32_t intervalSeconds = kDefaultIntervalSeconds;
};

// The settings two read values stand for; a value that is missing or not a 4-byte REG_DWORD
// counts as the default (off, 300 s).
WatchSettings SettingsFrom(const ReadValue& enabled, const ReadValue& interval);

}  // namespace watch
