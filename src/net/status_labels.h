#pragma once
// The status labels, the one place their words are spelled. A label appears bare where the row's
// picture and the unknown count look for its words, with one leading line break in a DeviceRecord
// (and so in the stored STATUS), and with two in a list row's status cell. The label offers the
// action, so the state it stands for is spelled apart, for copied device lists.
struct StatusLabel {
  const char* bare;
  const char* record;
  const char* cell;
  const char* state;
};

#define TARNLOOK_STATUS_LABEL(words, state) \
  StatusLabel { words, "\n" words, "\n\n" words, state }
// A device not yet known: its row offers "mark as known". The sweep's default.
inline constexpr StatusLabel kStatusNotKnown = TARNLOOK_STATUS_LABEL("标记为已知", "未知");
// A device the user knows: its row offers "mark as unknown".
inline constexpr StatusLabel kStatusKnown = TARNLOOK_STATUS_LABEL("标记为未知", "已知");
// The local computer's row.
inline constexpr StatusLabel kStatusLocal = TARNLOOK_STATUS_LABEL("本机", "本机");
#undef TARNLOOK_STATUS_LABEL
