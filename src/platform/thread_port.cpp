#include "platform/thread_port.h"

#include "platform/debug_output.h"

unsigned long RunGuarded(ThreadProc proc, void* parameter) noexcept {
  try {
    return proc(parameter);
  } catch (...) {
    DebugOutput("thread: exception in a thread procedure\n");
    return 1;
  }
}
