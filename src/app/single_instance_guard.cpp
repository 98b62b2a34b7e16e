#include "app/single_instance_guard.h"

namespace {

bool IsMissing(HANDLE handle) { return handle == nullptr || handle == INVALID_HANDLE_VALUE; }

}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const char* mutexName, DWORD waitMilliseconds)
    : m_strMutexName(mutexName),
      m_strMappingName(m_strMutexName + "_MapFile"),
      m_dwWaitMilliseconds(waitMilliseconds) {}

SingleInstanceGuard::~SingleInstanceGuard() { ReleaseGuard(); }

bool SingleInstanceGuard::ClaimOrDetect() {
  m_hMutex = CreateMutexA(nullptr, TRUE, m_strMutexName.c_str());
  const DWORD error = GetLastError();
  // Access denied means the name exists under another user: treat it as running, never as ours.
  return error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
}

void SingleInstanceGuard::PublishWindow(const HWND* window) {
  if (window != nullptr) {
    if (IsMissing(m_hMapping)) {
      m_hMapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      sizeof(uint32_t), m_strMappingName.c_str());
    }
    if (!IsMissing(m_hMapping)) WriteWindowToMapping(m_hMapping, *window);
  }
  // Released whatever happened above: a second instance must never wait on a failed publish.
  if (m_hMutex != nullptr) ReleaseMutex(m_hMutex);
}

int SingleInstanceGuard::FindRunningWindow(HWND* window) {
  if (m_hMutex == nullptr) return 0;
  const DWORD wait = WaitForSingleObject(m_hMutex, m_dwWaitMilliseconds);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return 0;
  ReleaseMutex(m_hMutex);
  if (window == nullptr) return 1;

  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, m_strMappingName.c_str());
  if (IsMissing(mapping)) return 0;
  const bool read = ReadWindowFromMapping(mapping, window);
  CloseHandle(mapping);
  return read ? 1 : 0;
}

void SingleInstanceGuard::ReleaseGuard() {
  if (!IsMissing(m_hMapping)) CloseHandle(m_hMapping);
  m_hMapping = nullptr;
  if (m_hMutex != nullptr) {
    // Fails harmlessly when this thread does not own it (it was released at publishing).
    ReleaseMutex(m_hMutex);
    CloseHandle(m_hMutex);
    m_hMutex = nullptr;
  }
}

bool WriteWindowToMapping(HANDLE mapping, HWND window) {
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(uint32_t));
  if (view == nullptr) return false;
  *static_cast<uint32_t*>(view) = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window));
  UnmapViewOfFile(view);
  return true;
}

bool ReadWindowFromMapping(HANDLE mapping, HWND* window) {
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(uint32_t));
  if (view == nullptr) return false;
  const uint32_t value = *static_cast<const uint32_t*>(view);
  UnmapViewOfFile(view);
  // Window handles are sign-extended 32-bit values.
  *window = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
  return true;
}
