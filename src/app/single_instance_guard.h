#pragma once
// Keeps the program to one running instance.
//
// The first instance creates the named mutex already owned and releases it only once its main
// window exists and the window's handle sits in a 4-byte named mapping. A second instance waits
// for that mutex, reads the handle from the mapping and asks the window to come forward.
#include <windows.h>

#include <cstdint>
#include <string>

class SingleInstanceGuard {
 public:
  // A second instance gives up waiting after this long: a first instance that hangs before its
  // window exists must not leave invisible processes queued behind it.
  static constexpr DWORD kDefaultWaitMilliseconds = 30000;

  explicit SingleInstanceGuard(const char* mutexName = "TarnlookProcess",
                               DWORD waitMilliseconds = kDefaultWaitMilliseconds);
  ~SingleInstanceGuard();
  SingleInstanceGuard(const SingleInstanceGuard&) = delete;
  SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

  // Creates the mutex owned by the calling thread. Returns true when another instance already
  // holds the name (the mutex existed, or may not be opened by this user).
  bool ClaimOrDetect();

  // First instance: stores *window in the mapping (when given) and releases the mutex in every case.
  void PublishWindow(const HWND* window);
  // Second instance: 1 with *window filled when the running instance published one, else 0.
  // A null window only synchronises on the mutex.
  int FindRunningWindow(HWND* window);
  // Closes the mapping, releases and closes the mutex; harmless when already done.
  void ReleaseGuard();

  const std::string& MutexName() const { return m_strMutexName; }
  const std::string& MappingName() const { return m_strMappingName; }
  HANDLE MutexHandle() const { return m_hMutex; }
  HANDLE MappingHandle() const { return m_hMapping; }

 private:
  std::string m_strMutexName;
  std::string m_strMappingName;
  HANDLE m_hMutex = nullptr;
  HANDLE m_hMapping = nullptr;
  DWORD m_dwWaitMilliseconds;
};

// The mapping holds the window handle as a 32-bit value (window handles are 32 bits wide on every
// Windows, so a 64-bit build agrees with a 32-bit one). Both return false, touching nothing, when
// no view of the mapping can be had.
bool WriteWindowToMapping(HANDLE mapping, HWND window);
bool ReadWindowFromMapping(HANDLE mapping, HWND* window);
