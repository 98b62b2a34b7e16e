#pragma once
// CHeaderCtrlEx: the device list's header, drawn by the program (push-button frame, title
// centred at the top). The main dialog keeps it hidden; the skin carries the column titles.
#include "winlib/header_ctrl.h"

class CHeaderCtrlEx : public CHeaderCtrl {
 public:
  CHeaderCtrlEx() = default;
  ~CHeaderCtrlEx() override = default;
  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
};
