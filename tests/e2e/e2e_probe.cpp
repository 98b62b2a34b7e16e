// Reads the running Tarnlook window from another process for the end-to-end tests and prints it as
// one JSON object on standard output (texts converted from code page 936 to UTF-8).
//   e2e_probe state     the main window: items 1000-1010, the list rows and their cell rectangles
//   e2e_probe windows   every visible top-level window with its class, title and child texts
//   e2e_probe close     asks the main window to close (WM_CLOSE, as Alt+F4 does)
//   e2e_probe clipboard the clipboard's CF_TEXT (read as code page 936) and CF_UNICODETEXT
//   e2e_probe measure <program>
//                       starts the program and times, from the start: its window visible, the
//                       skin painted (title band pixel on the screen), the summary shown; then
//                       closes it and reports its peak working set
//   e2e_probe redetect  prints "ready" once the summary shows, presses 重新检测 when a line comes
//                       on standard input and times the scan from the press to the next summary
//   e2e_probe redetect <n>
//                       presses 重新检测 n times, each once the summary of the last shows
//   e2e_probe resources [<pid>]
//                       counts the main window's process's (or pid's) kernel handles, threads,
//                       GDI objects, windows, menus and icons: threads by Toolhelp from here, the
//                       rest from inside it, where resource_probe.dll (beside this program) is
//                       loaded for the moment it takes (see resource_probe_dll.cpp)
//   e2e_probe leak      prints its pid, then for each line on standard input leaks ten of the kind
//                       it names (handles, threads, gdi, menus, icons, windows; memory: 10 MB it
//                       touches) and prints "leaked <kind>"
// The list rows are read the way one process can read another's list view: a buffer allocated in
// the owner (VirtualAllocEx), LVM_GETITEMTEXTA / LVM_GETSUBITEMRECT pointed at it, ReadProcessMemory.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <psapi.h>

#include <string>

#include <tlhelp32.h>

#include <vector>

#include "resource_probe.h"

namespace {

std::string Utf8(const std::string& gbk) {
  if (gbk.empty()) return gbk;
  int wide = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &w[0], wide);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
  return out;
}

std::string Json(const std::string& gbk) {
  std::string out = "\"";
  for (unsigned char c : Utf8(gbk)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Json(const RECT& r) {
  char text[96];
  std::snprintf(text, sizeof text, "[%ld,%ld,%ld,%ld]", r.left, r.top, r.right, r.bottom);
  return text;
}

std::string WindowText(HWND window) {
  char text[1024] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                           SMTO_ABORTIFHUNG, 3000, &copied)) {
    return std::string();
  }
  return std::string(text, strnlen(text, sizeof text));
}

std::string ClassName(HWND window) {
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

HWND FindMainWindow() {
  struct Search {
    HWND found;
  } search = {nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) CALLBACK -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        HWND title = GetDlgItem(window, 1010);
        HWND list = GetDlgItem(window, 1002);
        if (ClassName(window) == "#32770" && title && list && WindowText(title) == "Tarnlook") {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A scratch buffer inside the list's process.
class RemoteBuffer {
 public:
  explicit RemoteBuffer(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    m_process = OpenProcess(
        PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
        FALSE, pid);
    if (m_process)
      m_base =
          static_cast<char*>(VirtualAllocEx(m_process, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE));
  }
  ~RemoteBuffer() {
    if (m_base) VirtualFreeEx(m_process, m_base, 0, MEM_RELEASE);
    if (m_process) CloseHandle(m_process);
  }
  bool Ok() const { return m_base != nullptr; }
  char* At(size_t offset) const { return m_base + offset; }
  bool Write(size_t offset, const void* data, size_t size) {
    return WriteProcessMemory(m_process, At(offset), data, size, nullptr) != FALSE;
  }
  bool Read(size_t offset, void* data, size_t size) {
    return ReadProcessMemory(m_process, At(offset), data, size, nullptr) != FALSE;
  }
  static constexpr size_t kSize = 8192;

 private:
  HANDLE m_process = nullptr;
  char* m_base = nullptr;
};

std::string CellText(HWND list, RemoteBuffer& remote, int row, int column) {
  constexpr size_t kTextOffset = 1024;
  constexpr int kTextSize = 4096;
  LVITEMA item = {};
  item.iSubItem = column;
  item.pszText = remote.At(kTextOffset);
  item.cchTextMax = kTextSize;
  const char zero = 0;
  remote.Write(kTextOffset, &zero, 1);
  remote.Write(0, &item, sizeof item);
  DWORD_PTR length = 0;
  SendMessageTimeoutA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(remote.At(0)), SMTO_ABORTIFHUNG, 3000, &length);
  std::vector<char> text(kTextSize + 1, '\0');
  remote.Read(kTextOffset, text.data(), kTextSize);
  return std::string(text.data(), strnlen(text.data(), kTextSize));
}

// The cell's label rectangle in screen coordinates; empty when the list refuses.
RECT CellRect(HWND list, RemoteBuffer& remote, int row, int column) {
  RECT rect = {LVIR_LABEL, column, 0, 0};
  remote.Write(0, &rect, sizeof rect);
  DWORD_PTR ok = 0;
  SendMessageTimeoutA(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(remote.At(0)), SMTO_ABORTIFHUNG, 3000, &ok);
  if (!ok) return RECT{0, 0, 0, 0};
  remote.Read(0, &rect, sizeof rect);
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string ItemJson(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return "null";
  RECT rect;
  GetWindowRect(item, &rect);
  return "{\"text\":" + Json(WindowText(item)) +
         ",\"visible\":" + (IsWindowVisible(item) ? "true" : "false") +
         ",\"enabled\":" + (IsWindowEnabled(item) ? "true" : "false") + ",\"rect\":" + Json(rect) +
         "}";
}

int State() {
  HWND dialog = FindMainWindow();
  if (!dialog) {
    std::printf("{\"found\":false}\n");
    return 0;
  }
  RECT rect;
  GetWindowRect(dialog, &rect);
  RECT client;
  GetClientRect(dialog, &client);
  MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
  DWORD pid = 0;
  GetWindowThreadProcessId(dialog, &pid);
  std::string out = "{\"found\":true,\"pid\":" + std::to_string(pid) +
                    ",\"visible\":" + (IsWindowVisible(dialog) ? "true" : "false") +
                    ",\"iconic\":" + (IsIconic(dialog) ? "true" : "false") +
                    ",\"foreground\":" + (GetForegroundWindow() == dialog ? "true" : "false") +
                    ",\"rect\":" + Json(rect) + ",\"client\":" + Json(client) + ",\"items\":{";
  const int ids[] = {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1009, 1010};
  for (size_t i = 0; i < sizeof ids / sizeof ids[0]; ++i) {
    out += (i ? ",\"" : "\"") + std::to_string(ids[i]) + "\":" + ItemJson(dialog, ids[i]);
  }
  out += "},\"rows\":[";
  HWND list = GetDlgItem(dialog, 1002);
  RemoteBuffer remote(list);
  DWORD_PTR count = 0;
  SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 3000, &count);
  for (int row = 0; remote.Ok() && row < static_cast<int>(count); ++row) {
    out += row ? ",{\"cells\":[" : "{\"cells\":[";
    for (int column = 0; column < 3; ++column) {
      out += (column ? "," : "") + Json(CellText(list, remote, row, column));
    }
    out += "],\"rects\":[";
    for (int column = 0; column < 3; ++column) {
      out += (column ? "," : "") + Json(CellRect(list, remote, row, column));
    }
    out += "]}";
  }
  out += "]}\n";
  std::fputs(out.c_str(), stdout);
  return 0;
}

int Windows() {
  std::string out = "[";
  struct Walk {
    std::string* out;
    bool first;
  } walk = {&out, true};
  EnumWindows(
      [](HWND window, LPARAM param) CALLBACK -> BOOL {
        auto* w = reinterpret_cast<Walk*>(param);
        if (!IsWindowVisible(window)) return TRUE;
        RECT rect;
        GetWindowRect(window, &rect);
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        std::string entry =
            std::string(w->first ? "" : ",") + "{\"class\":" + Json(ClassName(window)) +
            ",\"title\":" + Json(WindowText(window)) + ",\"pid\":" + std::to_string(pid) +
            ",\"rect\":" + Json(rect) + ",\"children\":[";
        struct Kids {
          std::string* entry;
          bool first;
        } kids = {&entry, true};
        EnumChildWindows(
            window,
            [](HWND child, LPARAM p) CALLBACK -> BOOL {
              auto* k = reinterpret_cast<Kids*>(p);
              RECT r;
              GetWindowRect(child, &r);
              *k->entry += std::string(k->first ? "" : ",") +
                           "{\"id\":" + std::to_string(GetDlgCtrlID(child)) +
                           ",\"class\":" + Json(ClassName(child)) +
                           ",\"text\":" + Json(WindowText(child)) + ",\"rect\":" + Json(r) + "}";
              k->first = false;
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&kids));
        entry += "]}";
        *w->out += entry;
        w->first = false;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&walk));
  out += "]\n";
  std::fputs(out.c_str(), stdout);
  return 0;
}

std::string ClipboardText(UINT format) {
  HANDLE data = GetClipboardData(format);
  const void* at = data ? GlobalLock(data) : nullptr;
  if (!at) return "null";
  std::string text;
  if (format == CF_UNICODETEXT) {
    const wchar_t* wide = static_cast<const wchar_t*>(at);
    const int length = lstrlenW(wide);
    const int bytes = WideCharToMultiByte(936, 0, wide, length, nullptr, 0, nullptr, nullptr);
    text.assign(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(936, 0, wide, length, &text[0], bytes, nullptr, nullptr);
  } else {
    text = static_cast<const char*>(at);
  }
  GlobalUnlock(data);
  return Json(text);
}

int Clipboard() {
  if (!OpenClipboard(nullptr)) return 1;
  const std::string text = ClipboardText(CF_TEXT);
  const std::string unicode = ClipboardText(CF_UNICODETEXT);
  CloseClipboard();
  std::printf("{\"text\":%s,\"unicode\":%s}\n", text.c_str(), unicode.c_str());
  return 0;
}

HWND FindWindowOfProcess(DWORD pid) {
  HWND dialog = FindMainWindow();
  DWORD owner = 0;
  if (dialog) GetWindowThreadProcessId(dialog, &owner);
  return owner == pid ? dialog : nullptr;
}

int Measure(const char* program) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string command = std::string("\"") + program + "\"";
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return 3;
  }
  auto elapsed = [&] {
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
  };
  double visible = -1, painted = -1, summary = -1;
  HDC screen = GetDC(nullptr);
  while (summary < 0 && elapsed() < 120000 &&
         WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
    HWND dialog = FindWindowOfProcess(process.dwProcessId);
    if (dialog && IsWindowVisible(dialog)) {
      if (visible < 0) visible = elapsed();
      RECT rect;
      GetWindowRect(dialog, &rect);
      // The skin's title band is blue; an unpainted window is not.
      COLORREF pixel = GetPixel(screen, rect.left + 300, rect.top + 12);
      if (painted < 0 && pixel != CLR_INVALID && GetBValue(pixel) > GetRValue(pixel) + 60)
        painted = elapsed();
      HWND prefix = GetDlgItem(dialog, 1004);
      if (prefix && IsWindowVisible(prefix)) summary = elapsed();
    }
    Sleep(2);
  }
  ReleaseDC(nullptr, screen);
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
  if (HWND dialog = FindWindowOfProcess(process.dwProcessId)) PostMessageA(dialog, WM_CLOSE, 0, 0);
  const bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  std::printf(
      "{\"visible_ms\":%.1f,\"painted_ms\":%.1f,\"summary_ms\":%.1f,"
      "\"peak_working_set_kb\":%llu,\"peak_pagefile_kb\":%llu,\"ended\":%s,\"exit_code\":%lu}\n",
      visible, painted, summary, static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024),
      static_cast<unsigned long long>(memory.PeakPagefileUsage / 1024), ended ? "true" : "false",
      static_cast<unsigned long>(code));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}

// The button's own notification, as a click sends it. Between the press and the summary only
// window states are read, so the timing takes little of the program's or the wineserver's time.
// Presses 重新检测 as a click does and waits for the next summary: the scan's time in ms, -1 when
// none came within two minutes.
double PressRedetect(HWND dialog, HWND button, HWND summary) {
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  DWORD_PTR result = 0;
  SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button), SMTO_ABORTIFHUNG, 10000, &result);
  double elapsed = 0;
  while (elapsed < 120000) {
    if (IsWindowVisible(button) && IsWindowVisible(summary)) return elapsed;
    Sleep(10);
    QueryPerformanceCounter(&now);
    elapsed = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
              static_cast<double>(frequency.QuadPart);
  }
  return -1;
}

int Redetect(int times) {
  HWND dialog = FindMainWindow();
  HWND button = dialog ? GetDlgItem(dialog, 1000) : nullptr;
  HWND summary = dialog ? GetDlgItem(dialog, 1004) : nullptr;
  if (!button || !summary || !IsWindowVisible(button)) return 1;
  if (times == 0) {  // one, timed, when a line comes on standard input
    std::printf("ready\n");
    std::fflush(stdout);
    char line[16];
    if (!std::fgets(line, sizeof line, stdin)) return 1;
    const double scan = PressRedetect(dialog, button, summary);
    std::printf("{\"scan_ms\":%.1f}\n", scan);
    std::fflush(stdout);
    return scan < 0 ? 1 : 0;
  }
  for (int i = 0; i < times; ++i) {
    if (PressRedetect(dialog, button, summary) < 0) return 1;
  }
  std::printf("{\"scans\":%d}\n", times);
  return 0;
}

DWORD CountThreads(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  DWORD count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == pid;
  CloseHandle(snapshot);
  return count;
}

// The address in process pid of a function of this process: the same offset into the same module.
void* RemoteAddress(DWORD pid, void* local) {
  HMODULE module = nullptr;
  char path[MAX_PATH] = {};
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCSTR>(local), &module) ||
      !GetModuleFileNameA(module, path, sizeof path)) {
    return local;
  }
  const char* name = std::strrchr(path, '\\') ? std::strrchr(path, '\\') + 1 : path;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return local;
  void* remote = local;
  MODULEENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szModule, name) == 0) {
      remote = entry.modBaseAddr + (static_cast<BYTE*>(local) - reinterpret_cast<BYTE*>(module));
      break;
    }
  }
  CloseHandle(snapshot);
  return remote;
}

// Loads resource_probe.dll into process pid and waits for its counts.
bool CountInside(DWORD pid, ResourceCounts& counts) {
  char self[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  std::string dll(self, length < sizeof self ? length : 0);
  dll = dll.substr(0, dll.find_last_of('\\') + 1) + "resource_probe.dll";
  const std::string name = kResourceProbeMapping + std::to_string(pid);
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof counts, name.c_str());
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_VM_OPERATION | PROCESS_VM_WRITE |
                                   PROCESS_VM_READ | PROCESS_QUERY_INFORMATION | SYNCHRONIZE,
                               FALSE, pid);
  void* remote = process
                     ? VirtualAllocEx(process, nullptr, dll.size() + 1, MEM_COMMIT, PAGE_READWRITE)
                     : nullptr;
  bool done = false;
  if (mapping && remote &&
      WriteProcessMemory(process, remote, dll.c_str(), dll.size() + 1, nullptr)) {
    auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        RemoteAddress(pid, reinterpret_cast<void*>(&LoadLibraryA)));
    if (HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr)) {
      done = WaitForSingleObject(thread, 60000) == WAIT_OBJECT_0;
      CloseHandle(thread);
    }
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  if (process) CloseHandle(process);
  if (const void* view =
          mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof counts) : nullptr) {
    CopyMemory(&counts, view, sizeof counts);
    UnmapViewOfFile(view);
  }
  if (mapping) CloseHandle(mapping);
  return done && counts.filled == 1;
}

int Resources(DWORD pid) {
  if (pid == 0) {
    HWND dialog = FindMainWindow();
    if (dialog) GetWindowThreadProcessId(dialog, &pid);
  }
  if (pid == 0) return 1;
  // Threads first, while the probe's own thread is not yet there.
  const DWORD threads = CountThreads(pid);
  ResourceCounts counts = {};
  if (!CountInside(pid, counts)) return 1;
  std::printf(
      "{\"pid\":%lu,\"handles\":%ld,\"threads\":%lu,\"gdi\":%ld,\"user\":%ld,\"windows\":%ld,"
      "\"menus\":%ld,\"icons\":%ld}\n",
      static_cast<unsigned long>(pid), counts.handles, static_cast<unsigned long>(threads),
      counts.gdiObjects, counts.windows + counts.menus + counts.icons, counts.windows, counts.menus,
      counts.icons);
  return 0;
}

DWORD WINAPI Idle(void* event) {
  WaitForSingleObject(event, INFINITE);
  return 0;
}

// Ten of the kind each line on standard input names, kept until the process ends.
int Leak() {
  std::printf("{\"pid\":%lu}\n", static_cast<unsigned long>(GetCurrentProcessId()));
  std::fflush(stdout);
  HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  // The thread's first window brings its input method window along: made before any count.
  CreateWindowExA(0, "STATIC", "first", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  char line[32];
  while (std::fgets(line, sizeof line, stdin)) {
    const std::string kind(line, std::strcspn(line, "\r\n"));
    for (int i = 0; i < 10; ++i) {
      if (kind == "handles") CreateEventA(nullptr, FALSE, FALSE, nullptr);
      if (kind == "threads") CloseHandle(CreateThread(nullptr, 0, Idle, never, 0, nullptr));
      if (kind == "gdi") CreateSolidBrush(RGB(i, i, i));
      if (kind == "menus") CreatePopupMenu();
      if (kind == "icons") CopyIcon(icon);
      if (kind == "windows")
        CreateWindowExA(0, "STATIC", "leak", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                        nullptr);
    }
    const SIZE_T bytes = 10 << 20;
    void* memory =
        kind == "memory" ? VirtualAlloc(nullptr, bytes, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    if (memory) std::memset(memory, 1, bytes);
    std::printf("leaked %s\n", kind.c_str());
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "state") == 0) return State();
  if (argc >= 2 && std::strcmp(argv[1], "windows") == 0) return Windows();
  if (argc >= 2 && std::strcmp(argv[1], "close") == 0) {
    HWND dialog = FindMainWindow();
    return dialog && PostMessageA(dialog, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (argc >= 2 && std::strcmp(argv[1], "clipboard") == 0) return Clipboard();
  if (argc == 3 && std::strcmp(argv[1], "measure") == 0) return Measure(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "redetect") == 0) return Redetect(0);
  if (argc == 3 && std::strcmp(argv[1], "redetect") == 0) return Redetect(std::atoi(argv[2]));
  if (argc >= 2 && std::strcmp(argv[1], "resources") == 0)
    return Resources(argc == 3 ? std::strtoul(argv[2], nullptr, 10) : 0);
  if (argc == 2 && std::strcmp(argv[1], "leak") == 0) return Leak();
  std::fprintf(stderr,
               "usage: e2e_probe state|windows|close|clipboard|redetect|resources [<pid>]|leak|"
               "measure <program>\n");
  return 2;
}
