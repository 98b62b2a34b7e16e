#include "watch/watch_schedule.h"

#include <algorithm>

namespace watch {

Millis TickClock::Extend(uint32_t tick) {
  if (tick < m_lastTick) ++m_wraps;
  m_lastTick = tick;
  return m_wraps << 32 | tick;
}

void WatchSchedule::SwitchOn(Millis now) {
  if (!m_switchedOn) m_switchedOn = now;
}

void WatchSchedule::SwitchOff() { m_switchedOn.reset(); }

void WatchSchedule::NoteSummary(Millis now) { m_latestSummary = now; }

void WatchSchedule::SetInterval(uint32_t seconds) { m_intervalSeconds = seconds; }

std::optional<Millis> WatchSchedule::DueAt() const {
  if (!m_switchedOn) return std::nullopt;
  const Millis from = std::max(*m_switchedOn, m_latestSummary.value_or(0));
  return from + Millis{m_intervalSeconds} * 1000;
}

bool WatchSchedule::IsDue(Millis now) const {
  const std::optional<Millis> due = DueAt();
  return due && now >= *due;
}

bool DueScanWaits(const ScanHolds& holds) {
  return holds.scanRunning || holds.nameEditorOpen || holds.menuOrBoxOpen ||
         (holds.windowInFront && holds.millisSinceInput < kUserAtWindowMillis);
}

}  // namespace watch
