#pragma once
// What resource_probe.dll counts inside the process it is loaded into, written into the named
// mapping kResourceProbeMapping + "<pid>" that e2e_probe made before loading it there.
#include <windows.h>

inline constexpr char kResourceProbeMapping[] = "TarnlookResourceProbe_";

struct ResourceCounts {
  LONG filled;      // 1 once the counts are in
  LONG handles;     // kernel handles (GetHandleInformation over the handle values)
  LONG gdiObjects;  // GetObjectType over the GDI handle table's values
  LONG windows;     // this process's windows, message-only ones included
  LONG menus;       // IsMenu over the USER handle values
  LONG icons;       // icons and cursors (DrawIconEx over the USER handle values)
};
