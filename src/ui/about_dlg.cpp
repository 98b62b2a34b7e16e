#include "ui/about_dlg.h"

#include <string>

#include "maker/maker_lookup.h"

BOOL CAboutDlg::OnInitDialog() {
  const BOOL result = CDialog::OnInitDialog();
  // How fresh the makers in the device tooltips are.
  SetDlgItemText(IDC_MAKER_DATE, (std::string("厂商数据日期：") + maker::MakerDataDate()).c_str());
  return result;
}
