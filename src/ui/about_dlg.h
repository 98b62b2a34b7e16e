#pragma once
// CAboutDlg: the About box (template 100), opened from the main window's system menu.
#include "res/resource.h"
#include "winlib/dialog.h"

class CAboutDlg : public CDialog {
 public:
  enum { IDD = IDD_ABOUT_DIALOG };
  CAboutDlg() : CDialog(IDD) {}
};
