// The existence probe and the registry file operations against files that another handle holds
// open, and against a file whose save the system refuses.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry_os_port.h"
#include "registry/registry_file.h"
#include "registry_test_support.h"

namespace {

using platform::FileProbeResult;
using registry_test::ReadRaw;
using registry_test::WriteDocument;

const std::string kText =
    "<?xml version=\"1.0\"?><CONFIG>\r\n<ComputerId1/>\r\n"
    "<ComputerInfo USERNAME=\"printer\" STATUS=\"\n\n标记为未知\" "
    "MAC=\"00-1A-2B-3C-4D-5E\n\n\"/>\r\n"
    "</CONFIG>\r\n";

const DeviceRecord kNewDevice{"cam", "192.168.1.7", "\n\n标记为已知", "99-99-99-99-99-99\n\n"};

class RegistryFileWinTest : public ::testing::Test {
 protected:
  void SetUp() override { WriteDocument(path, kText); }

  // Another program's handle on the file, opened for reading with the given sharing.
  HANDLE Hold(DWORD share) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    return h;
  }

  std::optional<std::string> ReadName(const std::string& mac) {
    return AccessDeviceAttribute(path, mac, false, "USERNAME", std::string());
  }

  registry_test::TempDir dir;
  std::string path = dir.File("ComputerInfo.xml");
  platform::RegistryOsPort& port = platform::SystemRegistryOsPort();
};

TEST_F(RegistryFileWinTest, ProbeTellsMissingFromOpenableFromLocked) {
  EXPECT_EQ(port.ProbeFile(path), FileProbeResult::kOpened);
  EXPECT_EQ(port.ProbeFile(dir.File("absent.xml")), FileProbeResult::kMissing);
  EXPECT_EQ(port.ProbeFile(dir.File("absent\\ComputerInfo.xml")), FileProbeResult::kMissing);
  // The probe shares nothing: any other handle, even one that shares everything, makes it fail.
  for (DWORD share : {0ul, static_cast<unsigned long>(FILE_SHARE_READ | FILE_SHARE_WRITE)}) {
    HANDLE held = Hold(share);
    EXPECT_EQ(port.ProbeFile(path), FileProbeResult::kInaccessible) << share;
    CloseHandle(held);
  }
  // The probe's own handle is closed again at once.
  EXPECT_EQ(port.ProbeFile(path), FileProbeResult::kOpened);
}

TEST_F(RegistryFileWinTest, FileHeldWithoutSharingIsNeitherReadNorReplaced) {
  const std::optional<std::string> before = ReadRaw(path);
  HANDLE held = Hold(0);
  EXPECT_EQ(ReadName("00-1A-2B-3C-4D-5E"), std::nullopt);
  EXPECT_EQ(AccessDeviceAttribute(path, "00-1A-2B-3C-4D-5E", true, "USERNAME", "x"), std::nullopt);
  EXPECT_EQ(AddDevice(kNewDevice, path), 0);
  CloseHandle(held);
  EXPECT_EQ(ReadRaw(path), before);
  EXPECT_EQ(ReadName("00-1A-2B-3C-4D-5E"), "printer");
}

TEST_F(RegistryFileWinTest, FileHeldForReadingIsReadButASaveThatFailsKeepsIt) {
  // A reader that shares reading only: the load succeeds, replacing the file does not.
  const std::optional<std::string> before = ReadRaw(path);
  HANDLE held = Hold(FILE_SHARE_READ);
  EXPECT_EQ(ReadName("00-1A-2B-3C-4D-5E\n\n"), "printer");
  EXPECT_EQ(AccessDeviceAttribute(path, "00-1A-2B-3C-4D-5E", true, "USERNAME", "renamed"),
            "00-1A-2B-3C-4D-5E");
  EXPECT_EQ(AddDevice(kNewDevice, path), 1);
  CloseHandle(held);
  EXPECT_EQ(ReadRaw(path), before);
  EXPECT_EQ(ReadName("00-1A-2B-3C-4D-5E"), "printer");
  EXPECT_EQ(ReadName("99-99-99-99-99-99"), std::nullopt);
}

TEST_F(RegistryFileWinTest, FileHeldWithoutDeleteSharingIsWrittenInPlace) {
  // The replacement is refused while the handle lives; the plain write that it falls back to is not.
  HANDLE held = Hold(FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_EQ(AccessDeviceAttribute(path, "00-1A-2B-3C-4D-5E", true, "USERNAME", "renamed"),
            "00-1A-2B-3C-4D-5E");
  EXPECT_EQ(AddDevice(kNewDevice, path), 1);
  CloseHandle(held);
  EXPECT_EQ(ReadName("00-1A-2B-3C-4D-5E"), "renamed");
  EXPECT_EQ(ReadName("99-99-99-99-99-99"), "cam");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"ComputerInfo.xml"});
}

TEST_F(RegistryFileWinTest, ReadOnlyFileKeepsItsContentWhenAChangeCannotBeSaved) {
  const std::optional<std::string> before = ReadRaw(path);
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(AccessDeviceAttribute(path, "00-1A-2B-3C-4D-5E", true, "USERNAME", "renamed"),
            "00-1A-2B-3C-4D-5E");
  EXPECT_EQ(AddDevice(kNewDevice, path), 1);
  EXPECT_EQ(ReadRaw(path), before);
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"ComputerInfo.xml"});
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(RegistryFileWinTest, ACrashedSavesBackupComesBackAndARunningSavesTemporaryFileStays) {
  // A process that ended between ReplaceFile's two renames left the file under its backup name;
  // no process has the id 4294967292. This process is still running: its save's file stays.
  const std::string crashed = path + ".4294967292.tmp";
  const std::string running = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
  ASSERT_TRUE(MoveFileA(path.c_str(), (crashed + ".bak").c_str()));
  WriteDocument(crashed, "<CONFIG><ComputerInfo USERNAME=\"half");
  WriteDocument(running, "<CONFIG/>");
  EXPECT_EQ(ReadName("00-1A-2B-3C-4D-5E"), "printer");
  EXPECT_EQ(dir.Names(),
            (std::vector<std::string>{
                "ComputerInfo.xml",
                "ComputerInfo.xml." + std::to_string(GetCurrentProcessId()) + ".tmp"}));
}

TEST_F(RegistryFileWinTest, ALiveProcesssBackupThatAScannerHoldsIsReadAndWrittenThrough) {
  // A crash left the file under a backup name whose id a live, unrelated process has now (a
  // suspended copy of this program), and a scanner holds the backup, so it cannot be renamed.
  char exe[MAX_PATH];
  ASSERT_NE(GetModuleFileNameA(nullptr, exe, MAX_PATH), 0u);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION other{};
  ASSERT_TRUE(CreateProcessA(exe, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                             nullptr, &startup, &other));
  const std::string backup = path + "." + std::to_string(other.dwProcessId) + ".tmp.bak";
  ASSERT_TRUE(MoveFileA(path.c_str(), backup.c_str()));
  for (DWORD share : {0ul, static_cast<unsigned long>(FILE_SHARE_READ)}) {
    HANDLE held = CreateFileA(backup.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    // Held without sharing it can be neither renamed nor read: the change is not stored.
    EXPECT_EQ(ReadName("00-1A-2B-3C-4D-5E"), share ? "printer" : std::optional<std::string>());
    EXPECT_EQ(AddDevice(kNewDevice, path), share ? 1 : 0);
    EXPECT_EQ(registry_test::FileExists(path), share != 0);
    CloseHandle(held);
  }
  TerminateProcess(other.hProcess, 0);
  CloseHandle(other.hThread);
  CloseHandle(other.hProcess);
  EXPECT_EQ(ReadName("00-1A-2B-3C-4D-5E"), "printer");
  EXPECT_EQ(ReadName("99-99-99-99-99-99"), "cam");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"ComputerInfo.xml"});
}

}  // namespace
