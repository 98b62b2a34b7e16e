#pragma once
// When the next watch scan is due, and whether a due scan must wait. Times are milliseconds on
// one monotonic clock (see TickClock); the Win32 timer only asks these and, when a scan is due and
// nothing holds it, starts one through the one scan path.
#include <cstdint>
#include <optional>

namespace watch {

using Millis = uint64_t;

// GetTickCount wraps every 49.7 days and GetTickCount64 is missing before Vista: this carries the
// 32-bit tick into 64 bits. Feed it every tick the shell reads, at least once per wrap (the watch
// timer fires far more often).
class TickClock {
 public:
  Millis Extend(uint32_t tick);

 private:
  uint32_t m_lastTick = 0;
  uint64_t m_wraps = 0;
};

// The watch's time line in one run.
class WatchSchedule {
 public:
  // Switching on (also at start-up when the setting is on): the first watch scan is due one
  // interval after this moment or after the latest summary, whichever is later.
  void SwitchOn(Millis now);
  void SwitchOff();
  bool IsWatching() const { return m_switchedOn.has_value(); }

  // Every scan's summary counts, watched or not.
  void NoteSummary(Millis now);
  bool HasSummary() const { return m_latestSummary.has_value(); }

  // A new interval applies from the latest summary: due at once if that time has passed.
  void SetInterval(uint32_t seconds);
  uint32_t IntervalSeconds() const { return m_intervalSeconds; }

  // One interval after the later of the latest summary and the switching on; nothing when not
  // watching.
  std::optional<Millis> DueAt() const;
  bool IsDue(Millis now) const;

 private:
  std::optional<Millis> m_switchedOn;
  std::optional<Millis> m_latestSummary;
  uint32_t m_intervalSeconds = 300;
};

// What can hold a due scan back. Timers fire inside the nested loops of menus and modal boxes, so
// the handler gathers these itself rather than trusting that it runs only when all is quiet.
struct ScanHolds {
  bool scanRunning = false;
  bool nameEditorOpen = false;
  bool menuOrBoxOpen = false;  // a menu, a message box or the About box
  bool windowInFront = false;
  uint32_t millisSinceInput = UINT32_MAX;  // since the computer's last user input
};

// The user at the window within the last minute can re-detect when they want to.
inline constexpr uint32_t kUserAtWindowMillis = 60000;

// Whether a due scan waits: a scan runs, the name editor, a menu or a box is open, or the window is
// in front while the computer had user input within the last minute.
bool DueScanWaits(const ScanHolds& holds);

}  // namespace watch
