#include "platform/debug_output.h"

#include <atomic>

namespace {
std::atomic<OutputSink> g_outputSink{nullptr};

void Write(OutputChannel channel, const char* text) { CurrentOutputSink()(channel, text); }
}  // namespace

void DebugOutput(const char* text) { Write(OutputChannel::Debugger, text); }
void StandardOutput(const char* text) { Write(OutputChannel::StandardOutput, text); }
void InstallOutputSink(OutputSink sink) { g_outputSink.store(sink); }

OutputSink CurrentOutputSink() {
  OutputSink sink = g_outputSink.load();
  return sink ? sink : PlatformOutput;
}
