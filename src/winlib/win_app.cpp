#include "winlib/win_app.h"

#include "winlib/wnd.h"

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp() : m_hInstance(::GetModuleHandleA(nullptr)) { g_pApp = this; }

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
