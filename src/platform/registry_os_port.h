#pragma once
// What the device registry needs from the operating system: the client's installation directory
// from the system registry, the process's current directory, an existence probe for the
// registry file, and the few file and process calls that clear up after a save that a crash
// interrupted. Plain C++ types only; the system binding lives in win32/ or posix/.
// Port kind: installable (InstallRegistryOsPort / CurrentRegistryOsPort); the system binding
// serves until a test installs a fake.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Outcome of reading the "Install" value of HKEY_LOCAL_MACHINE\SOFTWARE\Corvane\Halvex Client.
enum class InstallKeyState {
  kNoKey,    // the key cannot be opened
  kNoValue,  // the key is open but the value cannot be read (absent, or longer than 260 bytes)
  kValue,    // the value was read; text holds it up to its first zero byte
};

struct InstallSetting {
  InstallKeyState state = InstallKeyState::kNoKey;
  std::string text;
};

// Outcome of opening a file for reading with no sharing, only if it exists.
enum class FileProbeResult {
  kOpened,        // it exists and could be opened (the handle is already closed again)
  kMissing,       // neither the file nor, possibly, its directory exists
  kInaccessible,  // it exists but cannot be opened: held open by another program, no rights, ...
};

struct DirectoryEntry {
  std::string name;        // the file's name, without the directory
  uint64_t lastWrite = 0;  // its last-write time; only the order of two times means anything
};

class RegistryOsPort {
 public:
  virtual ~RegistryOsPort() = default;
  virtual InstallSetting ReadInstallSetting() = 0;
  // The current directory, or nothing when it cannot be had or does not fit 260 bytes.
  virtual std::optional<std::string> CurrentDirectory() = 0;
  virtual FileProbeResult ProbeFile(const std::string& path) = 0;

  // The file calls below default to the system binding, so a fake overrides only what it needs.
  // The files (no folders) in directory, which ends in a separator ("" is the current one); empty
  // when it cannot be read.
  virtual std::vector<DirectoryEntry> ListFiles(const std::string& directory);
  // Whether a process with this id runs; one that exists but cannot be asked counts as running.
  virtual bool ProcessRunning(uint32_t processId);
  // Gives a file a new name in the same directory; fails, changing nothing, where that name exists.
  virtual bool MoveFileNoReplace(const std::string& from, const std::string& to);
  virtual bool RemoveFile(const std::string& path);
  // This process's id, as the names of its saves' files carry it.
  virtual uint32_t CurrentProcessId();
  // Gives another process's save time to finish its renames.
  virtual void WaitMilliseconds(uint32_t milliseconds);
};

// The binding for this build's operating system.
RegistryOsPort& SystemRegistryOsPort();

// The port the registry code uses: the system binding unless a test installed another.
RegistryOsPort& CurrentRegistryOsPort();
// Installs port (not owned) for later calls; nullptr brings the system binding back.
void InstallRegistryOsPort(RegistryOsPort* port);

}  // namespace platform
