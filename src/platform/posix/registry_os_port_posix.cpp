// The registry port on POSIX systems, so the portable core links and runs natively: there is no
// system registry, the current directory comes from getcwd, and the probe opens the file.
#include <errno.h>
#include <fcntl.h>
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
};

}  // namespace

RegistryOsPort& SystemRegistryOsPort() {
  static PosixRegistryOsPort port;
  return port;
}

}  // namespace platform
