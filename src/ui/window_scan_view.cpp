#include "ui/window_scan_view.h"

#include <atomic>

#include "net/scan.h"
#include "net/scan_view.h"
#include "winlib/list_ctrl.h"

namespace {

// Every call goes through a window handle: on a window that is gone it fails and does nothing.
// The handles are atomic because the dialog binds and unbinds them while workers call.
class WindowScanView final : public ScanView {
 public:
  void Bind(HWND dialog, HWND list) {
    m_hDialog.store(dialog);
    m_hList.store(list);
  }

  void InsertRow(int row, const std::string& column0) override {
    List().InsertItem(row, column0.c_str());
  }

  void SetCell(int row, int column, const std::string& text, int image) override {
    List().SetItem(row, column, LVIF_TEXT | LVIF_IMAGE, text.c_str(), image, 0, 0, 0);
  }

  void SetCellText(int row, int column, const std::string& text) override {
    List().SetItemText(row, column, text.c_str());
  }

  void RepaintList() override {
    if (::IsWindow(m_hList.load())) List().UpdateWindow();
  }

  void InvalidateList() override {
    if (::IsWindow(m_hList.load())) List().Invalidate();
  }

  void EnableItem(int id, bool enable) override { Item(id).EnableWindow(enable); }

  void ShowItem(int id, bool show) override { Item(id).ShowWindow(show ? SW_SHOW : SW_HIDE); }

  void SetItemText(int id, const std::string& text) override {
    if (::IsWindow(m_hDialog.load()))
      Handle<CWnd>(m_hDialog.load()).SetDlgItemText(id, text.c_str());
  }

  // The run ends on the user-interface thread, with the button; with no dialog to tell, here.
  void ScanEnded(int unknownCount) override {
    HWND dialog = m_hDialog.load();
    if (!::IsWindow(dialog) || ::SendMessageA(dialog, WM_SCAN_ENDED, unknownCount, 0) != 1)
      ScanView::ScanEnded(unknownCount);
  }

 private:
  // A wrapper of a window's current handle for one call. It owns and binds nothing, so it never
  // touches the dialog's own control objects, which may be gone while a worker still calls.
  template <class Window>
  struct Handle : Window {
    explicit Handle(HWND window) { this->m_hWnd = window; }
  };
  Handle<CListCtrl> List() const { return Handle<CListCtrl>(m_hList.load()); }
  Handle<CWnd> Item(int id) const {
    HWND dialog = m_hDialog.load();
    return Handle<CWnd>(::IsWindow(dialog) ? ::GetDlgItem(dialog, id) : nullptr);
  }

  std::atomic<HWND> m_hDialog{nullptr};
  std::atomic<HWND> m_hList{nullptr};
};

WindowScanView g_windowScanView;

}  // namespace

void BindScanViewToWindows(HWND dialog, HWND list) {
  g_windowScanView.Bind(dialog, list);
  InstallScanView(&g_windowScanView);
}

void UnbindScanView() { g_windowScanView.Bind(nullptr, nullptr); }
