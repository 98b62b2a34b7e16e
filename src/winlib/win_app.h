#pragma once
// CWinApp: the one application object. Construct exactly one, statically; its constructor
// registers it, so AfxGetApp() finds it. The program's entry point calls AfxWinMain:
//
//   int WINAPI WinMain(HINSTANCE h, HINSTANCE p, LPSTR cmd, int show) {
//     return AfxWinMain(h, p, cmd, show);
//   }
//
// AfxWinMain runs InitInstance; if that returns FALSE (a dialog program returns FALSE once its
// modal dialog has ended) it calls ExitInstance and returns its result; otherwise it runs the
// message loop (Run) until WM_QUIT and then ExitInstance.
#include <windows.h>

#include <optional>
#include <string>

class CWnd;

class CWinApp {
 public:
  // lpszAppName names the program's settings (the profile name); null takes the program file's
  // name without its extension.
  explicit CWinApp(const char* lpszAppName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return m_nExitCode; }
  virtual int Run();

  HICON LoadIcon(UINT nIDResource) const;
  // Names the key under HKEY_CURRENT_USER\Software that holds the program's settings: each section
  // is the key Software\<registry key>\<profile name>\<section>. The profile name becomes the
  // application's name. Without a registry key nothing is read or written (never win.ini).
  void SetRegistryKey(const char* lpszRegistryKey);

  // A value as the registry holds it, its type and data.
  struct ProfileValue {
    DWORD type = REG_NONE;
    std::string data;
  };
  // The value of entry in section, or nothing when it (or its key) is missing. Reading never
  // creates a key.
  std::optional<ProfileValue> GetProfileValue(const char* lpszSection, const char* lpszEntry) const;
  // The entry's number when it is a 4-byte REG_DWORD, else nDefault.
  UINT GetProfileInt(const char* lpszSection, const char* lpszEntry, int nDefault) const;
  // Stores nValue as a REG_DWORD, creating the section's key; FALSE, and nothing said, when that
  // fails.
  BOOL WriteProfileInt(const char* lpszSection, const char* lpszEntry, int nValue);

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;  // the dialog a dialog program runs; AfxGetMainWnd() returns it
  int m_nExitCode = 0;
  std::string m_strAppName;
  std::string m_strRegistryKey;
  std::string m_strProfileName;

 private:
  std::string SectionKeyPath(const char* lpszSection) const;
};

// The program hosts no ActiveX controls: there is no container support to switch on.
inline void AfxEnableControlContainer() {}

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();  // the program's module (its resources live there)
HINSTANCE AfxGetResourceHandle();

// MessageBoxA over the active window of the thread (or the main window), caption "Tarnlook".
int AfxMessageBox(const char* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
