// One full classification merge of a /24 sweep (253 devices, the local computer first) against
// registry files of 10, 100 and 10,000 entries. Half of the devices have an entry, as far as the
// file has entries to give them; the other entries belong to devices not on the network now.
// The profile folder holds the client's other files too (kOtherFiles of them), as a user's does;
// the second argument 0 hides them and every leftover from the registry's clearing up after
// crashed saves, so the difference between the two runs is what that clearing up costs a merge.
#include <atomic>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "net/device_record.h"
#include "platform/registry_os_port.h"
#include "registry/classification_merge.h"
#include "registry/profile_location.h"
#include "xml/base64.h"

namespace {

constexpr int kDevices = 253;
constexpr int kOtherFiles = 40;

std::string Mac(int a, int b) {
  char text[24];
  std::snprintf(text, sizeof text, "00-1A-2B-%.2X-%.2X-%.2X", a >> 8, a & 0xFF, b);
  return text;
}

class BenchPort : public platform::RegistryOsPort {
 public:
  BenchPort(std::string install, bool listFolder)
      : install_(std::move(install)), listFolder_(listFolder) {}
  int listings = 0;  // the folder listings the clearing up asked for
  platform::InstallSetting ReadInstallSetting() override {
    return {platform::InstallKeyState::kValue, install_};
  }
  std::optional<std::string> CurrentDirectory() override { return std::nullopt; }
  platform::FileProbeResult ProbeFile(const std::string& path) override {
    return platform::SystemRegistryOsPort().ProbeFile(path);
  }
  // The profile directory ends in a backslash, which natively is part of the file's name: the
  // folder is listed as Windows would see it, its files whose names start with that backslash.
  std::vector<platform::DirectoryEntry> ListFiles(const std::string& directory) override {
    ++listings;
    std::vector<platform::DirectoryEntry> files;
    if (!listFolder_ || directory.size() < 2 || directory.back() != '\\') return files;
    for (platform::DirectoryEntry& entry :
         platform::SystemRegistryOsPort().ListFiles(directory.substr(0, directory.size() - 1))) {
      if (entry.name.size() > 1 && entry.name[0] == '\\') {
        files.push_back({entry.name.substr(1), entry.lastWrite});
      }
    }
    return files;
  }

 private:
  std::string install_;
  bool listFolder_;
};

// The client's own files beside the registry: settings, logs, cached pictures, a few KB each.
void WriteOtherFiles(const std::filesystem::path& dir) {
  for (int i = 0; i < kOtherFiles; ++i) {
    const char* kinds[] = {"Profile%d.ini", "Log%d.txt", "Cache%d.bmp", "ComputerInfo%d.xml"};
    char name[32];
    std::snprintf(name, sizeof name, kinds[i % 4], i);
    std::ofstream(dir.string() + "/\\" + name, std::ios::binary) << std::string(2048 + 97 * i, 'x');
  }
}

// Writes a registry file of `entries` entries in the layout the program writes, spreading the
// registered devices (every second one of the sweep) evenly among them.
std::string WriteRegistry(const std::filesystem::path& dir, int entries, int* registered) {
  const int wanted = (kDevices - 1) / 2;  // every second device after the local computer
  const int onNetwork = entries < wanted ? entries : wanted;
  const int stride = entries / onNetwork;
  std::string text = "<?xml version=\"1.0\"?><CONFIG>\r\n<ComputerId1/>\r\n";
  int placed = 0;
  for (int i = 0; i < entries; ++i) {
    std::string mac;
    if (i % stride == 0 && placed < onNetwork) {
      mac = Mac(0, 2 + 2 * placed++);  // device rows 1, 3, 5, ...: MAC ends in its host number
    } else {
      mac = Mac(1 + i, 0);  // a device that is not on the network now
    }
    text += "<ComputerInfo USERNAME=\"device-" + std::to_string(i) + "\" STATUS=\"\n\n" +
            (i % 3 ? "标记为未知" : "标记为已知") + "\" MAC=\"" + mac + "\n\n\"/>\r\n";
  }
  text += "</CONFIG>\r\n";
  *registered = placed;
  const std::string install = dir.string() + "/\\";
  std::ofstream(install + kRegistryFileName, std::ios::binary) << EncodeBase64(text);
  return install;
}

DeviceTable SweepResult() {
  DeviceTable table;
  table.push_back({"this-pc", "192.168.1.1", "\n本机", Mac(0, 1)});
  for (int host = 2; host <= kDevices; ++host) {
    table.push_back({"host-" + std::to_string(host), "192.168.1." + std::to_string(host),
                     "\n标记为已知", Mac(0, host)});
  }
  return table;
}

void BM_MergeRegistry(benchmark::State& state) {
  static std::atomic<int> serial{0};
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("tarnlook-registry-bench-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
       std::to_string(serial++));
  std::filesystem::create_directories(dir);
  int registered = 0;
  WriteOtherFiles(dir);
  BenchPort port(WriteRegistry(dir, static_cast<int>(state.range(0)), &registered),
                 state.range(1) != 0);
  platform::InstallRegistryOsPort(&port);

  const DeviceTable sweep = SweepResult();
  int known = 0;
  for (auto _ : state) {
    state.PauseTiming();
    g_deviceTable = sweep;
    state.ResumeTiming();
    MergeRegistry();
    state.PauseTiming();
    known = 0;
    for (const DeviceRecord& row : g_deviceTable) known += row.statusLabel == "\n标记为未知";
    state.ResumeTiming();
  }
  state.counters["listings"] =
      benchmark::Counter(port.listings, benchmark::Counter::kAvgIterations);
  state.counters["registered"] = registered;
  state.counters["known"] = known;

  platform::InstallRegistryOsPort(nullptr);
  g_deviceTable.clear();
  std::filesystem::remove_all(dir);
}

BENCHMARK(BM_MergeRegistry)
    ->ArgsProduct({{10, 100, 10000}, {1, 0}})
    ->ArgNames({"entries", "folder"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
