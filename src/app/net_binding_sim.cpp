// tarnlook-sim.exe scans the simulated LAN: the scenario named by TARNLOOK_SIM_LAN, else the demo.
#include "app/tarnlook_app.h"
#include "sim/simulated_lan.h"

void InstallProgramNetPort() { InstallSimulatedLan(); }
