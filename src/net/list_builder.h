#pragma once
// The list builder: waits for the sweep, puts the local computer in row 0 as "\n本机", lays the
// registry's decisions over the other rows (through the installed merge step), fills the device list and shows the summary line, then
// empties g_deviceTable. It reaches the window only through the installed ScanView.
#include <string>

#include "platform/thread_port.h"

// Thread procedure; ignores its parameter (the dialog passes its list) and returns 0.
unsigned long TARNLOOK_THREADCALL ListBuildThreadProc(void* parameter);

// Its two halves. WaitForSweep blocks (without spinning) until g_bSweepDone is 1, writing
// "一直循环" once per test of the flag. AssembleList does everything after the wait.
void WaitForSweep();
void AssembleList();

// Hides the progress text and shows "发现您的局域网有" count "个未知设备"; the re-detect button
// comes back with the end of the scan run (ScanView::ScanEnded), which follows it.
void ShowSummary(int count);

// Host names longer than this are cut for the list.
constexpr unsigned kHostNameMaxBytes = 16;
// Longest prefix of whole characters of at most 16 bytes: a cut never leaves the lead byte of a
// double-byte character behind (it would swallow the closing quote when the name is stored).
std::string ShortenHostName(const std::string& hostName);

// The classification step between the local-computer swap and the filling of the list, an
// installable port: the application installs the registry merge at start-up; with none installed
// (nullptr) the list shows the sweep's own labels.
using MergeStep = void (*)();
void InstallMergeStep(MergeStep step);
MergeStep CurrentMergeStep();
