#include "registry/registry_file.h"

#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "registry_test_support.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

using registry_test::FileExists;
using registry_test::kNewFileText;
using registry_test::ReadDocument;
using registry_test::ReadRaw;
using registry_test::TempDir;
using registry_test::WriteDocument;
using registry_test::WriteRaw;

const std::optional<std::string> kNothing;

DeviceRecord Device(const std::string& name, const std::string& mac,
                    const std::string& status = "\n\n标记为已知") {
  return DeviceRecord{name, "192.168.1.23", status, mac};
}

std::optional<std::string> Read(const std::string& path, const std::string& mac, const char* attr) {
  return AccessDeviceAttribute(path, mac, false, attr, std::string());
}

// Entries with an empty or blank MAC stand first: they must not match every lookup.
const std::string kEntries =
    "<?xml version=\"1.0\"?><CONFIG>\r\n<ComputerId1/>\r\n"
    "<ComputerInfo USERNAME=\"empty mac\" MAC=\"\"/>\r\n"
    "<ComputerInfo USERNAME=\"blank mac\" MAC=\" \n\n \"/>\r\n"
    "<ComputerInfo USERNAME=\"printer\" STATUS=\"\n\n标记为未知\" "
    "MAC=\"00-1A-2B-3C-4D-5E\n\n\"/>\r\n"
    "<ComputerInfo USERNAME=\"\" STATUS=\"\n\n标记为已知\" MAC=\"  11-22-33-44-55-66 \"/>\r\n"
    "<ComputerInfo STATUS=\"x\" MAC=\"AA-BB-CC-DD-EE-FF\"/>\r\n"
    "<ComputerInfo USERNAME=\"   \" MAC=\"A1-A1-A1-A1-A1-A1\"/>\r\n"
    "<ComputerInfo USERNAME=\" first \" MAC=\"B2-B2-B2-B2-B2-B2\"/>\r\n"
    "<ComputerInfo USERNAME=\"second\" MAC=\"B2-B2-B2-B2-B2-B2\"/>\r\n"
    "<computerinfo USERNAME=\"lower\" MAC=\"C3-C3-C3-C3-C3-C3\"/>\r\n"
    "<ComputerInfo2 USERNAME=\"longer name\" MAC=\"D4-D4-D4-D4-D4-D4\"/>\r\n"
    "<ComputerInfo USERNAME=\"partial\" MAC=\"77-88\"/>\r\n"
    "<ComputerInfo USERNAME=\"打印机\" MAC=\"E5-E5-E5-E5-E5-E5\"/>\r\n"
    "</CONFIG>\r\n";

struct LookupCase {
  const char* mac;
  const char* attribute;
  std::optional<std::string> expected;
};

void PrintTo(const LookupCase& c, std::ostream* out) {
  *out << '"' << c.mac << "\" " << c.attribute;
}

class RegistryLookupTest : public ::testing::TestWithParam<LookupCase> {
 protected:
  TempDir dir;
};

TEST_P(RegistryLookupTest, ReadsTheFirstMatchingEntry) {
  const LookupCase& c = GetParam();
  const std::string path = dir.File("ComputerInfo.xml");
  WriteDocument(path, kEntries);
  EXPECT_EQ(Read(path, c.mac, c.attribute), c.expected) << c.mac << " " << c.attribute;
  EXPECT_EQ(ReadDocument(path), kEntries) << "a read changed the file";
}

const LookupCase kLookups[] = {
    // The list row's MAC carries two line feeds, the sweep's does not: both match.
    {"00-1A-2B-3C-4D-5E\n\n", "USERNAME", "printer"},
    {"00-1A-2B-3C-4D-5E", "STATUS", "标记为未知"},
    {"11-22-33-44-55-66", "STATUS", "标记为已知"},
    // Empty or absent attribute: the entry's trimmed MAC.
    {"11-22-33-44-55-66\n\n", "USERNAME", "11-22-33-44-55-66"},
    {"AA-BB-CC-DD-EE-FF", "USERNAME", "AA-BB-CC-DD-EE-FF"},
    // Blanks alone trim to an empty text.
    {"A1-A1-A1-A1-A1-A1", "USERNAME", ""},
    {"B2-B2-B2-B2-B2-B2", "USERNAME", "first"},
    {"E5-E5-E5-E5-E5-E5", "USERNAME", "打印机"},
    // Containment, not equality.
    {"55-77-88-99-00-11", "USERNAME", "partial"},
    // Names are matched with exact case and in full.
    {"C3-C3-C3-C3-C3-C3", "USERNAME", std::nullopt},
    {"D4-D4-D4-D4-D4-D4", "USERNAME", std::nullopt},
    {"00-1a-2b-3c-4d-5e", "USERNAME", std::nullopt},
    {"FF-FF-FF-FF-FF-FF", "USERNAME", std::nullopt},
    {"", "USERNAME", std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Entries, RegistryLookupTest, ::testing::ValuesIn(kLookups));

class RegistryFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.File("ComputerInfo.xml");
};

// Saves that a crash interrupted left the registry under backup names; processes 7 and 8 ended,
// 9 still runs (Windows reuses ids), and this process is 5.
class InterruptedSaveTest : public RegistryFileTest {
 protected:
  void SetUp() override {
    port.runningProcesses = std::vector<uint32_t>{5, 9};
    port.currentProcess = 5;
  }
  void Leave(const std::string& suffix, const std::string& name, int ageSeconds) {
    WriteDocument(path + suffix, "<CONFIG><ComputerInfo USERNAME=\"" + name +
                                     "\" MAC=\"00-1A-2B-3C-4D-5E\"/></CONFIG>");
    std::filesystem::last_write_time(path + suffix, std::filesystem::file_time_type::clock::now() -
                                                        std::chrono::seconds(ageSeconds));
  }
  registry_test::FakeRegistryOsPort port;
  registry_test::ScopedPort scoped{port};
};

TEST_F(InterruptedSaveTest, MissingFileComesBackFromTheNewestBackup) {
  for (const char* suffix :
       {".7.tmp.bak", ".8.tmp.bak", ".8.tmp", ".9.tmp.bak", ".9.tmp", ".x.tmp.bak"})
    Leave(suffix, suffix, suffix[1] == '7' ? 60 : suffix[1] == '9' ? 90 : 30);
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), ".8.tmp.bak");
  EXPECT_EQ(port.waits, 1);  // process 9 might have been saving
  // Backups whose entries the file holds go; a running process's temporary file stays.
  const std::vector<std::string> kept = {"ComputerInfo.xml", "ComputerInfo.xml.9.tmp",
                                         "ComputerInfo.xml.x.tmp.bak"};
  EXPECT_EQ(dir.Names(), kept);
  // With the file present, an ended process's leftovers go and the file stays.
  Leave(".7.tmp", "half-written", 10);
  EXPECT_EQ(AddDevice(Device("cam", "99-99-99-99-99-99"), path), 1);
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), ".8.tmp.bak");
  EXPECT_EQ(dir.Names(), kept);
}

TEST_F(InterruptedSaveTest, ALoneBackupIsNeverReplacedByANewFile) {
  // Its process id belongs to a live, unrelated process; to this process, whose own save failed
  // every way; to a live process again, and a scanner holds it, so it cannot be renamed.
  for (const auto& [id, movesFail, waits] :
       {std::tuple(9, false, 1), {5, false, 0}, {9, true, 2}}) {
    path = dir.File("ComputerInfo" + std::to_string(id) + (movesFail ? "held" : "") + ".xml");
    port.waits = 0;
    port.movesFail = movesFail;
    port.runningProcesses = std::vector<uint32_t>{5, 9};
    Leave("." + std::to_string(id) + ".tmp.bak", "printer", 30);
    const RegistryReader merge(path);  // one wait at most for all the lookups of a merge
    for (int lookup = 0; lookup < 2; ++lookup)
      EXPECT_EQ(merge.Read("00-1A-2B-3C-4D-5E", "USERNAME"), "printer") << id;
    EXPECT_EQ(AddDevice(Device("cam", "99-99-99-99-99-99"), path), 1);
    port.movesFail = false;  // and the process has ended
    port.runningProcesses = std::vector<uint32_t>{5};
    EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), "printer") << id;
    EXPECT_EQ(Read(path, "99-99-99-99-99-99", "USERNAME"), "cam") << id;
    EXPECT_EQ(port.waits, waits) << id;
    EXPECT_FALSE(FileExists(path + "." + std::to_string(id) + ".tmp.bak")) << id;
  }
}

TEST_F(InterruptedSaveTest, AFileBesideAnOlderBackupGainsTheEntriesItLacksBeforeTheBackupGoes) {
  // An earlier release made a new file beside the backup of a live process's id.
  WriteDocument(path + ".9.tmp.bak",
                "<CONFIG><ComputerInfo USERNAME=\"printer\" MAC=\"00-1A-2B-3C-4D-5E\n\n\"/>"
                "<ComputerInfo USERNAME=\"nas\" MAC=\"11-22-33-44-55-66\"/></CONFIG>");
  WriteDocument(path,
                "<CONFIG><ComputerInfo USERNAME=\"renamed\" MAC=\"00-1A-2B-3C-4D-5E\"/></CONFIG>");
  EXPECT_EQ(Read(path, "11-22-33-44-55-66", "USERNAME"), "nas");
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), "renamed");  // the file's entry wins
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"ComputerInfo.xml"});
}

TEST_F(RegistryFileTest, NewFileHoldsTheDeclarationConfigAndPlaceholder) {
  int counter = 1;
  ASSERT_TRUE(CreateRegistryFile(counter, path));
  EXPECT_EQ(counter, 1);
  const std::string text = ReadDocument(path);
  EXPECT_EQ(text.size(), 58u);
  EXPECT_EQ(text, kNewFileText);
}

TEST_F(RegistryFileTest, CreationFailsWhereTheDirectoryIsMissing) {
  int counter = 1;
  const std::string missing = dir.File("no-such-folder/ComputerInfo.xml");
  EXPECT_FALSE(CreateRegistryFile(counter, missing));
  EXPECT_FALSE(FileExists(dir.File("no-such-folder")));
}

TEST_F(RegistryFileTest, MissingFileYieldsNothingAndIsNotCreatedByLookups) {
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), kNothing);
  EXPECT_EQ(AccessDeviceAttribute(path, "00-1A-2B-3C-4D-5E", true, "USERNAME", "x"), kNothing);
  EXPECT_FALSE(FileExists(path));
}

TEST_F(RegistryFileTest, EmptyOrRootlessOrMiscasedFilesYieldNothing) {
  for (const std::string& text :
       {std::string(), std::string("<?xml version=\"1.0\"?>"),
        std::string("<config>\r\n<ComputerInfo MAC=\"00-1A-2B-3C-4D-5E\"/>"
                    "\r\n</config>\r\n")}) {
    WriteDocument(path, text);
    EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "MAC"), kNothing) << text;
  }
}

TEST_F(RegistryFileTest, WriteChangesTheFirstMatchingEntryOnly) {
  WriteDocument(path, kEntries);
  EXPECT_EQ(AccessDeviceAttribute(path, "B2-B2-B2-B2-B2-B2\n\n", true, "USERNAME", "renamed"),
            "B2-B2-B2-B2-B2-B2");
  EXPECT_EQ(Read(path, "B2-B2-B2-B2-B2-B2", "USERNAME"), "renamed");
  std::string expected = kEntries;
  expected.replace(expected.find("\" first \""), 9, "\"renamed\"");
  EXPECT_EQ(ReadDocument(path), expected);
}

TEST_F(RegistryFileTest, WriteAddsAMissingAttribute) {
  WriteDocument(path, kEntries);
  ASSERT_TRUE(AccessDeviceAttribute(path, "AA-BB-CC-DD-EE-FF", true, "USERNAME", "nas"));
  EXPECT_EQ(Read(path, "AA-BB-CC-DD-EE-FF", "USERNAME"), "nas");
  EXPECT_EQ(Read(path, "AA-BB-CC-DD-EE-FF", "STATUS"), "x");
}

TEST_F(RegistryFileTest, WriteWithoutMatchLeavesTheFileAlone) {
  WriteDocument(path, kEntries);
  const std::optional<std::string> before = ReadRaw(path);
  EXPECT_EQ(AccessDeviceAttribute(path, "FF-FF-FF-FF-FF-FF", true, "USERNAME", "x"), kNothing);
  EXPECT_EQ(ReadRaw(path), before);
}

TEST_F(RegistryFileTest, AddDeviceCreatesAMissingFileWithThePlaceholderFirst) {
  EXPECT_EQ(AddDevice(Device("printer", "00-1A-2B-3C-4D-5E\n\n"), path), 1);
  EXPECT_EQ(ReadDocument(path),
            "<?xml version=\"1.0\"?><CONFIG>\r\n<ComputerId1/>\r\n"
            "<ComputerInfo USERNAME=\"printer\" STATUS=\"\n\n标记为已知\" "
            "MAC=\"00-1A-2B-3C-4D-5E\n\n\"/>\r\n</CONFIG>\r\n");
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), "printer");
}

TEST_F(RegistryFileTest, AddDeviceAppendsAfterExistingEntriesEvenForAKnownMac) {
  ASSERT_EQ(AddDevice(Device("first", "00-1A-2B-3C-4D-5E"), path), 1);
  ASSERT_EQ(AddDevice(Device("other", "11-22-33-44-55-66"), path), 1);
  ASSERT_EQ(AddDevice(Device("second", "00-1A-2B-3C-4D-5E"), path), 1);
  const std::string text = ReadDocument(path);
  EXPECT_EQ(text.find(kNewFileText.substr(0, 47)), 0u);
  const auto first = text.find("first"), other = text.find("other"), second = text.find("second");
  EXPECT_LT(first, other);
  EXPECT_LT(other, second);
  EXPECT_NE(second, std::string::npos);
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), "first");
  EXPECT_EQ(Read(path, "11-22-33-44-55-66", "USERNAME"), "other");
}

TEST_F(RegistryFileTest, MarkupInNamesIsStoredEscapedAndReadsBackUnchanged) {
  const std::string name = "a<b&c>d'e\"f &amp; 设备";
  ASSERT_EQ(AddDevice(Device(name, "00-1A-2B-3C-4D-5E"), path), 1);
  const std::string text = ReadDocument(path);
  EXPECT_NE(text.find("USERNAME=\"a&lt;b&amp;c&gt;d&apos;e&quot;f &amp;amp; 设备\""),
            std::string::npos)
      << text;
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), name);

  const std::string renamed = "<\"'&>";
  ASSERT_TRUE(AccessDeviceAttribute(path, "00-1A-2B-3C-4D-5E", true, "USERNAME", renamed));
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), renamed);
}

TEST_F(RegistryFileTest, AddDeviceOnAnEmptyFileGivesConfigWithoutDeclaration) {
  WriteRaw(path, "");
  ASSERT_EQ(AddDevice(Device("cam", "00-1A-2B-3C-4D-5E"), path), 1);
  const std::string text = ReadDocument(path);
  EXPECT_EQ(text.rfind("<CONFIG>", 0), 0u) << text;
  EXPECT_EQ(text.find("ComputerId"), std::string::npos);
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), "cam");
}

TEST_F(RegistryFileTest, AddDeviceKeepsTheTextOfAFileWithoutConfig) {
  const std::string old = "<?xml version=\"1.0\"?><other a=\"1\"/>\r\n";
  WriteDocument(path, old);
  ASSERT_EQ(AddDevice(Device("cam", "00-1A-2B-3C-4D-5E"), path), 1);
  const std::string text = ReadDocument(path);
  EXPECT_EQ(text.rfind(old, 0), 0u) << text;
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), "cam");
}

TEST_F(RegistryFileTest, PlainXmlIsNotReadAsEntriesAndGainsANewConfig) {
  // A file that is not Base64 decodes to meaningless bytes: its plain entry is not found.
  WriteRaw(path,
           "<CONFIG>\r\n<ComputerInfo USERNAME=\"plain\" MAC=\"00-1A-2B-3C-4D-5E\"/>\r\n"
           "</CONFIG>\r\n");
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), kNothing);
  // Adding keeps the decoded bytes in front and the new entry is found from then on.
  ASSERT_EQ(AddDevice(Device("cam", "00-1A-2B-3C-4D-5E"), path), 1);
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), "cam");
}

TEST_F(RegistryFileTest, AddDeviceDoesNotCreateAMissingProfileDirectory) {
  const std::string missing = dir.File("Profiles") + "/ComputerInfo.xml";
  EXPECT_EQ(AddDevice(Device("cam", "00-1A-2B-3C-4D-5E"), missing), 0);
  EXPECT_FALSE(FileExists(dir.File("Profiles")));
}

TEST_F(RegistryFileTest, AddDeviceLoadsAFileTheProbeCouldNotOpen) {
  // The probe shares nothing, so any other open handle makes it fail; the file is still loaded
  // and kept, never created anew.
  WriteDocument(path, kEntries);
  registry_test::FakeRegistryOsPort port;
  port.probeOverride = platform::FileProbeResult::kInaccessible;
  registry_test::ScopedPort scoped(port);
  ASSERT_EQ(AddDevice(Device("new", "99-99-99-99-99-99"), path), 1);
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), "printer");
  EXPECT_EQ(Read(path, "99-99-99-99-99-99", "USERNAME"), "new");
}

#ifndef _WIN32
TEST_F(RegistryFileTest, AddDeviceLeavesAFileThatCannotBeOpenedAlone) {
  // A link to itself exists but can never be opened: neither the probe nor the load gets in.
  ASSERT_EQ(symlink("ComputerInfo.xml", path.c_str()), 0);
  EXPECT_EQ(AddDevice(Device("cam", "00-1A-2B-3C-4D-5E"), path), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), kNothing);
}

// Makes every write beyond limit bytes fail (EFBIG) for the lifetime of the object.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = saved_;
    lowered.rlim_cur = limit;
    ok_ = setrlimit(RLIMIT_FSIZE, &lowered) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, previous_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit saved_{};
  void (*previous_)(int) = nullptr;
  bool ok_ = false;
};

TEST_F(RegistryFileTest, AFailedSaveLosesOnlyThatChange) {
  WriteDocument(path, kEntries);
  const std::optional<std::string> before = ReadRaw(path);
  ASSERT_TRUE(before);
  {
    FileSizeLimit limit(before->size() + 4);
    ASSERT_TRUE(limit.ok());
    // The write still reports the entry it found; the change is what gets lost.
    EXPECT_EQ(
        AccessDeviceAttribute(path, "00-1A-2B-3C-4D-5E", true, "USERNAME", std::string(64, 'n')),
        "00-1A-2B-3C-4D-5E");
    EXPECT_EQ(AddDevice(Device("cam", "99-99-99-99-99-99"), path), 1);
  }
  EXPECT_EQ(ReadRaw(path), before);
  EXPECT_EQ(Read(path, "00-1A-2B-3C-4D-5E", "USERNAME"), "printer");
  EXPECT_EQ(Read(path, "99-99-99-99-99-99", "USERNAME"), kNothing);
}
#endif

}  // namespace
