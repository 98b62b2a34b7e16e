#pragma once
// Shared by the registry suites: a fake OS port, a real temporary directory, and reading and
// writing ComputerInfo.xml in its on-disk (Base64) form.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry_os_port.h"
#include "xml/base64.h"

namespace registry_test {

class FakeRegistryOsPort : public platform::RegistryOsPort {
 public:
  platform::InstallSetting install;
  std::optional<std::string> currentDirectory;
  std::optional<platform::FileProbeResult> probeOverride;  // else the system binding answers
  std::optional<std::vector<uint32_t>> runningProcesses;   // else the system binding answers
  std::optional<uint32_t> currentProcess;                  // else the system binding answers
  bool movesFail = false;  // a scanner holds every file, so no rename gets through
  int currentDirectoryCalls = 0;
  int waits = 0;  // counted, never slept

  platform::InstallSetting ReadInstallSetting() override { return install; }
  std::optional<std::string> CurrentDirectory() override {
    ++currentDirectoryCalls;
    return currentDirectory;
  }
  platform::FileProbeResult ProbeFile(const std::string& path) override {
    return probeOverride ? *probeOverride : platform::SystemRegistryOsPort().ProbeFile(path);
  }
  bool ProcessRunning(uint32_t processId) override {
    if (!runningProcesses) return platform::SystemRegistryOsPort().ProcessRunning(processId);
    return std::count(runningProcesses->begin(), runningProcesses->end(), processId) != 0;
  }
  uint32_t CurrentProcessId() override {
    return currentProcess ? *currentProcess : platform::SystemRegistryOsPort().CurrentProcessId();
  }
  void WaitMilliseconds(uint32_t) override { ++waits; }
  bool MoveFileNoReplace(const std::string& from, const std::string& to) override {
    return !movesFail && platform::SystemRegistryOsPort().MoveFileNoReplace(from, to);
  }
};

// Installs a port for the lifetime of the object.
class ScopedPort {
 public:
  explicit ScopedPort(platform::RegistryOsPort& port) { platform::InstallRegistryOsPort(&port); }
  ~ScopedPort() { platform::InstallRegistryOsPort(nullptr); }
  ScopedPort(const ScopedPort&) = delete;
  ScopedPort& operator=(const ScopedPort&) = delete;
};

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> serial{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("tarnlook-registry-" + std::to_string(stamp) + "-" + std::to_string(serial++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // A file name inside the directory, as the 8-bit path text the registry code takes.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // The sorted names in the directory: a save leaves no file of its own behind.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::path(path), ignored);
}

inline std::optional<std::string> ReadRaw(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteRaw(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

// The document text the file holds, decoded.
inline std::string ReadDocument(const std::string& path) {
  const std::optional<std::string> raw = ReadRaw(path);
  return raw ? DecodeBase64(*raw) : std::string();
}

inline void WriteDocument(const std::string& path, const std::string& documentText) {
  WriteRaw(path, EncodeBase64(documentText));
}

// The text CreateRegistryFile writes: 58 characters.
inline const std::string kNewFileText =
    "<?xml version=\"1.0\"?><CONFIG>\r\n<ComputerId1/>\r\n</CONFIG>\r\n";

}  // namespace registry_test
