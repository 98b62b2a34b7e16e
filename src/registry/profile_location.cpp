#include "registry/profile_location.h"

#include <optional>

#include "platform/registry_os_port.h"

namespace {

// Used when not even the current directory can be had.
constexpr const char kFixedDefault[] = "C:\\Program Files\\Corvane\\Halvex Client\\";
constexpr const char kProfilesSubfolder[] = "\\Profiles\\";

// A directory that already ends in a backslash is taken as the profile directory itself.
std::string WithProfilesSubfolder(const std::string& directory) {
  if (!directory.empty() && directory.back() == '\\') return directory;
  return directory + kProfilesSubfolder;
}

}  // namespace

std::string GetProfileDirectory() {
  platform::RegistryOsPort& port = platform::ActiveRegistryOsPort();
  const platform::InstallSetting install = port.ReadInstallSetting();

  if (install.state == platform::InstallKeyState::kNoKey) {
    const std::optional<std::string> current = port.CurrentDirectory();
    return current ? *current + "\\" : kFixedDefault;
  }
  // An empty Install value names no directory at all ("\Profiles\" would be the root of whatever
  // drive is current), so it counts as a value that cannot be read.
  if (install.state == platform::InstallKeyState::kValue && !install.text.empty()) {
    return WithProfilesSubfolder(install.text);
  }
  const std::optional<std::string> current = port.CurrentDirectory();
  return current ? WithProfilesSubfolder(*current) : kFixedDefault;
}
