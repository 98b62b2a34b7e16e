#pragma once
// CTarnlookApp: initialises the common controls, keeps the program to one instance and runs the
// main dialog modally. A second start brings the running window forward and ends.
#include "app/single_instance_guard.h"
#include "winlib/win_app.h"

class CTarnlookApp : public CWinApp {
 public:
  CTarnlookApp();
  ~CTarnlookApp() override;

  // Always FALSE: the dialog has ended (or this was a second start), so no message loop follows.
  BOOL InitInstance() override;
  // Closes the mapping and releases the mutex; 0 is the process's exit code.
  int ExitInstance() override;

  SingleInstanceGuard m_guard;
};

extern CTarnlookApp theApp;

// The net port of this program: IP Helper and Windows Sockets in tarnlook.exe, the simulated LAN
// in tarnlook-sim.exe (one of app/net_binding_*.cpp is linked).
void InstallProgramNetPort();
