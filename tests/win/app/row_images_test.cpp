// The row image list goes exactly once: the list view that holds it destroys it with itself, and
// the program's release only drops its wrapper, whichever of the two comes first.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "ui/tarnlook_dlg.h"

namespace {

class RowImagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    m_list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT, 0, 0, 200, 200, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    if (m_list == nullptr) GTEST_SKIP() << "no display to create a list view on";
    g_pRowImages = new CImageList;
    ASSERT_TRUE(g_pRowImages->Create(32, 32, ILC_COLOR24 | ILC_MASK, 1, 1));
    for (int i = 0; i < 5; ++i) g_pRowImages->Add(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)));
    m_handle = g_pRowImages->GetSafeHandle();
    SendMessageA(m_list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(m_handle));
  }
  void TearDown() override {
    ReleaseRowImages();
    if (m_list != nullptr) DestroyWindow(m_list);
  }
  HWND m_list = nullptr;
  HIMAGELIST m_handle = nullptr;
};

TEST(MainDialogMessages, RestoreInstanceIsAppPlus500) { EXPECT_EQ(WM_RESTORE_INSTANCE, 0x81F4u); }

TEST_F(RowImagesTest, ReleaseLeavesTheImagesToTheListThatHoldsThem) {
  ReleaseRowImages();  // the close button's step, while the list still shows the rows
  EXPECT_EQ(g_pRowImages, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(m_handle), 5) << "the list's images were destroyed under it";
  EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(m_list, LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
            m_handle);
  ReleaseRowImages();                  // a second release (the dialog's destructor) does nothing
  EXPECT_TRUE(DestroyWindow(m_list));  // the list destroys the images, once
  m_list = nullptr;
}

TEST_F(RowImagesTest, ListGoingFirstLeavesOnlyTheWrapper) {
  // Ended by Escape or Alt+F4: the windows go before the dialog object releases its wrapper.
  EXPECT_TRUE(DestroyWindow(m_list));
  m_list = nullptr;
  ReleaseRowImages();
  EXPECT_EQ(g_pRowImages, nullptr);
}

}  // namespace
