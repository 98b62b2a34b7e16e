#include "platform/registry_os_port.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<RegistryOsPort*> g_installedPort{nullptr};
}

RegistryOsPort& CurrentRegistryOsPort() {
  RegistryOsPort* port = g_installedPort.load();
  return port ? *port : SystemRegistryOsPort();
}

void InstallRegistryOsPort(RegistryOsPort* port) { g_installedPort.store(port); }

}  // namespace platform
