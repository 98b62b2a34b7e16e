#include "registry/save_recovery.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace {

struct Leftover {
  uint32_t processId = 0;
  bool backup = false;  // "<file>.<pid>.tmp.bak", else "<file>.<pid>.tmp"
};

// Reads "<file>.<pid>.tmp" or "<file>.<pid>.tmp.bak" (the names every release so far leaves).
std::optional<Leftover> ParseLeftoverName(std::string_view name, std::string_view file) {
  if (name.size() <= file.size() || name.substr(0, file.size()) != file) return std::nullopt;
  name.remove_prefix(file.size());
  if (name.empty() || name.front() != '.') return std::nullopt;
  name.remove_prefix(1);
  uint64_t id = 0;
  std::size_t digits = 0;
  for (; digits < name.size() && name[digits] >= '0' && name[digits] <= '9'; ++digits) {
    id = id * 10 + static_cast<uint64_t>(name[digits] - '0');
    if (id > UINT32_MAX) return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  name.remove_prefix(digits);
  if (name == ".tmp") return Leftover{static_cast<uint32_t>(id), false};
  if (name == ".tmp.bak") return Leftover{static_cast<uint32_t>(id), true};
  return std::nullopt;
}

}  // namespace

void RecoverInterruptedSave(platform::RegistryOsPort& port, const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  const std::string directory = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  const std::string file = path.substr(directory.size());

  struct Found {
    std::string path;
    uint64_t lastWrite;
    bool backup;
  };
  std::vector<Found> crashed;
  for (const platform::DirectoryEntry& entry : port.ListFiles(directory)) {
    const std::optional<Leftover> leftover = ParseLeftoverName(entry.name, file);
    if (!leftover || port.ProcessRunning(leftover->processId)) continue;
    crashed.push_back({directory + entry.name, entry.lastWrite, leftover->backup});
  }
  if (crashed.empty()) return;

  if (port.ProbeFile(path) == platform::FileProbeResult::kMissing) {
    // A temporary file may be incomplete; the backup is the whole text of the last good save.
    const Found* newest = nullptr;
    for (const Found& found : crashed) {
      if (found.backup && (!newest || found.lastWrite > newest->lastWrite)) newest = &found;
    }
    // While the file is missing and could not be restored, every backup stays for the next try.
    if (newest && !port.MoveFileNoReplace(newest->path, path)) return;
  }
  for (const Found& found : crashed) port.RemoveFile(found.path);  // the restored one has moved
}
