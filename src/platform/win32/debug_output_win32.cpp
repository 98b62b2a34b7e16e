#include <windows.h>

#include <cstdio>

#include "platform/debug_output.h"

void PlatformOutput(OutputChannel channel, const char* text) {
  if (channel == OutputChannel::Debugger) {
    OutputDebugStringA(text);
  } else {
    std::fputs(text, stdout);
  }
}
