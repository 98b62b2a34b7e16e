#pragma once
// Starting a scan from the main dialog.
//
// A scan starts from a clean slate: no sweep flag, an empty table (ResetScanState does both), an
// empty list, the re-detect button and the summary hidden and the progress text showing. The
// re-detect button stays hidden until the summary is shown, so only one scan runs at a time.

// Clears g_bSweepDone, g_deviceTable and a pending sweep wake-up. Only while no scan runs.
void ResetScanState();

// True from the start of a scan until its summary has been shown and the view was told (the
// scan view's ScanEnded ends it): the one test of "start a scan if none runs".
bool ScanRunning();
// Ends the running scan (the scan view calls it, on the user-interface thread for a window).
void EndScanRun();

// Starts the sweep launcher, then the list builder, through the thread port, and returns at once
// without waiting for them (the user-interface thread must never wait for a scan). list is handed
// to both thread procedures, which ignore it. True when both threads started. The scan counts as
// running from here (also when a thread could not start: the builder's summary still ends it).
bool StartScan(void* list);
