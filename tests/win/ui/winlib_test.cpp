// The class library's dialog plumbing: modal runs, data exchange, default OK and Cancel,
// message-map dispatch and owner-draw reflection to bound controls.
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>

#include "test_dialog.h"
#include "winlib/win_app.h"
#include "winlib/window_hook.h"

namespace {

class CPassingHook : public CWindowHook {
  bool OnHookedMessage(UINT, WPARAM, LPARAM, LRESULT&) override { return false; }
};

// Another program's procedure, put in front of the hook's.
WNDPROC g_pfnBehindFront = nullptr;
LRESULT CALLBACK FrontProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcA(g_pfnBehindFront, hWnd, message, wParam, lParam);
}

TEST(Winlib, ModalRunEndsWithTheBodysResult) {
  CControlsTestDlg dlg;
  bool ran = false;
  EXPECT_EQ(dlg.Run([&](CControlsTestDlg& d) {
    ran = true;
    EXPECT_EQ(CWnd::FromHandlePermanent(d.m_hWnd), &d);
    EXPECT_EQ(CWnd::FromHandlePermanent(d.m_listDevices.m_hWnd), &d.m_listDevices);
    EXPECT_EQ(d.GetDlgItem(IDC_DEVICE_LIST), &d.m_listDevices);  // a bound item is its object
  }),
            IDOK);
  EXPECT_TRUE(ran);
  EXPECT_EQ(dlg.m_hWnd, nullptr);  // unbound when the window went away
  EXPECT_EQ(dlg.m_listDevices.m_hWnd, nullptr);
}

TEST(Winlib, DataExchangeBothWays) {
  CControlsTestDlg dlg;
  dlg.m_strName = "名字";
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    EXPECT_EQ(d.m_editName.GetWindowText(), "名字");  // OnInitDialog put it in
    d.m_editName.SetWindowText("新名字");
    EXPECT_TRUE(d.UpdateData(true));
    EXPECT_EQ(d.m_strName, "新名字");
    d.m_strName = "x";
    d.UpdateData(false);
    EXPECT_EQ(d.m_editName.GetWindowText(), "x");
  });
}

TEST(Winlib, EscapeAndEnterEndTheDialogThroughCancelAndOk) {
  for (WORD id : {WORD(IDCANCEL), WORD(IDOK)}) {
    CControlsTestDlg dlg;
    INT_PTR result = 0;
    // The body posts the command and returns to the modal loop by pumping: the dialog ends
    // before the body's own EndDialog.
    result = dlg.Run([id](CControlsTestDlg& d) {
      d.m_editName.SetWindowText("typed");
      d.PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
      PumpMessages(50);
    });
    EXPECT_EQ(result, id);
    if (id == IDOK) {
      EXPECT_EQ(dlg.m_strName, "typed");  // OK reads the controls back
    }
  }
}

TEST(Winlib, OwnerDrawIsReflectedToTheBoundControl) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    // WM_MEASUREITEM names the control by id; the list measures itself (30 + |font height|).
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_LISTVIEW;
    mis.CtlID = IDC_DEVICE_LIST;
    EXPECT_EQ(d.SendMessage(WM_MEASUREITEM, IDC_DEVICE_LIST, reinterpret_cast<LPARAM>(&mis)), TRUE);
    LOGFONTA lf{};
    ::GetObjectA(d.m_listDevices.GetFont(), sizeof lf, &lf);
    EXPECT_EQ(static_cast<int>(mis.itemHeight), 30 + std::abs(static_cast<int>(lf.lfHeight)));

    // An id that names no bound control is left to the default handling.
    mis.CtlID = IDC_TITLE;
    mis.itemHeight = 7;
    d.SendMessage(WM_MEASUREITEM, IDC_TITLE, reinterpret_cast<LPARAM>(&mis));
    EXPECT_EQ(mis.itemHeight, 7u);
  });
}

TEST(Winlib, ButtonNotificationsReachTheMap) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CLOSE_BUTTON, BN_CLICKED),
                  reinterpret_cast<LPARAM>(d.m_btnClose.m_hWnd));
    d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CLOSE_BUTTON, BN_DOUBLECLICKED),
                  reinterpret_cast<LPARAM>(d.m_btnClose.m_hWnd));
    EXPECT_EQ(d.m_nCloseClicks, 1);  // only BN_CLICKED matches ON_BN_CLICKED
  });
}

TEST(Winlib, HookTakenOutBehindAnotherProcedureStillPassesMessagesOn) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    HWND list = d.m_listDevices.m_hWnd;
    const LRESULT header = ::SendMessageA(list, LVM_GETHEADER, 0, 0);  // the list's own answer
    ASSERT_NE(header, 0);
    auto hook = std::make_unique<CPassingHook>();
    ASSERT_TRUE(hook->Hook(list));
    g_pfnBehindFront = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrontProc)));
    hook.reset();  // unhooks while FrontProc sits in front
    ASSERT_EQ(::SendMessageA(list, LVM_GETHEADER, 0, 0), header);
    CPassingHook again;  // takes the place the old hook's procedure still holds: no loop
    ASSERT_TRUE(again.Hook(list));
    EXPECT_EQ(::SendMessageA(list, LVM_GETHEADER, 0, 0), header);
    again.Unhook();
    // FrontProc goes: the hook's procedure heads the chain again and steps out at the next message.
    ::SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_pfnBehindFront));
    EXPECT_EQ(::SendMessageA(list, LVM_GETHEADER, 0, 0), header);
    EXPECT_NE(::GetWindowLongPtrA(list, GWLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(g_pfnBehindFront));
  });
}

TEST(Winlib, HookCutOutOfTheChainByAnotherProcedureCanBeMadeAgain) {
  for (bool unhookedFirst : {false, true}) {
    CControlsTestDlg dlg;
    RUN_DIALOG(dlg, [unhookedFirst](CControlsTestDlg& d) {
      HWND list = d.m_listDevices.m_hWnd;
      const LONG_PTR own = ::GetWindowLongPtrA(list, GWLP_WNDPROC);
      auto cut = std::make_unique<CPassingHook>();
      ASSERT_TRUE(cut->Hook(list));
      // A procedure goes in front, then its owner puts back the one it found before the hook's.
      ::SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FrontProc));
      ::SetWindowLongPtrA(list, GWLP_WNDPROC, own);
      if (unhookedFirst) cut.reset();
      CPassingHook again;
      ASSERT_TRUE(again.Hook(list)) << unhookedFirst;
      EXPECT_NE(::GetWindowLongPtrA(list, GWLP_WNDPROC), own) << unhookedFirst;  // installed
      cut.reset();  // the cut-out hook's end leaves the new one in place
      EXPECT_NE(::GetWindowLongPtrA(list, GWLP_WNDPROC), own) << unhookedFirst;
      again.Unhook();
      EXPECT_EQ(::GetWindowLongPtrA(list, GWLP_WNDPROC), own) << unhookedFirst;
    });
  }
}

TEST(Winlib, FontsFromPointSizes) {
  CFont font;
  HDC screen = ::GetDC(nullptr);
  ASSERT_EQ(::GetDeviceCaps(screen, LOGPIXELSY), 96);
  ::ReleaseDC(nullptr, screen);
  ASSERT_TRUE(font.CreatePointFont(110, "宋体"));
  LOGFONTA lf{};
  ASSERT_TRUE(font.GetLogFont(&lf));
  EXPECT_EQ(lf.lfHeight, -15);  // 14.67 pixels, rounded
  EXPECT_STREQ(lf.lfFaceName, "宋体");
}

// Settings under HKEY_CURRENT_USER\Software\<key>\<profile>\<section>, through the registry API.
TEST(Winlib, ProfileNumbersReadOnlyFourByteDwords) {
  const char kKey[] = "Software\\TarnlookWinlibTest";
  const char kSection[] = "Software\\TarnlookWinlibTest\\Tarnlook\\Watch";
  CWinApp app("Tarnlook");
  EXPECT_EQ(app.GetProfileInt("Watch", "Enabled", 7), 7u);  // no registry key named yet
  EXPECT_FALSE(app.WriteProfileInt("Watch", "Enabled", 1));
  app.SetRegistryKey("TarnlookWinlibTest");
  EXPECT_EQ(app.GetProfileInt("Watch", "Enabled", 7), 7u);
  HKEY key = nullptr;
  EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key),
            ERROR_SUCCESS);  // reading made none

  ASSERT_TRUE(app.WriteProfileInt("Watch", "Enabled", -1));
  EXPECT_EQ(app.GetProfileInt("Watch", "Enabled", 0), 0xFFFFFFFFu);
  ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kSection, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  const struct {
    DWORD type;
    const char* bytes;
    DWORD size;
  } wrong[] = {{REG_SZ, "60", 3},
               {REG_BINARY, "\x3C\x00", 2},
               {REG_QWORD, "\x3C\0\0\0\0\0\0", 8},
               {REG_BINARY, "\x3C\0\0", 4}};
  for (const auto& w : wrong) {
    ::RegSetValueExA(key, "IntervalSeconds", 0, w.type, reinterpret_cast<const BYTE*>(w.bytes),
                     w.size);
    EXPECT_EQ(app.GetProfileInt("Watch", "IntervalSeconds", 300), 300u) << w.type;
    const auto raw = app.GetProfileValue("Watch", "IntervalSeconds");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, w.type);
    EXPECT_EQ(raw->data, std::string(w.bytes, w.size));
  }
  ::RegCloseKey(key);
  EXPECT_FALSE(app.GetProfileValue("Watch", "Missing"));
  ::RegDeleteKeyA(HKEY_CURRENT_USER, kSection);
  ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\TarnlookWinlibTest\\Tarnlook");
  ::RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
}

}  // namespace
