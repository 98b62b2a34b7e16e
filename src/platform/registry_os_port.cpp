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

std::vector<DirectoryEntry> RegistryOsPort::ListFiles(const std::string& directory) {
  return SystemRegistryOsPort().ListFiles(directory);
}

bool RegistryOsPort::ProcessRunning(uint32_t processId) {
  return SystemRegistryOsPort().ProcessRunning(processId);
}

bool RegistryOsPort::MoveFileNoReplace(const std::string& from, const std::string& to) {
  return SystemRegistryOsPort().MoveFileNoReplace(from, to);
}

bool RegistryOsPort::RemoveFile(const std::string& path) {
  return SystemRegistryOsPort().RemoveFile(path);
}

uint32_t RegistryOsPort::CurrentProcessId() { return SystemRegistryOsPort().CurrentProcessId(); }

void RegistryOsPort::WaitMilliseconds(uint32_t milliseconds) {
  SystemRegistryOsPort().WaitMilliseconds(milliseconds);
}

void InstallRegistryOsPort(RegistryOsPort* port) { g_installedPort.store(port); }

}  // namespace platform
