// The other process in the single-instance tests: plays a second start of the program.
//   guard_peer find <mutex name> <wait ms> <result file>   waits, reads the window, writes "<rc> <hwnd>"
//   guard_peer sync <mutex name> <wait ms> <result file>   waits only (no window wanted)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/single_instance_guard.h"

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  SingleInstanceGuard guard(argv[2], static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
  if (!guard.ClaimOrDetect()) return 3;  // no instance was running
  HWND window = nullptr;
  const bool wantWindow = std::strcmp(argv[1], "find") == 0;
  const int found = guard.FindRunningWindow(wantWindow ? &window : nullptr);
  FILE* out = std::fopen(argv[4], "w");
  if (out == nullptr) return 4;
  std::fprintf(out, "%d %llu\n", found,
               static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
  std::fclose(out);
  return 0;
}
