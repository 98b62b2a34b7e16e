// resource_probe.dll: loaded into a running program by e2e_probe (CreateRemoteThread on
// LoadLibraryA), it counts the program's kernel handles, GDI and USER objects from inside, where
// Wine answers for them (GetGuiResources and GetProcessHandleCount read 0 there), writes the counts
// into e2e_probe's mapping and refuses to stay loaded, so nothing of it remains in the program.
//
// Wine accepts a GDI or USER handle by its low 16 bits alone (the form 16-bit programs use), so
// every value of the tables' range is probed: each GDI value once, USER values from 0x20 in steps
// of 2 (an odd value names the same object as the even one below it). Kernel handles are
// multiples of 4, handed out lowest first, so that probe stops after a long run of free values.
#include <windows.h>

#include <cstdio>

#include "resource_probe.h"

namespace {

constexpr UINT_PTR kHandleStep = 4;
constexpr UINT_PTR kFreeRunToStop = 16384;  // handle values in a row without a handle
constexpr UINT_PTR kTableValues = 0x10000;  // GDI and USER handles: 16-bit table indices
constexpr UINT_PTR kFirstUserValue = 0x20, kUserStep = 2;

LONG CountKernelHandles() {
  LONG count = 0;
  UINT_PTR free = 0;
  for (UINT_PTR value = kHandleStep; free < kFreeRunToStop; value += kHandleStep) {
    DWORD flags = 0;
    if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
      ++count;
      free = 0;
    } else {
      free += kHandleStep;
    }
  }
  return count;
}

LONG CountGdiObjects() {
  LONG count = 0;
  for (UINT_PTR value = 1; value < kTableValues; ++value)
    count += ::GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0;
  return count;
}

struct WindowCount {
  DWORD pid;
  LONG count;
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
  ++reinterpret_cast<WindowCount*>(param)->count;
  return TRUE;
}

void CountOwnWindow(HWND window, WindowCount& windows) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != windows.pid) return;
  ++windows.count;
  ::EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&windows));
}

LONG CountWindows() {
  WindowCount windows = {::GetCurrentProcessId(), 0};
  ::EnumWindows(
      [](HWND window, LPARAM param) CALLBACK -> BOOL {
        CountOwnWindow(window, *reinterpret_cast<WindowCount*>(param));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  for (HWND window = nullptr; (window = ::FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr));)
    CountOwnWindow(window, windows);
  return windows.count;
}

void CountUserObjects(ResourceCounts& counts) {
  // DrawIconEx needs a device context: made only after the GDI count.
  HDC dc = ::CreateCompatibleDC(nullptr);
  for (UINT_PTR value = kFirstUserValue; value < kTableValues; value += kUserStep) {
    counts.menus += ::IsMenu(reinterpret_cast<HMENU>(value)) != FALSE;
    counts.icons += ::DrawIconEx(dc, 0, 0, reinterpret_cast<HICON>(value), 1, 1, 0, nullptr,
                                 DI_NORMAL) != FALSE;
  }
  ::DeleteDC(dc);
  counts.windows = CountWindows();
}

void Report() {
  ResourceCounts counts = {};
  counts.handles = CountKernelHandles();  // first: the mapping below adds one
  counts.gdiObjects = CountGdiObjects();
  CountUserObjects(counts);
  counts.filled = 1;
  char name[64];
  std::snprintf(name, sizeof name, "%s%lu", kResourceProbeMapping, ::GetCurrentProcessId());
  HANDLE mapping = ::OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
  if (!mapping) return;
  if (void* view = ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof counts)) {
    ::CopyMemory(view, &counts, sizeof counts);
    ::UnmapViewOfFile(view);
  }
  ::CloseHandle(mapping);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  Report();
  return FALSE;  // the loader unloads the probe again
}
