#include "ui/about_dlg.h"

#include <string>

#include "vendor/vendor_lookup.h"

BOOL CAboutDlg::OnInitDialog() {
  const BOOL result = CDialog::OnInitDialog();
  // How fresh the makers in the device tooltips are.
  SetDlgItemText(IDC_VENDOR_DATE,
                 (std::string("厂商数据日期：") + vendor::VendorDataDate()).c_str());
  return result;
}
