#include "registry/profile_location.h"

#include <gtest/gtest.h>

#include "registry_test_support.h"

namespace {

using platform::InstallKeyState;
using registry_test::FakeRegistryOsPort;
using registry_test::ScopedPort;

constexpr const char kDefault[] = "C:\\Program Files\\Corvane\\Halvex Client\\";

struct ProfileCase {
  const char* what;
  InstallKeyState state;
  const char* install;
  std::optional<std::string> currentDirectory;
  std::string expected;
  bool consultsCurrentDirectory;
};

class ProfileLocationTest : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileLocationTest, GivesTheDirectoryOfEveryOutcome) {
  const ProfileCase& c = GetParam();
  FakeRegistryOsPort port;
  port.install = {c.state, c.install};
  port.currentDirectory = c.currentDirectory;
  ScopedPort scoped(port);

  EXPECT_EQ(GetProfileDirectory(), c.expected) << c.what;
  EXPECT_EQ(port.currentDirectoryCalls, c.consultsCurrentDirectory ? 1 : 0) << c.what;
}

const ProfileCase kCases[] = {
    {"no key: current directory and one backslash", InstallKeyState::kNoKey, "", "D:\\Work",
     "D:\\Work\\", true},
    {"no key, drive root: one more backslash", InstallKeyState::kNoKey, "", "C:\\", "C:\\\\", true},
    {"no key, no current directory", InstallKeyState::kNoKey, "", std::nullopt, kDefault, true},
    {"no value: current directory and Profiles", InstallKeyState::kNoValue, "", "D:\\Work",
     "D:\\Work\\Profiles\\", true},
    {"no value, current directory ends in a backslash", InstallKeyState::kNoValue, "", "C:\\",
     "C:\\", true},
    {"no value, no current directory", InstallKeyState::kNoValue, "", std::nullopt, kDefault, true},
    {"Install without backslash", InstallKeyState::kValue, "C:\\Tools\\Client", "D:\\Work",
     "C:\\Tools\\Client\\Profiles\\", false},
    {"Install with backslash is taken as it is", InstallKeyState::kValue, "C:\\Tools\\Client\\",
     "D:\\Work", "C:\\Tools\\Client\\", false},
    {"Install ends in a slash, which is no backslash", InstallKeyState::kValue, "C:\\Tools/",
     std::nullopt, "C:\\Tools/\\Profiles\\", false},
    // 0x81 0x5C is one double-byte character whose trail byte is the backslash's code.
    {"Install ends in a double-byte character with trail byte 0x5C", InstallKeyState::kValue,
     "C:\\Tools\\\x81\x5C", std::nullopt, "C:\\Tools\\\x81\x5C\\Profiles\\", false},
    {"Install is a bare backslash", InstallKeyState::kValue, "\\", std::nullopt, "\\", false},
    // An empty value names no directory: it falls back like a value that cannot be read.
    {"empty Install: current directory and Profiles", InstallKeyState::kValue, "", "D:\\Work",
     "D:\\Work\\Profiles\\", true},
    {"empty Install, no current directory", InstallKeyState::kValue, "", std::nullopt, kDefault,
     true},
};

INSTANTIATE_TEST_SUITE_P(Outcomes, ProfileLocationTest, ::testing::ValuesIn(kCases));

TEST(ProfileLocation, FollowsAChangedSettingOnTheNextCall) {
  FakeRegistryOsPort port;
  port.install = {InstallKeyState::kValue, "C:\\A"};
  ScopedPort scoped(port);
  EXPECT_EQ(GetProfileDirectory(), "C:\\A\\Profiles\\");
  port.install = {InstallKeyState::kValue, "C:\\B\\"};
  EXPECT_EQ(GetProfileDirectory(), "C:\\B\\");
}

}  // namespace
