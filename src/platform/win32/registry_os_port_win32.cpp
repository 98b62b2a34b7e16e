// The registry port on Windows: the client's registry key, the current directory, the existence
// probe and the file and process calls, each a direct translation of one system call's outcome.
#include <windows.h>

#include <cstring>

#include "platform/registry_os_port.h"

namespace platform {
namespace {

constexpr DWORD kPathBufferSize = MAX_PATH;  // 260 bytes, as the client stores its paths

class Win32RegistryOsPort final : public RegistryOsPort {
 public:
  InstallSetting ReadInstallSetting() override {
    InstallSetting result;
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvane\\Halvex Client", &key) !=
        ERROR_SUCCESS) {
      result.state = InstallKeyState::kNoKey;
      return result;
    }
    BYTE buffer[kPathBufferSize] = {};
    DWORD size = sizeof buffer;
    // The data is taken as text whatever its type; a value longer than the buffer fails here
    // with ERROR_MORE_DATA and counts as unreadable.
    const LONG status = RegQueryValueExA(key, "Install", nullptr, nullptr, buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) {
      result.state = InstallKeyState::kNoValue;
      return result;
    }
    // The text ends at its first zero byte; binary data of exactly 260 bytes carries none, so
    // never look past what was returned.
    const char* text = reinterpret_cast<const char*>(buffer);
    const std::size_t returned = size < sizeof buffer ? size : sizeof buffer;
    const void* zero = std::memchr(text, 0, returned);
    result.state = InstallKeyState::kValue;
    result.text.assign(text, zero ? static_cast<const char*>(zero) - text : returned);
    return result;
  }

  std::optional<std::string> CurrentDirectory() override {
    char buffer[kPathBufferSize];
    // 0 means failure; a result not below the buffer size is the size needed, and the buffer
    // then holds nothing usable.
    const DWORD length = GetCurrentDirectoryA(kPathBufferSize, buffer);
    if (length == 0 || length >= kPathBufferSize) return std::nullopt;
    return std::string(buffer, length);
  }

  FileProbeResult ProbeFile(const std::string& path) override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return FileProbeResult::kOpened;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return FileProbeResult::kMissing;
    }
    return FileProbeResult::kInaccessible;
  }

  std::vector<DirectoryEntry> ListFiles(const std::string& directory) override {
    std::vector<DirectoryEntry> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      const uint64_t time = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                            found.ftLastWriteTime.dwLowDateTime;
      files.push_back({found.cFileName, time});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
  }

  bool ProcessRunning(uint32_t processId) override {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    // A process of another user may refuse the handle: it exists all the same.
    if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
  }

  // Without MOVEFILE_REPLACE_EXISTING the move fails where the new name exists.
  bool MoveFileNoReplace(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
  }

  bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

  uint32_t CurrentProcessId() override { return GetCurrentProcessId(); }

  void WaitMilliseconds(uint32_t milliseconds) override { Sleep(milliseconds); }
};

}  // namespace

RegistryOsPort& SystemRegistryOsPort() {
  static Win32RegistryOsPort port;
  return port;
}

}  // namespace platform
