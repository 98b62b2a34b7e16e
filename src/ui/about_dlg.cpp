#include "ui/about_dlg.h"
// CAboutDlg adds nothing to CDialog: its template carries the icon, the version text and OK.
