#pragma once
// Starting a scan from the main dialog.
//
// Before StartScan the caller establishes: g_bSweepDone is 0, g_deviceTable is empty, the list has
// no rows, items 1000, 1004, 1005, 1006 are hidden and item 1001 shows the progress text
// (ResetScanState does the first two). The re-detect button stays hidden until the summary is
// shown, so only one scan runs at a time.

// Clears g_bSweepDone, g_deviceTable and a pending sweep wake-up. Only while no scan runs.
void ResetScanState();

// Starts the sweep launcher, then the list builder, through the thread port, and returns at once
// without waiting for them (the user-interface thread must never wait for a scan). list is handed
// to both thread procedures, which ignore it. True when both threads started.
bool StartScan(void* list);
