#include "app/tarnlook_app.h"

#include <commctrl.h>

#include "net/list_builder.h"
#include "registry/classification_merge.h"
#include "ui/tarnlook_dlg.h"

CTarnlookApp theApp;

namespace {

// A running instance that does not answer within this time is not waited for any longer.
constexpr UINT kRestoreTimeoutMilliseconds = 30000;

}  // namespace

// Both programs (tarnlook-sim.exe too) keep their settings under the one profile name.
CTarnlookApp::CTarnlookApp() : CWinApp("Tarnlook") {}

CTarnlookApp::~CTarnlookApp() { m_guard.ReleaseGuard(); }

BOOL CTarnlookApp::InitInstance() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  CWinApp::InitInstance();
  AfxEnableControlContainer();
  // The watch's settings live under this key; the device registry lives in the client's profile
  // folder.
  SetRegistryKey("应用程序向导生成的本地应用程序");

  if (m_guard.ClaimOrDetect()) {
    HWND running = nullptr;
    if (m_guard.FindRunningWindow(&running) && running != nullptr) {
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutA(running, WM_RESTORE_INSTANCE, 0, 0, SMTO_NORMAL,
                            kRestoreTimeoutMilliseconds, &ignored);
    }
    return FALSE;
  }

  InstallProgramNetPort();
  InstallMergeStep(MergeRegistry);
  CTarnlookDlg dlg([this](const HWND* window) { m_guard.PublishWindow(window); });
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}

int CTarnlookApp::ExitInstance() {
  m_guard.ReleaseGuard();
  return 0;
}
