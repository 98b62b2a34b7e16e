#include "platform/win32/scan_view_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>

#include "net/scan_view.h"

namespace {

// Every call goes through a window handle: on a window that is gone it fails and does nothing.
class WindowScanView final : public ScanView {
 public:
  void Bind(HWND dialog, HWND list) {
    m_hDialog.store(dialog);
    m_hList.store(list);
  }

  void InsertRow(int row, const std::string& column0) override {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<char*>(column0.c_str());
    SendMessageA(m_hList.load(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }

  void SetCell(int row, int column, const std::string& text, int image) override {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    item.iImage = image;
    SendMessageA(m_hList.load(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }

  void SetCellText(int row, int column, const std::string& text) override {
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(m_hList.load(), LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
  }

  void RepaintList() override {
    HWND list = m_hList.load();
    if (IsWindow(list)) UpdateWindow(list);
  }

  void InvalidateList() override {
    HWND list = m_hList.load();
    if (IsWindow(list)) InvalidateRect(list, nullptr, TRUE);
  }

  void EnableItem(int id, bool enable) override {
    if (HWND item = Item(id)) EnableWindow(item, enable ? TRUE : FALSE);
  }

  void ShowItem(int id, bool show) override {
    if (HWND item = Item(id)) ShowWindow(item, show ? SW_SHOW : SW_HIDE);
  }

  void SetItemText(int id, const std::string& text) override {
    HWND dialog = m_hDialog.load();
    if (IsWindow(dialog)) SetDlgItemTextA(dialog, id, text.c_str());
  }

 private:
  HWND Item(int id) {
    HWND dialog = m_hDialog.load();
    return IsWindow(dialog) ? GetDlgItem(dialog, id) : nullptr;
  }

  std::atomic<HWND> m_hDialog{nullptr};
  std::atomic<HWND> m_hList{nullptr};
};

WindowScanView g_windowScanView;

}  // namespace

void BindScanViewToWindows(void* dialog, void* list) {
  g_windowScanView.Bind(static_cast<HWND>(dialog), static_cast<HWND>(list));
  InstallScanView(&g_windowScanView);
}

void UnbindScanView() { g_windowScanView.Bind(nullptr, nullptr); }
