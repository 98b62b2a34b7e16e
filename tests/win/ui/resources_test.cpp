// The program's resources as the system sees them, in code page 936: texts, sizes, icon masks.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "test_dialog.h"

namespace {

HINSTANCE Module() { return ::GetModuleHandleA(nullptr); }

std::string ItemText(HWND dlg, int id) {
  char text[128] = "";
  ::GetDlgItemTextA(dlg, id, text, sizeof text);
  return text;
}

TEST(Resources, RunsInCodePage936) { ASSERT_EQ(::GetACP(), 936u); }

// Without a manifest Windows virtualises the 32-bit program's writes into a protected install
// folder; a manifest with an execution level would make every save there fail.
TEST(Resources, HasNoManifest) {
  int count = 0;
  ::EnumResourceNamesA(
      Module(), RT_MANIFEST,
      [](HMODULE, LPCSTR, LPSTR, LONG_PTR found)
          CALLBACK -> BOOL { return ++*reinterpret_cast<int*>(found), TRUE; },
      reinterpret_cast<LONG_PTR>(&count));
  EXPECT_EQ(count, 0);
}

TEST(Resources, AboutMenuString) {
  char text[64] = "";
  ASSERT_GT(::LoadStringA(Module(), IDS_ABOUT_MENU, text, sizeof text), 0);
  EXPECT_STREQ(text, "关于 Tarnlook(&A)...");
}

TEST(Resources, MainDialogTemplateTexts) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    EXPECT_EQ(ItemText(d.m_hWnd, IDC_REDETECT), "重新检测");
    EXPECT_EQ(ItemText(d.m_hWnd, IDC_MINIMIZE_BUTTON), "—");
    EXPECT_EQ(ItemText(d.m_hWnd, IDC_CLOSE_BUTTON), "X");
    for (int id :
         {IDC_TITLE, IDC_STATUS_TEXT, IDC_SUMMARY_PREFIX, IDC_UNKNOWN_COUNT, IDC_SUMMARY_SUFFIX}) {
      EXPECT_EQ(ItemText(d.m_hWnd, id), "静态") << id;
    }
    EXPECT_EQ(d.GetWindowText(), "");
    EXPECT_EQ(d.GetStyle() & (WS_POPUP | WS_CAPTION | WS_BORDER | WS_SYSMENU),
              DWORD(WS_POPUP | WS_SYSMENU));
    EXPECT_TRUE(d.GetExStyle() & WS_EX_APPWINDOW);
    // Initially hidden: the editor and the summary texts.
    for (int id : {IDC_NAME_EDIT, IDC_STATUS_TEXT, IDC_SUMMARY_PREFIX, IDC_UNKNOWN_COUNT,
                   IDC_SUMMARY_SUFFIX}) {
      EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(d.m_hWnd, id))) << id;
    }
    const DWORD list = d.m_listDevices.GetStyle();
    EXPECT_EQ(list & LVS_TYPEMASK, DWORD(LVS_REPORT));
    EXPECT_TRUE(list & LVS_OWNERDRAWFIXED);
    EXPECT_TRUE(list & LVS_NOCOLUMNHEADER);
    EXPECT_EQ(d.m_btnRedetect.GetStyle() & BS_TYPEMASK, DWORD(BS_OWNERDRAW));
    EXPECT_TRUE(d.m_btnRedetect.GetExStyle() & WS_EX_TRANSPARENT);
    // The font of the template: 9 pt 宋体.
    LOGFONTA lf{};
    ::GetObjectA(reinterpret_cast<HFONT>(d.SendMessage(WM_GETFONT)), sizeof lf, &lf);
    EXPECT_STREQ(lf.lfFaceName, "宋体");
  });
}

class CAboutTestDlg : public CDialog {
 public:
  CAboutTestDlg() : CDialog(IDD_ABOUT_DIALOG) {}
  std::string m_strCaption, m_strVersion, m_strOk;

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_strCaption = GetWindowText();
    HWND child = ::GetWindow(m_hWnd, GW_CHILD);
    for (; child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      char text[64] = "";
      ::GetWindowTextA(child, text, sizeof text);
      if (std::string(text).find("Tarnlook") == 0) m_strVersion = text;
    }
    m_strOk = ItemText(m_hWnd, IDOK);
    PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
  }
};

TEST(Resources, AboutDialogTexts) {
  CAboutTestDlg dlg;
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.m_strCaption, "关于 Tarnlook");
  // The version text is the CMake project's version, put together by the resource compiler.
  const std::string version = std::to_string(TARNLOOK_VERSION_MAJOR) + "." +
                              std::to_string(TARNLOOK_VERSION_MINOR) + "." +
                              std::to_string(TARNLOOK_VERSION_PATCH);
  EXPECT_EQ(dlg.m_strVersion, "Tarnlook " + version + " 版");
  EXPECT_EQ(dlg.m_strOk, "确定");
}

TEST(Resources, BitmapSizes) {
  struct {
    UINT id;
    LONG width, height;
  } cases[] = {{IDB_SKIN, 568, 373},
               {IDB_BUTTON_MINIMIZE, 132, 20},
               {IDB_BUTTON_CLOSE, 168, 20},
               {IDB_BUTTON_REDETECT, 368, 29}};
  for (const auto& c : cases) {
    HBITMAP bmp = ::LoadBitmapA(Module(), MAKEINTRESOURCEA(c.id));
    ASSERT_NE(bmp, nullptr) << c.id;
    BITMAP bm{};
    ::GetObjectA(bmp, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, c.width) << c.id;
    EXPECT_EQ(bm.bmHeight, c.height) << c.id;
    ::DeleteObject(bmp);
  }
}

TEST(Resources, IconsAre32PixelsWithMasks) {
  for (UINT id : {IDI_APP, IDI_MARK_UNKNOWN, IDI_MARK_KNOWN, IDI_HOST_LOCAL, IDI_HOST_KNOWN,
                  IDI_HOST_UNKNOWN}) {
    HICON icon = ::LoadIconA(Module(), MAKEINTRESOURCEA(id));
    ASSERT_NE(icon, nullptr) << id;
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon, &info)) << id;
    EXPECT_NE(info.hbmMask, nullptr) << id;
    BITMAP bm{};
    ::GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32) << id;
    EXPECT_EQ(bm.bmHeight, 32) << id;
    ::DeleteObject(info.hbmMask);
    ::DeleteObject(info.hbmColor);
  }
}

}  // namespace
