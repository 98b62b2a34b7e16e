#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "xml/replace_through_backup.h"
#include "xml/xml_document.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

class XmlFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / (std::string("tarnlook-xml-") + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  // The names in the test's folder: a save leaves no file of its own behind.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

TEST_F(XmlFiles, SaveWritesBase64AndLoadReadsItBack) {
  const std::string path = Path("ComputerInfo.xml");
  Write(path + ".tmp", "the user's own file");  // a name a save must not take over
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText("<CONFIG/>"));
  ASSERT_TRUE(doc.SaveFile(path));
  EXPECT_EQ(Read(path), "PENPTkZJRy8+");
  EXPECT_EQ(doc.GetError(), "12 bytes");
  // After saving, the document holds the encoded text and no element.
  EXPECT_EQ(doc.GetDocumentText(), "PENPTkZJRy8+");
  EXPECT_FALSE(doc.FindElement("CONFIG"));
  EXPECT_EQ(doc.UsedCount(), 1);

  XmlDocument loaded;
  EXPECT_TRUE(loaded.LoadFile(path));
  EXPECT_EQ(loaded.GetDocumentText(), "<CONFIG/>");
  EXPECT_EQ(loaded.GetError(), "");
  EXPECT_TRUE(loaded.FindElement("CONFIG"));
  EXPECT_EQ(Read(path + ".tmp"), "the user's own file");
  EXPECT_EQ(Names(), (std::vector<std::string>{"ComputerInfo.xml", "ComputerInfo.xml.tmp"}));
}

TEST_F(XmlFiles, ShortDocumentsArePaddedAndReadBack) {
  const std::string path = Path("short.xml");
  for (const auto& c : {std::make_pair("a", "YQ=="), std::make_pair("ab", "YWI=")}) {
    XmlDocument doc;
    doc.SetDocumentText(c.first);
    ASSERT_TRUE(doc.SaveFile(path));  // replaces the previous file
    EXPECT_EQ(Read(path), c.second);
    XmlDocument loaded;
    ASSERT_TRUE(loaded.LoadFile(path));
    EXPECT_EQ(loaded.GetDocumentText(), c.first);
  }
}

TEST_F(XmlFiles, LineBrokenBase64LoadsTheSame) {
  const std::string path = Path("lines.xml");
  Write(path, "PENPTkZJ\r\nRy8+\r\n");
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(path));
  EXPECT_EQ(doc.GetDocumentText(), "<CONFIG/>");
  EXPECT_TRUE(doc.FindElement("CONFIG"));
}

TEST_F(XmlFiles, EmptyMissingAndPlainFiles) {
  const std::string empty = Path("empty.xml");
  Write(empty, "");
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(empty));
  EXPECT_EQ(doc.GetError(), "Empty document");

  XmlDocument emptyDoc;
  EXPECT_TRUE(emptyDoc.SaveFile(Path("saved-empty.xml")));
  EXPECT_EQ(Read(Path("saved-empty.xml")), "");
  EXPECT_TRUE(fs::exists(Path("saved-empty.xml")));
  EXPECT_EQ(emptyDoc.GetError(), "0 bytes");

  XmlDocument missing;
  EXPECT_FALSE(missing.LoadFile(Path("missing.xml")));
  EXPECT_EQ(missing.GetError(), "Empty document");
  EXPECT_EQ(missing.GetDocumentText(), "");

  const std::string plain = Path("plain.xml");
  Write(plain, "<CONFIG><ComputerInfo MAC=\"00-1A\"/></CONFIG>");
  XmlDocument garbage;
  EXPECT_TRUE(garbage.LoadFile(plain));  // opened, but the decoded bytes hold no element
  EXPECT_FALSE(garbage.FindElement("CONFIG"));
}

TEST_F(XmlFiles, SaveIntoAMissingFolderFailsWithTheRuntimeMessage) {
  XmlDocument doc;
  doc.SetDocumentText("<CONFIG/>");
  EXPECT_FALSE(doc.SaveFile(Path("no-such-folder/ComputerInfo.xml")));
  EXPECT_EQ(doc.GetError(), std::strerror(ENOENT));
}

TEST_F(XmlFiles, RegistryRoundTripKeepsEveryByte) {
  const std::string path = Path("ComputerInfo.xml");
  const std::string text =
      "<?xml version=\"1.0\"?><CONFIG>\r\n<ComputerId1/>\r\n<ComputerInfo USERNAME=\"主机\" "
      "STATUS=\"\n\n标记为未知\" MAC=\"00-1A-2B-3C-4D-5E\n\n\"/>\r\n</CONFIG>\r\n";
  XmlDocument doc;
  ASSERT_TRUE(doc.SetDocumentText(text));
  ASSERT_TRUE(doc.SaveFile(path));
  XmlDocument loaded;
  ASSERT_TRUE(loaded.LoadFile(path));
  EXPECT_EQ(loaded.GetDocumentText(), text);
  ASSERT_TRUE(loaded.FindElement("CONFIG"));
  loaded.EnterElement();
  ASSERT_TRUE(loaded.FindElement("ComputerInfo"));
  EXPECT_EQ(loaded.GetAttribute("USERNAME"), "主机");
}

TEST_F(XmlFiles, TooLargeFileIsRefusedAndTheDocumentStaysEmpty) {
  const std::string path = Path("huge.xml");
  Write(path, "");
  std::error_code ec;
  fs::resize_file(path, (uintmax_t{1} << 31) + 5, ec);  // sparse: takes no disk space
  if (ec) GTEST_SKIP() << "cannot make a sparse file here: " << ec.message();
  XmlDocument doc;
  doc.SetDocumentText("<old/>");
  EXPECT_FALSE(doc.LoadFile(path));
  EXPECT_EQ(doc.GetDocumentText(), "");
  EXPECT_EQ(doc.UsedCount(), 1);
  EXPECT_EQ(doc.GetError(), "File too large: 2147483653 bytes, Empty document");
}

#ifndef _WIN32
TEST_F(XmlFiles, FileOfUnknownSizeIsRefused) {
  // A pipe opened by name cannot seek to its end.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  ASSERT_EQ(write(fds[1], "PENPTkZJRy8+", 12), 12);
  close(fds[1]);
  const std::string path = "/proc/self/fd/" + std::to_string(fds[0]);
  if (!fs::exists(path)) GTEST_SKIP() << "no /proc";
  XmlDocument doc;
  EXPECT_FALSE(doc.LoadFile(path));
  close(fds[0]);
  EXPECT_EQ(doc.GetDocumentText(), "");
  EXPECT_EQ(doc.GetError(), "File size unknown, Empty document");

  // A folder opens for reading here, and reports a size no count can hold.
  XmlDocument folder;
  EXPECT_FALSE(folder.LoadFile(dir_.string()));
  EXPECT_EQ(folder.GetDocumentText(), "");
  EXPECT_EQ(folder.UsedCount(), 1);
}

TEST_F(XmlFiles, FailedWriteLeavesTheOldFileUntouched) {
  const std::string path = Path("ComputerInfo.xml");
  XmlDocument first;
  first.SetDocumentText("<CONFIG>\r\n<ComputerId1/>\r\n</CONFIG>\r\n");
  ASSERT_TRUE(first.SaveFile(path));
  const std::string before = Read(path);

  // The file system "fills up" after 1000 bytes: a file size limit makes the write fail the way
  // a full disk does, from inside the process, with no mount needed.
  std::string big = "<CONFIG>";
  while (big.size() < 100000) big += "<ComputerInfo USERNAME=\"PC\"/>\r\n";
  big += "</CONFIG>";
  XmlDocument second;
  second.SetDocumentText(big);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit tiny = old;
  tiny.rlim_cur = 1000;
  const auto previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
  const bool saved = second.SaveFile(path);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, previous);

  EXPECT_FALSE(saved);
  EXPECT_EQ(second.GetError(), std::strerror(EFBIG));
  EXPECT_EQ(Read(path), before);
  EXPECT_EQ(Names(), std::vector<std::string>{"ComputerInfo.xml"});
}

TEST_F(XmlFiles, ReadOnlyTargetIsNotReplaced) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
  const std::string path = Path("ComputerInfo.xml");
  Write(path, "PENPTkZJRy8+");
  fs::permissions(path, fs::perms::owner_read);
  XmlDocument doc;
  doc.SetDocumentText("<x/>");
  EXPECT_FALSE(doc.SaveFile(path));
  EXPECT_EQ(doc.GetError(), std::strerror(EACCES));
  EXPECT_EQ(Read(path), "PENPTkZJRy8+");
}

TEST_F(XmlFiles, FolderWithoutRoomForNewFilesStillSavesInPlace) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any folder";
  const std::string path = Path("ComputerInfo.xml");
  Write(path, "old");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  XmlDocument doc;
  doc.SetDocumentText("<CONFIG/>");
  const bool saved = doc.SaveFile(path);
  fs::permissions(dir_, fs::perms::owner_all);
  EXPECT_TRUE(saved);
  EXPECT_EQ(Read(path), "PENPTkZJRy8+");
}
#endif

// Files by name, and a system replacement that moves the old file aside and then fails (1177).
struct MovedAsideThenFails : xml_fs::ReplaceCalls {
  std::map<std::string, std::string> files{{"t", "old"}, {"t.tmp", "new"}};
  bool movesBack = true;
  unsigned long Replace(const std::string& target, const std::string&,
                        const std::string& backup) override {
    files[backup] = files[target];
    files.erase(target);
    return 1177;
  }
  bool Exists(const std::string& path) override { return files.count(path) != 0; }
  bool Move(const std::string& from, const std::string& to) override {
    if (!movesBack) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  void Remove(const std::string& path) override { files.erase(path); }
};

TEST(ReplaceThroughBackup, TheOldTextComesBackOrStaysUnderTheBackupName) {
  using Files = std::map<std::string, std::string>;
  for (bool movesBack : {true, false}) {
    MovedAsideThenFails calls;
    calls.movesBack = movesBack;
    EXPECT_EQ(xml_fs::ReplaceThroughBackup(calls, "t.tmp", "t", "t.bak"), 1177u);
    const Files expected = movesBack ? Files{{"t", "old"}, {"t.tmp", "new"}}
                                     : Files{{"t.bak", "old"}, {"t.tmp", "new"}};
    EXPECT_EQ(calls.files, expected);
  }
}

}  // namespace
