// The single-instance rule between two processes: this test plays the running instance, guard_peer
// plays the second start.
#include "app/single_instance_guard.h"

#include <chrono>
#include <cstdio>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string UniqueName(const char* what) {
  static int counter = 0;
  return "TarnlookTest_" + std::to_string(GetCurrentProcessId()) + "_" + what + "_" +
         std::to_string(++counter);
}

std::string PeerPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path);
  return text.substr(0, text.find_last_of("\\/") + 1) + "guard_peer.exe";
}

// A second start of the program, running in its own process.
class Peer {
 public:
  Peer(const char* mode, const std::string& name, DWORD waitMs) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    m_resultPath = std::string(temp) + name + ".txt";
    std::string command = "\"" + PeerPath() + "\" " + mode + " " + name + " " +
                          std::to_string(waitMs) + " \"" + m_resultPath + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    m_started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &m_process) != FALSE;
    if (m_started) CloseHandle(m_process.hThread);
  }
  ~Peer() {
    if (m_started) {
      if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(m_process.hProcess, 9);
      CloseHandle(m_process.hProcess);
    }
    DeleteFileA(m_resultPath.c_str());
  }
  bool Started() const { return m_started; }
  bool StillRunningAfter(DWORD ms) {
    return WaitForSingleObject(m_process.hProcess, ms) == WAIT_TIMEOUT;
  }
  // Waits for the end; returns the exit code, or -1 when it did not end in time.
  int Finish(DWORD ms = 20000) {
    if (WaitForSingleObject(m_process.hProcess, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_process.hProcess, &code);
    return static_cast<int>(code);
  }
  // "found window" as the peer wrote it.
  bool Result(int* found, unsigned long long* window) const {
    FILE* in = std::fopen(m_resultPath.c_str(), "r");
    if (in == nullptr) return false;
    const bool ok = std::fscanf(in, "%d %llu", found, window) == 2;
    std::fclose(in);
    return ok;
  }

 private:
  bool m_started = false;
  PROCESS_INFORMATION m_process = {};
  std::string m_resultPath;
};

// The guard only carries the handle's value, so no real window (and no display) is needed. The
// high bit is set to check that the 32-bit value comes back sign-extended as Windows handles are.
class WindowFixture : public ::testing::Test {
 protected:
  unsigned long long WindowValue() const {
    return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(m_window));
  }
  // The second process ended well and read exactly the handle this process published.
  void ExpectFoundWindow(Peer& second) const {
    ASSERT_EQ(second.Finish(), 0);
    int found = 0;
    unsigned long long window = 0;
    ASSERT_TRUE(second.Result(&found, &window));
    EXPECT_EQ(found, 1);
    EXPECT_EQ(window, WindowValue());
  }
  HWND m_window = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(0x8001F00Au)));
};

TEST(SingleInstanceGuardNames, MappingNameFollowsMutexName) {
  SingleInstanceGuard guard;
  EXPECT_EQ(guard.MutexName(), "TarnlookProcess");
  EXPECT_EQ(guard.MappingName(), "TarnlookProcess_MapFile");
  EXPECT_EQ(guard.MutexHandle(), nullptr);
  EXPECT_EQ(guard.MappingHandle(), nullptr);
}

TEST_F(WindowFixture, SecondProcessReadsThePublishedWindow) {
  const std::string name = UniqueName("publish");
  SingleInstanceGuard first(name.c_str());
  ASSERT_FALSE(first.ClaimOrDetect());
  first.PublishWindow(&m_window);

  Peer second("find", name, 5000);
  ASSERT_TRUE(second.Started());
  ExpectFoundWindow(second);
}

TEST_F(WindowFixture, SecondProcessWaitsUntilTheWindowIsPublished) {
  const std::string name = UniqueName("early");
  SingleInstanceGuard first(name.c_str());
  ASSERT_FALSE(first.ClaimOrDetect());

  Peer second("find", name, 20000);
  ASSERT_TRUE(second.Started());
  EXPECT_TRUE(second.StillRunningAfter(1500)) << "the second start did not wait for the mutex";
  first.PublishWindow(&m_window);
  ExpectFoundWindow(second);
}

TEST(SingleInstanceGuard, WaitForAHungFirstInstanceIsBounded) {
  const std::string name = UniqueName("hung");
  SingleInstanceGuard first(name.c_str());
  ASSERT_FALSE(first.ClaimOrDetect());  // owned, and never published

  const auto start = std::chrono::steady_clock::now();
  Peer second("find", name, 1000);
  ASSERT_TRUE(second.Started());
  ASSERT_EQ(second.Finish(15000), 0) << "the second start hung behind the first";
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_LT(waited, std::chrono::seconds(15));
  int found = 1;
  unsigned long long window = 1;
  ASSERT_TRUE(second.Result(&found, &window));
  EXPECT_EQ(found, 0);
  EXPECT_EQ(window, 0u);
  EXPECT_LT(SingleInstanceGuard::kDefaultWaitMilliseconds, INFINITE);
}

TEST_F(WindowFixture, PublishReleasesTheMutexWhenNoMappingCanBeMade) {
  const std::string name = UniqueName("nomap");
  SingleInstanceGuard first(name.c_str());
  // Another kind of object holds the mapping's name, so the mapping cannot be created.
  HANDLE squatter = CreateEventA(nullptr, FALSE, FALSE, first.MappingName().c_str());
  ASSERT_NE(squatter, nullptr);
  ASSERT_FALSE(first.ClaimOrDetect());
  first.PublishWindow(&m_window);
  EXPECT_EQ(first.MappingHandle(), nullptr);

  Peer synchroniser("sync", name, 5000);
  ASSERT_EQ(synchroniser.Finish(), 0);
  int found = 0;
  unsigned long long window = 0;
  ASSERT_TRUE(synchroniser.Result(&found, &window));
  EXPECT_EQ(found, 1) << "the mutex was not released";

  Peer finder("find", name, 5000);
  ASSERT_EQ(finder.Finish(), 0);
  ASSERT_TRUE(finder.Result(&found, &window));
  EXPECT_EQ(found, 0);
  EXPECT_EQ(window, 0u);
  CloseHandle(squatter);
}

TEST_F(WindowFixture, NullWindowOnlyReleasesTheMutex) {
  const std::string name = UniqueName("null");
  SingleInstanceGuard first(name.c_str());
  ASSERT_FALSE(first.ClaimOrDetect());
  first.PublishWindow(nullptr);
  EXPECT_EQ(first.MappingHandle(), nullptr);

  Peer finder("find", name, 5000);
  ASSERT_EQ(finder.Finish(), 0);
  int found = 1;
  unsigned long long window = 1;
  ASSERT_TRUE(finder.Result(&found, &window));
  EXPECT_EQ(found, 0);  // synchronised, but no mapping to read
}

TEST_F(WindowFixture, ViewThatCannotBeMappedIsNeitherWrittenNorRead) {
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, nullptr);
  ASSERT_NE(mapping, nullptr);
  HANDLE readOnly = nullptr;
  HANDLE writeOnly = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), mapping, GetCurrentProcess(), &readOnly,
                              FILE_MAP_READ, FALSE, 0));
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), mapping, GetCurrentProcess(), &writeOnly,
                              FILE_MAP_WRITE, FALSE, 0));

  EXPECT_FALSE(WriteWindowToMapping(readOnly, m_window));
  HWND untouched = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
  EXPECT_FALSE(ReadWindowFromMapping(nullptr, &untouched));
  EXPECT_EQ(untouched, reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234)));

  ASSERT_TRUE(WriteWindowToMapping(writeOnly, m_window));
  HWND read = nullptr;
  ASSERT_TRUE(ReadWindowFromMapping(readOnly, &read));
  EXPECT_EQ(read, m_window);
  CloseHandle(writeOnly);
  CloseHandle(readOnly);
  CloseHandle(mapping);
}

TEST_F(WindowFixture, AfterTheRunningInstanceEndsANewStartIsFirstAgain) {
  const std::string name = UniqueName("again");
  {
    SingleInstanceGuard first(name.c_str());
    ASSERT_FALSE(first.ClaimOrDetect());
    first.PublishWindow(&m_window);
    first.ReleaseGuard();
    EXPECT_EQ(first.MutexHandle(), nullptr);
    EXPECT_EQ(first.MappingHandle(), nullptr);
    first.ReleaseGuard();  // twice is harmless
  }
  Peer next("find", name, 1000);
  EXPECT_EQ(next.Finish(), 3) << "a new start after the first ended still saw a running instance";
}

TEST_F(WindowFixture, AbandonedMutexCountsAsSynchronised) {
  const std::string name = UniqueName("abandoned");
  // The running instance's thread ends while owning the mutex (it died before publishing).
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* param) WINAPI -> DWORD {
        auto* text = static_cast<std::string*>(param);
        CreateMutexA(nullptr, TRUE, text->c_str());  // handle leaks on purpose: the owner vanishes
        return 0;
      },
      const_cast<std::string*>(&name), 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);

  Peer synchroniser("sync", name, 5000);
  ASSERT_EQ(synchroniser.Finish(), 0);
  int found = 0;
  unsigned long long window = 0;
  ASSERT_TRUE(synchroniser.Result(&found, &window));
  EXPECT_EQ(found, 1);
}

}  // namespace
