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

#include <string>

class CWnd;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return m_nExitCode; }
  virtual int Run();

  HICON LoadIcon(UINT nIDResource) const;
  // Names the key under HKEY_CURRENT_USER\Software where the program's own settings would go.
  // Tarnlook keeps none, so only the name is kept; nothing is read or written there.
  void SetRegistryKey(const char* lpszRegistryKey) { m_strRegistryKey = lpszRegistryKey; }

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;  // the dialog a dialog program runs; AfxGetMainWnd() returns it
  int m_nExitCode = 0;
  std::string m_strRegistryKey;
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
