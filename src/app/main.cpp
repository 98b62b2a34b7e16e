// The program's entry point.
#include <windows.h>

#include <cstdio>

#include "winlib/win_app.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow) {
  const int exitCode = AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
  // A scan may still be running when the window closes: its probe threads are never cancelled.
  // Ending the process here stops them before any static object they use (the device table, its
  // lock) is destroyed, which returning from WinMain would do while they still run.
  std::fflush(nullptr);
  ::ExitProcess(static_cast<UINT>(exitCode));
}
