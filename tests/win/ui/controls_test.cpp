// The skinned controls on a dialog made from the main window's template, under Wine with a
// display. Input is real: SendInput moves and clicks the mouse.
#include <windows.h>

#include <atomic>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "test_dialog.h"
#include "ui/tray_icon.h"
#include "winlib/dc.h"
#include "winlib/image_list.h"

namespace {

int RowHeight(const CListCtrl& list) {
  RECT rc = {LVIR_BOUNDS, 0, 0, 0};
  if (!list.SendMessage(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rc))) return -1;
  return rc.bottom - rc.top;
}

int ExpectedRowHeight(HFONT font) {
  LOGFONTA lf{};
  ::GetObjectA(font, sizeof lf, &lf);
  return 30 + std::abs(static_cast<int>(lf.lfHeight));
}

void AddRow(const CListCtrl& list, int row, const char* name, const char* net, const char* status) {
  list.InsertItem(row, name);
  list.SetItemText(row, 1, net);
  list.SetItemText(row, 2, status);
}

SIZE WindowSize(HWND hWnd) {
  RECT rc;
  ::GetWindowRect(hWnd, &rc);
  return {rc.right - rc.left, rc.bottom - rc.top};
}

// A screen-compatible memory surface, white to start with.
struct Surface {
  explicit Surface(int w, int h) : width(w), height(h) {
    HDC screen = ::GetDC(nullptr);
    dc = ::CreateCompatibleDC(screen);
    bitmap = ::CreateCompatibleBitmap(screen, w, h);
    ::ReleaseDC(nullptr, screen);
    old = ::SelectObject(dc, bitmap);
    RECT rc = {0, 0, w, h};
    ::FillRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  }
  ~Surface() {
    ::SelectObject(dc, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
  }
  COLORREF Pixel(int x, int y) const { return ::GetPixel(dc, x, y); }
  int width, height;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

// Frame f of bitmap strip id, drawn 1:1 onto a surface of one frame.
void DrawStripFrame(Surface& s, UINT id, int frame) {
  HBITMAP strip = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
  HDC src = ::CreateCompatibleDC(s.dc);
  HGDIOBJ old = ::SelectObject(src, strip);
  ::BitBlt(s.dc, 0, 0, s.width, s.height, src, frame * s.width, 0, SRCCOPY);
  ::SelectObject(src, old);
  ::DeleteDC(src);
  ::DeleteObject(strip);
}

bool SamePixels(const Surface& a, const Surface& b) {
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
  return true;
}

void PaintButton(CBmpButton& button, Surface& s) {
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_BUTTON;
  dis.hwndItem = button.m_hWnd;
  dis.hDC = s.dc;
  dis.rcItem = {0, 0, s.width, s.height};
  button.DrawItem(&dis);
}

void MouseTo(HWND hWnd, int x, int y) {  // client coordinates of hWnd
  POINT pt = {x, y};
  ::ClientToScreen(hWnd, &pt);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((pt.x * 65536 + 32768) / ::GetSystemMetrics(SM_CXSCREEN));
  in.mi.dy = static_cast<LONG>((pt.y * 65536 + 32768) / ::GetSystemMetrics(SM_CYSCREEN));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &in, sizeof in);
  PumpMessages(120);
}

void MouseButton(bool down) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &in, sizeof in);
  PumpMessages(120);
}

TEST(SkinnedControls, RowHeightFollowsTheFont) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    AddRow(d.m_listDevices, 0, "\n当前电脑\n\n主机名: a", "\nMAC地址:x\n\nIP地址: y",
           "\n\n标记为已知");
    // The set-up's own font: 18 pt.
    EXPECT_EQ(RowHeight(d.m_listDevices), ExpectedRowHeight(d.m_listDevices.GetFont()));

    CFont yahei;
    yahei.CreateFont(22, 0, 0, 0, 500, 0, 0, 0, 0, 0, 0, 0, FF_SWISS, "微软雅黑");
    d.m_listDevices.SetFont(yahei, true);
    EXPECT_EQ(RowHeight(d.m_listDevices), 52);

    CFont simsun;
    simsun.CreatePointFont(150, "宋体");
    d.m_listDevices.SetFont(simsun, true);
    EXPECT_EQ(RowHeight(d.m_listDevices), ExpectedRowHeight(simsun));
    EXPECT_GT(RowHeight(d.m_listDevices), 30);
    d.m_listDevices.DeleteAllItems();
  });
}

TEST(SkinnedControls, SetUpInsertsThreeOwnerDrawnColumns) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    const int widths[] = {206, 204, 135};
    for (int c = 0; c < 3; ++c) EXPECT_EQ(d.m_listDevices.GetColumnWidth(c), widths[c]);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    EXPECT_FALSE(d.m_listDevices.GetColumn(3, &column));

    ASSERT_NE(d.m_listDevices.m_header.m_hWnd, nullptr);
    ASSERT_EQ(d.m_listDevices.m_header.GetItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
      HDITEMA item{};
      item.mask = HDI_FORMAT;
      ASSERT_TRUE(d.m_listDevices.m_header.GetItem(i, &item));
      EXPECT_TRUE(item.fmt & HDF_OWNERDRAW) << i;
    }
  });
}

TEST(SkinnedControls, ColumnCountAboveThreeInsertsThree) {
  CControlsTestDlg dlg;
  dlg.m_bSkipSetUp = true;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    d.m_listDevices.m_nColumnCount = 5;
    d.m_listDevices.SetUpList();
    EXPECT_EQ(d.m_listDevices.m_header.GetItemCount(), 3);
  });
}

TEST(SkinnedControls, RowsDrawIconsByStatus) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    CImageList images;
    images.Create(32, 32, ILC_COLOR24 | ILC_MASK, 1, 1);
    for (UINT id :
         {IDI_HOST_LOCAL, IDI_HOST_KNOWN, IDI_HOST_UNKNOWN, IDI_MARK_UNKNOWN, IDI_MARK_KNOWN}) {
      ASSERT_GE(images.Add(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id))), 0);
    }
    d.m_listDevices.SetImageList(images, LVSIL_SMALL);
    AddRow(d.m_listDevices, 0, "\n当前电脑\n\n主机名: me", "\nMAC:a\n\nIP: b", "\n本机");
    AddRow(d.m_listDevices, 1, "\n当前电脑\n\n主机名: new", "\nMAC:c\n\nIP: d", "\n\n标记为已知");
    AddRow(d.m_listDevices, 2, "\n当前电脑\n\n主机名: old", "\nMAC:e\n\nIP: f", "\n\n标记为未知");
    AddRow(d.m_listDevices, 3, "\n当前电脑\n\n主机名: odd", "\nMAC:g\n\nIP: h", "\n\n?");

    // Each row painted alone onto white: the device icon's centre (10 + 16, 11 + 16) and the
    // upper part of the badge's disc (410 + 10 + 16, 14 + 9), clear of its white mark, are
    // covered or not.
    const bool icon[] = {true, true, true, false};
    const bool badge[] = {false, true, true, false};
    for (int row = 0; row < 4; ++row) {
      Surface s(545, 52);
      DRAWITEMSTRUCT dis{};
      dis.CtlType = ODT_LISTVIEW;
      dis.itemID = static_cast<UINT>(row);
      dis.hwndItem = d.m_listDevices.m_hWnd;
      dis.hDC = s.dc;
      dis.rcItem = {0, 0, 545, 52};
      d.m_listDevices.DrawItem(&dis);
      EXPECT_EQ(s.Pixel(26, 27) != RGB(255, 255, 255), icon[row]) << row;
      EXPECT_EQ(s.Pixel(436, 23) != RGB(255, 255, 255), badge[row]) << row;
      // Text starts at 55 in column 0: something is drawn right of the icon column.
      bool text = false;
      for (int y = 0; y < 52 && !text; ++y)
        for (int x = 55; x < 200 && !text; ++x) text = s.Pixel(x, y) != RGB(255, 255, 255);
      EXPECT_TRUE(text) << row;
    }
    d.m_listDevices.SetImageList(nullptr, LVSIL_SMALL);
  });
}

TEST(SkinnedControls, ButtonsTakeOneFrameOfTheirStrip) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    struct Case {
      CBmpButton& button;
      UINT strip;
      SIZE size;
    } cases[] = {
        {d.m_btnMinimize, IDB_BUTTON_MINIMIZE, {33, 20}},
        {d.m_btnClose, IDB_BUTTON_CLOSE, {42, 20}},
        {d.m_btnRedetect, IDB_BUTTON_REDETECT, {92, 29}},
    };
    for (Case& c : cases) {
      RECT before;
      ::GetWindowRect(c.button.m_hWnd, &before);
      EXPECT_EQ(c.button.SetBitmap(c.strip), 1);
      RECT after;
      ::GetWindowRect(c.button.m_hWnd, &after);
      EXPECT_EQ(after.right - after.left, c.size.cx) << c.strip;
      EXPECT_EQ(after.bottom - after.top, c.size.cy) << c.strip;
      EXPECT_EQ(after.left, before.left) << c.strip;
      EXPECT_EQ(after.top, before.top) << c.strip;
    }
    EXPECT_EQ(d.m_btnClose.SetBitmap(9999), 0);  // no such strip: no pictures
    Surface s(42, 20);
    PaintButton(d.m_btnClose, s);
    EXPECT_EQ(s.Pixel(20, 10), RGB(255, 255, 255));
  });
}

TEST(SkinnedControls, DisabledButtonShowsTheNormalFrame) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    CBmpButton& b = d.m_btnClose;  // its frames differ: blue, dark blue, red, red
    ASSERT_EQ(b.SetBitmap(IDB_BUTTON_CLOSE), 1);
    Surface normal(42, 20), hovered(42, 20), drawn(42, 20);
    DrawStripFrame(normal, IDB_BUTTON_CLOSE, 0);
    DrawStripFrame(hovered, IDB_BUTTON_CLOSE, 3);
    ASSERT_FALSE(SamePixels(normal, hovered));

    b.m_bHover = b.m_bHighlight = b.m_bFocused = TRUE;
    PaintButton(b, drawn);
    EXPECT_TRUE(SamePixels(drawn, hovered));

    b.EnableWindow(false);
    b.m_bLButtonDown = TRUE;
    PaintButton(b, drawn);
    EXPECT_TRUE(SamePixels(drawn, normal));
    EXPECT_TRUE(b.m_bDisabled);
    b.EnableWindow(true);
  });
}

TEST(SkinnedControls, DialogTakesTheSkinsSizeAndShape) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    SIZE before = WindowSize(d.m_hWnd);
    ASSERT_EQ(d.LoadSkin(), 1);
    SIZE after = WindowSize(d.m_hWnd);
    EXPECT_EQ(after.cx, 568);
    EXPECT_EQ(after.cy, 373);
    EXPECT_TRUE(before.cx != 568 || before.cy != 373);  // the template alone gives another size
    EXPECT_EQ(d.m_crTransparent, RGB(128, 0, 0));
    // The skin has no key pixels: the region is the whole bitmap.
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(::GetWindowRgn(d.m_hWnd, region), SIMPLEREGION);
    RECT box;
    ::GetRgnBox(region, &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 568);
    EXPECT_EQ(box.bottom, 373);
    ::DeleteObject(region);
    EXPECT_EQ(d.LoadSkin(), 1);  // a second load replaces the bitmap
  });
}

// A 24-bit DIB section with key-coloured margins and one all-key row.
HBITMAP KeyedBitmap(int w, int h, int margin, int keyRow) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down, for easy filling
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  const int stride = (w * 3 + 3) & ~3;
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<BYTE*>(bits) + stride * y;
    for (int x = 0; x < w; ++x) {
      bool key = x < margin || x >= w - margin || y == keyRow;
      row[3 * x] = key ? 0 : 40;        // blue
      row[3 * x + 1] = key ? 0 : 160;   // green
      row[3 * x + 2] = key ? 128 : 90;  // red
    }
  }
  return bmp;
}

TEST(SkinRegionShell, KeyMarginsAndRowsAreCutAway) {
  HBITMAP bmp = KeyedBitmap(40, 10, 5, 3);
  HRGN region = CreateRegionFromBitmap(bmp, RGB(128, 0, 0));
  ASSERT_NE(region, nullptr);
  RECT box;
  EXPECT_EQ(::GetRgnBox(region, &box), COMPLEXREGION);
  EXPECT_EQ(box.left, 5);
  EXPECT_EQ(box.right, 35);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.bottom, 10);
  EXPECT_TRUE(::PtInRegion(region, 5, 0));
  EXPECT_FALSE(::PtInRegion(region, 4, 0));
  EXPECT_FALSE(::PtInRegion(region, 35, 9));
  EXPECT_FALSE(::PtInRegion(region, 20, 3));  // the all-key row
  EXPECT_TRUE(::PtInRegion(region, 20, 4));
  ::DeleteObject(region);
  ::DeleteObject(bmp);

  HBITMAP allKey = KeyedBitmap(8, 4, 4, -1);
  region = CreateRegionFromBitmap(allKey, RGB(128, 0, 0));
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(::GetRgnBox(region, &box), NULLREGION);
  ::DeleteObject(region);
  ::DeleteObject(allKey);
}

// A DIB section of the given depth, 12 x 2, whose two left and two right columns are the key.
HBITMAP KeyMarginsAtDepth(int bits) {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
  } bi{};
  bi.header.biSize = sizeof(BITMAPINFOHEADER);
  bi.header.biWidth = 12;
  bi.header.biHeight = 2;
  bi.header.biPlanes = 1;
  bi.header.biBitCount = static_cast<WORD>(bits);
  bi.colors[1] = {0, 0, 128, 0};  // the key, red 128
  bi.colors[2] = {128, 0, 0, 0};  // blue 128: not the key
  void* pixels = nullptr;
  HBITMAP bmp = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS,
                                   &pixels, nullptr, 0);
  const int stride = ((12 * bits + 31) / 32) * 4;
  for (int y = 0; y < 2; ++y) {
    auto* row = static_cast<BYTE*>(pixels) + stride * y;
    for (int x = 0; x < 12; ++x) {
      const bool key = x < 2 || x >= 10;
      if (bits == 8) {
        row[x] = key ? 1 : 2;
      } else {  // 16 bits without masks: 5-5-5, red in bits 10-14
        const WORD value = key ? WORD(16 << 10) : WORD(16);
        row[2 * x] = LOBYTE(value);
        row[2 * x + 1] = HIBYTE(value);
      }
    }
  }
  return bmp;
}

TEST(SkinRegionShell, EightAndSixteenBitSkinsCutTheirKeyColour) {
  for (int bits : {8, 16}) {
    HBITMAP bmp = KeyMarginsAtDepth(bits);
    ASSERT_NE(bmp, nullptr) << bits;
    HRGN region = CreateRegionFromBitmap(bmp, RGB(128, 0, 0));
    ASSERT_NE(region, nullptr) << bits;
    RECT box;
    ::GetRgnBox(region, &box);
    EXPECT_EQ(box.left, 2) << bits;
    EXPECT_EQ(box.right, 10) << bits;
    EXPECT_EQ(box.bottom, 2) << bits;
    ::DeleteObject(region);
    ::DeleteObject(bmp);
  }
}

TEST(BitmapButtonInput, OneClickPerPressAndReleaseNoneForReleaseOutside) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    ::SetForegroundWindow(d.m_hWnd);
    ASSERT_EQ(d.m_btnRedetect.SetBitmap(IDB_BUTTON_REDETECT), 1);
    PumpMessages(200);
    HWND button = d.m_btnRedetect.m_hWnd;

    // The button does not have the focus: the press takes it, the release still clicks.
    MouseTo(button, 5, 5);
    MouseTo(button, 40, 14);
    MouseButton(true);
    MouseButton(false);
    EXPECT_EQ(d.m_nRedetectClicks, 1);
    EXPECT_EQ(::GetFocus(), button);

    // Again, now with the focus.
    MouseButton(true);
    MouseButton(false);
    EXPECT_EQ(d.m_nRedetectClicks, 2);

    // Press, leave the button, release outside: no click, and the button lets go.
    MouseButton(true);
    MouseTo(button, 40, 60);
    MouseButton(false);
    EXPECT_EQ(d.m_nRedetectClicks, 2);
    EXPECT_NE(::GetCapture(), button);
    EXPECT_FALSE(d.m_btnRedetect.m_bLButtonDown);

    // A double click: one click for each release.
    MouseTo(button, 40, 14);
    MouseButton(true);
    MouseButton(false);
    MouseButton(true);
    MouseButton(false);
    EXPECT_EQ(d.m_nRedetectClicks, 4);
    EXPECT_EQ(d.m_nCloseClicks, 0);
  });
}

TEST(BitmapButtonInput, PointerLeavingReturnsTheButtonToNormal) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    ::SetForegroundWindow(d.m_hWnd);
    CBmpButton& b = d.m_btnClose;
    ASSERT_EQ(b.SetBitmap(IDB_BUTTON_CLOSE), 1);
    PumpMessages(100);
    MouseTo(b.m_hWnd, 20, 10);
    PumpMessages(300);  // long enough to rest: the hovered picture
    EXPECT_TRUE(b.m_bHighlight);
    EXPECT_TRUE(b.m_bHover);
    EXPECT_EQ(::GetCapture(), b.m_hWnd);
    MouseTo(b.m_hWnd, 20, 200);
    PumpMessages(600);
    EXPECT_FALSE(b.m_bHighlight);
    EXPECT_FALSE(b.m_bHover);
    EXPECT_NE(::GetCapture(), b.m_hWnd);
    Surface normal(42, 20), drawn(42, 20);
    DrawStripFrame(normal, IDB_BUTTON_CLOSE, 0);
    PaintButton(b, drawn);
    EXPECT_TRUE(SamePixels(drawn, normal));
  });
}

void SendMove(int x, int y) {  // screen coordinates
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((x * 65536 + 32768) / ::GetSystemMetrics(SM_CXSCREEN));
  in.mi.dy = static_cast<LONG>((y * 65536 + 32768) / ::GetSystemMetrics(SM_CYSCREEN));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  ::SendInput(1, &in, sizeof in);
}

void SendButton(bool down) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &in, sizeof in);
}

// Presses at client point (x, y), drags by (dx, dy) in steps and releases; returns how far the
// window moved. The system's move loop runs inside this thread's message handling until the
// release, so the input comes from a second thread, as a user's would.
POINT Drag(HWND dlg, int x, int y, int dx, int dy) {
  RECT before;
  ::GetWindowRect(dlg, &before);
  POINT start = {x, y};
  ::ClientToScreen(dlg, &start);
  std::atomic<bool> done{false};
  std::thread user([&] {
    SendMove(start.x, start.y);
    ::Sleep(120);
    SendButton(true);
    ::Sleep(120);
    for (int step = 1; step <= 4; ++step) {
      SendMove(start.x + dx * step / 4, start.y + dy * step / 4);
      ::Sleep(80);
    }
    SendButton(false);
    ::Sleep(120);
    done = true;
  });
  while (!done) PumpMessages(20);
  user.join();
  PumpMessages(150);
  RECT after;
  ::GetWindowRect(dlg, &after);
  return {after.left - before.left, after.top - before.top};
}

TEST(BitmapDialogInput, DraggingTheBackgroundMovesTheWindow) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    ::SetForegroundWindow(d.m_hWnd);
    ASSERT_EQ(d.LoadSkin(), 1);
    d.SetWindowPos(nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    PumpMessages(150);

    // Without the flag a press on the background does nothing.
    POINT moved = Drag(d.m_hWnd, 300, 60, 40, 30);
    EXPECT_EQ(moved.x, 0);
    EXPECT_EQ(moved.y, 0);

    d.m_bDragByBackground = TRUE;
    moved = Drag(d.m_hWnd, 300, 60, 40, 30);
    EXPECT_EQ(moved.x, 40);
    EXPECT_EQ(moved.y, 30);

    // A press on the list goes to the list.
    moved = Drag(d.m_hWnd, 300, 250, 40, 30);
    EXPECT_EQ(moved.x, 0);
    EXPECT_EQ(moved.y, 0);
    SendMove(900, 700);
  });
}

TEST(BitmapButtonInput, DisabledButtonIgnoresTheMouse) {
  CControlsTestDlg dlg;
  RUN_DIALOG(dlg, [](CControlsTestDlg& d) {
    ::SetForegroundWindow(d.m_hWnd);
    d.m_btnRedetect.SetBitmap(IDB_BUTTON_REDETECT);
    d.m_btnRedetect.EnableWindow(false);
    PumpMessages(100);
    MouseTo(d.m_btnRedetect.m_hWnd, 40, 14);
    MouseButton(true);
    MouseButton(false);
    EXPECT_EQ(d.m_nRedetectClicks, 0);
    EXPECT_TRUE(d.m_btnRedetect.m_bDisabled);
    MouseTo(d.m_btnRedetect.m_hWnd, 40, 80);
  });
}

}  // namespace

namespace {

struct TrayWindows {
  bool trayShown = false;  // Wine's standalone tray window, of explorer.exe's process
  int visibleTips = 0;     // the balloon is a visible tooltip window of that process
};

// What Wine shows for notification icons without a window manager.
TrayWindows FindTrayWindows() {
  TrayWindows found;
  ::EnumWindows(
      [](HWND window, LPARAM param) CALLBACK -> BOOL {
        auto* f = reinterpret_cast<TrayWindows*>(param);
        char name[64] = {};
        ::GetClassNameA(window, name, sizeof name);
        if (!::IsWindowVisible(window)) return TRUE;
        if (std::strcmp(name, "__winex11_standalone_tray") == 0) f->trayShown = true;
        if (std::strcmp(name, "tooltips_class32") == 0) f->visibleTips++;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

TrayWindows WaitForTray(bool (*done)(const TrayWindows&)) {
  TrayWindows t;
  for (int i = 0; i < 50 && !done(t = FindTrayWindows()); ++i) PumpMessages(100);
  return t;
}

TEST(TrayIcon, ShownWhileAddedWithItsBalloonAndGoneWithIt) {
  HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
  {
    CTrayIcon tray;
    EXPECT_FALSE(tray.ShowBalloon("x", "y"));  // nothing held yet
    tray.Create(owner, WM_APP + 1, ::LoadIconA(nullptr, IDI_APPLICATION));
    ASSERT_TRUE(tray.Add("Tarnlook 正在监视您的局域网"));
    EXPECT_TRUE(WaitForTray([](const TrayWindows& t) { return t.trayShown; }).trayShown);
    EXPECT_TRUE(tray.SetTip("Tarnlook 正在监视您的局域网：3 个未知设备"));
    ASSERT_TRUE(tray.ShowBalloon("发现新的未知设备", "printer\nIP：192.168.1.9"));
    // Wine shows the balloon about two seconds later.
    EXPECT_EQ(WaitForTray([](const TrayWindows& t) { return t.visibleTips > 0; }).visibleTips, 1);

    tray.Remove();
    EXPECT_FALSE(WaitForTray([](const TrayWindows& t) { return !t.trayShown; }).trayShown);
    EXPECT_FALSE(tray.Restore(true));  // not wanted: stays away
    ASSERT_TRUE(tray.Add("again"));
    // "TaskbarCreated" from a shell that still holds the icon: it is still taken as shown.
    EXPECT_TRUE(tray.Restore(true));
    EXPECT_TRUE(tray.IsShown());
    EXPECT_TRUE(WaitForTray([](const TrayWindows& t) { return t.trayShown; }).trayShown);
  }
  EXPECT_FALSE(WaitForTray([](const TrayWindows& t) { return !t.trayShown; }).trayShown);
  ::DestroyWindow(owner);
}

}  // namespace
