// tarnlook.exe scans the real network through IP Helper and Windows Sockets.
#include "app/tarnlook_app.h"
#include "platform/net_port.h"

void InstallProgramNetPort() { InstallWin32NetPort(); }
