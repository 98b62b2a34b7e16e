#pragma once
// CAboutDlg: the About box (template 100), opened from the main window's system menu. Its template
// carries the icon, the version text and OK; the date of the maker data is filled in.
#include "res/resource.h"
#include "winlib/dialog.h"

class CAboutDlg : public CDialog {
 public:
  enum { IDD = IDD_ABOUT_DIALOG };
  CAboutDlg() : CDialog(IDD) {}

 protected:
  BOOL OnInitDialog() override;
};
