#pragma once
// The status labels, the one place their words are spelled. A label appears bare where the row's
// picture and the unknown count look for its words, with one leading line break in a DeviceRecord
// (and so in the stored STATUS), and with two in a list row's status cell.
struct StatusLabel {
  const char* bare;
  const char* record;
  const char* cell;
};

#define TARNLOOK_STATUS_LABEL(words) \
  StatusLabel { words, "\n" words, "\n\n" words }
// A device not yet known: its row offers "mark as known". The sweep's default.
inline constexpr StatusLabel kStatusNotKnown = TARNLOOK_STATUS_LABEL("标记为已知");
// A device the user knows: its row offers "mark as unknown".
inline constexpr StatusLabel kStatusKnown = TARNLOOK_STATUS_LABEL("标记为未知");
// The local computer's row.
inline constexpr StatusLabel kStatusLocal = TARNLOOK_STATUS_LABEL("本机");
#undef TARNLOOK_STATUS_LABEL
