#include "net/scan_view.h"

#include <atomic>

#include "net/scan.h"

void ScanView::ScanEnded(int /*unknownCount*/) {
  EndScanRun();
  ShowItem(kItemRedetect, true);
}

namespace {

class NoScanView final : public ScanView {
 public:
  void InsertRow(int, const std::string&) override {}
  void SetCell(int, int, const std::string&, int) override {}
  void SetCellText(int, int, const std::string&) override {}
  void RepaintList() override {}
  void InvalidateList() override {}
  void EnableItem(int, bool) override {}
  void ShowItem(int, bool) override {}
  void SetItemText(int, const std::string&) override {}
};

NoScanView g_noScanView;
std::atomic<ScanView*> g_pScanView{nullptr};

}  // namespace

void InstallScanView(ScanView* view) { g_pScanView.store(view); }

ScanView& CurrentScanView() {
  ScanView* view = g_pScanView.load();
  return view ? *view : g_noScanView;
}
