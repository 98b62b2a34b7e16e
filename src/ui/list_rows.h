#pragma once
// The device list's cells as the portable marking and details decisions read and write them.
#include <string>

#include "ui/core/device_marking.h"
#include "winlib/list_ctrl.h"

class ListRows final : public DeviceRows {
 public:
  explicit ListRows(const CListCtrl& list) : m_list(list) {}
  std::string CellText(int row, int column) override { return m_list.GetItemText(row, column); }
  void SetCellText(int row, int column, const std::string& text) override {
    m_list.SetItemText(row, column, text.c_str());
  }

 private:
  const CListCtrl& m_list;
};
