#include "platform/registry_os_port.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<RegistryOsPort*> g_installedPort{nullptr};
}

RegistryOsPort& ActiveRegistryOsPort() {
  RegistryOsPort* port = g_installedPort.load();
  return port ? *port : SystemRegistryOsPort();
}

void SetRegistryOsPort(RegistryOsPort* port) { g_installedPort.store(port); }

}  // namespace platform
