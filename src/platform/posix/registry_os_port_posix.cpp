// The registry port on POSIX systems, so the portable core links and runs natively: there is no
// system registry, the current directory comes from getcwd, and the probe opens the file.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include "platform/registry_os_port.h"

namespace platform {
namespace {

constexpr std::size_t kPathBufferSize = 260;  // the same limit as the Windows binding

class PosixRegistryOsPort final : public RegistryOsPort {
 public:
  InstallSetting ReadInstallSetting() override { return {InstallKeyState::kNoKey, {}}; }

  std::optional<std::string> CurrentDirectory() override {
    char buffer[kPathBufferSize];
    if (getcwd(buffer, sizeof buffer) == nullptr) return std::nullopt;
    return std::string(buffer);
  }

  FileProbeResult ProbeFile(const std::string& path) override {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      close(fd);
      return FileProbeResult::kOpened;
    }
    if (errno == ENOENT || errno == ENOTDIR) return FileProbeResult::kMissing;
    return FileProbeResult::kInaccessible;
  }

  std::vector<DirectoryEntry> ListFiles(const std::string& directory) override {
    std::vector<DirectoryEntry> files;
    const std::string folder = directory.empty() ? "./" : directory;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return files;
    while (const dirent* entry = readdir(dir)) {
      struct stat st;
      if (stat((folder + entry->d_name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
      const uint64_t nanoseconds =
          static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u + st.st_mtim.tv_nsec;
      files.push_back({entry->d_name, nanoseconds});
    }
    closedir(dir);
    return files;
  }

  bool ProcessRunning(uint32_t processId) override {
    const pid_t pid = static_cast<pid_t>(processId);
    if (pid <= 0 || static_cast<uint32_t>(pid) != processId) return false;
    return kill(pid, 0) == 0 || errno == EPERM;
  }

  // A link fails where the new name exists, so the move never replaces a file.
  bool MoveFileNoReplace(const std::string& from, const std::string& to) override {
    if (link(from.c_str(), to.c_str()) != 0) return false;
    unlink(from.c_str());
    return true;
  }

  bool RemoveFile(const std::string& path) override { return unlink(path.c_str()) == 0; }

  uint32_t CurrentProcessId() override { return static_cast<uint32_t>(getpid()); }

  void WaitMilliseconds(uint32_t milliseconds) override {
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
  }
};

}  // namespace

RegistryOsPort& SystemRegistryOsPort() {
  static PosixRegistryOsPort port;
  return port;
}

}  // namespace platform
