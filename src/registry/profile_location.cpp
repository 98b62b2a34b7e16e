#include "registry/profile_location.h"

#include <optional>

#include "platform/registry_os_port.h"
#include "text/cp936.h"

namespace {

// Used when not even the current directory can be had.
constexpr const char kFixedDefault[] = "C:\\Program Files\\Corvane\\Halvex Client\\";
constexpr const char kProfilesSubfolder[] = "\\Profiles\\";

// True when the last character is a backslash. Walks whole characters: a double-byte character
// of code page 936 may have 0x5C ('\\') as its trail byte, and that is no separator.
bool EndsInBackslash(const std::string& directory) {
  std::size_t last = std::string::npos;
  for (std::size_t at = 0; at < directory.size(); at += text::CharLength(directory, at)) last = at;
  return last != std::string::npos && directory[last] == '\\';
}

// A directory that already ends in a backslash is taken as the profile directory itself.
std::string WithProfilesSubfolder(const std::string& directory) {
  return EndsInBackslash(directory) ? directory : directory + kProfilesSubfolder;
}

}  // namespace

std::string GetProfileDirectory() {
  platform::RegistryOsPort& port = platform::CurrentRegistryOsPort();
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
