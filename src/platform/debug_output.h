#pragma once
// Diagnostics: the debugger output channel (OutputDebugStringA on Windows) and the process's
// standard output. Both go through a replaceable sink so tests can read what was written.
// Port kind: installable (InstallOutputSink / CurrentOutputSink).
#include <string>

enum class OutputChannel { Debugger, StandardOutput };

using OutputSink = void (*)(OutputChannel channel, const char* text);

// Writes text to the debugger output channel, unchanged (no line break is added).
void DebugOutput(const char* text);
inline void DebugOutput(const std::string& text) { DebugOutput(text.c_str()); }
// Writes text to standard output, unchanged.
void StandardOutput(const char* text);

// Replaces the sink for both channels (nullptr restores the platform's). Not for use while other
// threads write.
void InstallOutputSink(OutputSink sink);
// The installed sink, or the platform's.
OutputSink CurrentOutputSink();
// The platform's sink: OutputDebugStringA / stdout on Windows; natively the debugger channel is
// dropped and standard output goes to stdout.
void PlatformOutput(OutputChannel channel, const char* text);
