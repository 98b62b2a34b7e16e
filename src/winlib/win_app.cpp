#include "winlib/win_app.h"

#include <cstring>

#include "winlib/wnd.h"

namespace {
CWinApp* g_pApp = nullptr;

// The program file's name without folder and extension.
std::string ModuleBaseName() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
  std::string name(path, length < sizeof path ? length : 0);
  const std::size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

}  // namespace

CWinApp::CWinApp(const char* lpszAppName)
    : m_hInstance(::GetModuleHandleA(nullptr)),
      m_strAppName(lpszAppName ? lpszAppName : ModuleBaseName()) {
  g_pApp = this;
}

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

int CWinApp::Run() {
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  m_nExitCode = static_cast<int>(msg.wParam);
  return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
  return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(nIDResource));
}

void CWinApp::SetRegistryKey(const char* lpszRegistryKey) {
  m_strRegistryKey = lpszRegistryKey;
  m_strProfileName = m_strAppName;
}

std::string CWinApp::SectionKeyPath(const char* lpszSection) const {
  return "Software\\" + m_strRegistryKey + "\\" + m_strProfileName + "\\" + lpszSection;
}

std::optional<CWinApp::ProfileValue> CWinApp::GetProfileValue(const char* lpszSection,
                                                              const char* lpszEntry) const {
  if (m_strRegistryKey.empty()) return std::nullopt;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, SectionKeyPath(lpszSection).c_str(), 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
    return std::nullopt;
  ProfileValue value;
  DWORD size = 0;
  LONG result = ::RegQueryValueExA(key, lpszEntry, nullptr, &value.type, nullptr, &size);
  // The value may change between the two calls: a grown one is read again.
  while (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
    value.data.resize(size);
    result = ::RegQueryValueExA(key, lpszEntry, nullptr, &value.type,
                                reinterpret_cast<BYTE*>(&value.data[0]), &size);
    if (result == ERROR_SUCCESS) value.data.resize(size);
    if (result != ERROR_MORE_DATA) break;
  }
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return value;
}

UINT CWinApp::GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault) const {
  const std::optional<ProfileValue> value = GetProfileValue(lpszSection, lpszEntry);
  if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD))
    return static_cast<UINT>(nDefault);
  DWORD number = 0;
  std::memcpy(&number, value->data.data(), sizeof number);
  return number;
}

BOOL CWinApp::WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue) {
  if (m_strRegistryKey.empty()) return FALSE;
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, SectionKeyPath(lpszSection).c_str(), 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return FALSE;
  const DWORD number = static_cast<DWORD>(nValue);
  const LONG result = ::RegSetValueExA(key, lpszEntry, 0, REG_DWORD,
                                       reinterpret_cast<const BYTE*>(&number), sizeof number);
  ::RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }

HINSTANCE AfxGetInstanceHandle() {
  return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }

int AfxMessageBox(const char* lpszText, UINT nType, UINT /*nIDHelp*/) {
  HWND owner = ::GetActiveWindow();
  if (!owner) {
    CWnd* main = AfxGetMainWnd();
    if (main && ::IsWindow(main->m_hWnd)) owner = main->m_hWnd;
  }
  return ::MessageBoxA(owner, lpszText, "Tarnlook", nType);
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  app->m_hInstance = hInstance;
  if (!app->InitInstance()) return app->ExitInstance();
  return app->Run();
}
