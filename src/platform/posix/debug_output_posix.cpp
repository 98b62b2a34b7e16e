// Natively there is no debugger channel to write to; standard output is the C runtime's.
#include <cstdio>

#include "platform/debug_output.h"

void PlatformOutput(OutputChannel channel, const char* text) {
  if (channel == OutputChannel::StandardOutput) std::fputs(text, stdout);
}
