// GetProfileDirectory through the Win32 binding: real keys under HKEY_LOCAL_MACHINE (Wine's prefix
// lets a test write there) and real current directories. Keys and directories are put back.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry_os_port.h"
#include "registry/profile_location.h"
#include "registry_test_support.h"

namespace {

constexpr const char kKeyPath[] = "SOFTWARE\\Corvane\\Halvex Client";
constexpr const char kParentPath[] = "SOFTWARE\\Corvane";
constexpr const char kDefault[] = "C:\\Program Files\\Corvane\\Halvex Client\\";

bool KeyExists(const char* path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

class ProfileLocationWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hadParent_ = KeyExists(kParentPath);
    hadKey_ = KeyExists(kKeyPath);
    if (hadKey_) {
      HKEY key;
      ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
      DWORD size = 0;
      if (RegQueryValueExA(key, "Install", nullptr, &savedType_, nullptr, &size) == ERROR_SUCCESS) {
        savedValue_.resize(size);
        hadValue_ = RegQueryValueExA(key, "Install", nullptr, &savedType_, savedValue_.data(),
                                     &size) == ERROR_SUCCESS;
      }
      RegCloseKey(key);
    }
    char current[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, static_cast<DWORD>(MAX_PATH));
    savedCurrent_.assign(current, length);
    // A working directory without a trailing backslash.
    work_ = (dir_.path() / "Work").string();
    ASSERT_TRUE(CreateDirectoryA(work_.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(work_.c_str()));
    work_ = CurrentDirectory();
  }

  void TearDown() override {
    SetCurrentDirectoryA(savedCurrent_.c_str());
    if (hadKey_) {
      HKEY key;
      if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                          nullptr) == ERROR_SUCCESS) {
        if (hadValue_) {
          RegSetValueExA(key, "Install", 0, savedType_, savedValue_.data(),
                         static_cast<DWORD>(savedValue_.size()));
        } else {
          RegDeleteValueA(key, "Install");
        }
        RegCloseKey(key);
      }
    } else {
      DeleteKey();
    }
    if (!hadParent_) RegDeleteKeyA(HKEY_LOCAL_MACHINE, kParentPath);
  }

  static std::string CurrentDirectory() {
    char buffer[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    return std::string(buffer, length);
  }

  static void SetInstall(DWORD type, const std::string& data) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Install", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  // REG_SZ data with its terminating zero, as the client would write it.
  static void SetInstallText(const std::string& text) { SetInstall(REG_SZ, text + '\0'); }

  static void KeyWithoutValue() {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    RegDeleteValueA(key, "Install");
    RegCloseKey(key);
  }

  static void DeleteKey() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKeyPath); }

  registry_test::TempDir dir_;
  std::string work_;

 private:
  bool hadParent_ = false, hadKey_ = false, hadValue_ = false;
  DWORD savedType_ = REG_SZ;
  std::vector<BYTE> savedValue_;
  std::string savedCurrent_;
};

TEST_F(ProfileLocationWinTest, InstallValueGivesItsProfilesSubfolder) {
  SetInstallText("C:\\Tools\\Client");
  EXPECT_EQ(GetProfileDirectory(), "C:\\Tools\\Client\\Profiles\\");
  EXPECT_EQ(GetProfileDirectory() + "ComputerInfo.xml",
            "C:\\Tools\\Client\\Profiles\\ComputerInfo.xml");
  SetInstallText("C:\\Tools\\Client\\");
  EXPECT_EQ(GetProfileDirectory(), "C:\\Tools\\Client\\");
  // Code page 936 text goes into the registry and comes back byte for byte.
  SetInstallText("D:\\工具\\客户端");
  EXPECT_EQ(GetProfileDirectory(), "D:\\工具\\客户端\\Profiles\\");
}

TEST_F(ProfileLocationWinTest, InstallValueIsTakenAsTextWhateverItsType) {
  SetInstall(REG_EXPAND_SZ, std::string("C:\\Expand\0", 10));
  EXPECT_EQ(GetProfileDirectory(), "C:\\Expand\\Profiles\\");
  SetInstall(REG_BINARY, "C:\\Bin");  // no terminating zero
  EXPECT_EQ(GetProfileDirectory(), "C:\\Bin\\Profiles\\");
  SetInstall(REG_SZ, std::string("C:\\Cut\0tail", 11));  // the text ends at its first zero byte
  EXPECT_EQ(GetProfileDirectory(), "C:\\Cut\\Profiles\\");
}

TEST_F(ProfileLocationWinTest, KeyWithoutUsableValueFallsBackToTheCurrentDirectory) {
  KeyWithoutValue();
  EXPECT_EQ(GetProfileDirectory(), work_ + "\\Profiles\\");
  SetInstallText("");
  EXPECT_EQ(GetProfileDirectory(), work_ + "\\Profiles\\");
  SetInstallText(std::string(300, 'x'));  // longer than the 260-byte buffer
  EXPECT_EQ(GetProfileDirectory(), work_ + "\\Profiles\\");
  SetInstallText("C:\\" + std::string(256, 'y'));  // 259 characters still fit
  EXPECT_EQ(GetProfileDirectory(), "C:\\" + std::string(256, 'y') + "\\Profiles\\");
}

TEST_F(ProfileLocationWinTest, NoKeyGivesTheCurrentDirectoryAndABackslash) {
  DeleteKey();
  EXPECT_EQ(GetProfileDirectory(), work_ + "\\");
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  EXPECT_EQ(GetProfileDirectory(), "C:\\\\");
}

// Folders nested beyond 260 bytes, made through the wide calls that take "\\?\" paths; left
// again (and removed) however the test ends.
class DeepFolders {
 public:
  DeepFolders(const std::wstring& base, const std::string& leaveTo)
      : path_(L"\\\\?\\" + base), leaveTo_(leaveTo) {}
  ~DeepFolders() {
    SetCurrentDirectoryA(leaveTo_.c_str());
    for (; depth_ > 0; --depth_) {
      RemoveDirectoryW(path_.c_str());
      path_.erase(path_.rfind(L'\\'));
    }
  }
  bool Descend(const std::wstring& name) {
    const std::wstring next = path_ + L"\\" + name;
    if (!CreateDirectoryW(next.c_str(), nullptr)) return false;
    path_ = next;
    ++depth_;
    return true;
  }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
  std::string leaveTo_;
  int depth_ = 0;
};

TEST_F(ProfileLocationWinTest, OverLongCurrentDirectoryCountsAsNotAvailable) {
  DeleteKey();
  DeepFolders deep(dir_.path().wstring(), work_);
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(deep.Descend(std::wstring(50, static_cast<wchar_t>(L'a' + i))));
  }
  if (!SetCurrentDirectoryW(deep.path().c_str())) {
    GTEST_SKIP() << "this system keeps the current directory within MAX_PATH";
  }
  // Windows reports the size it would need; Wine fails the call outright. Either way the
  // 260-byte buffer holds no directory.
  char probe[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, probe);
  ASSERT_TRUE(length == 0 || length >= MAX_PATH) << length;
  EXPECT_EQ(GetProfileDirectory(), kDefault);
  KeyWithoutValue();
  EXPECT_EQ(GetProfileDirectory(), kDefault);
}

}  // namespace
