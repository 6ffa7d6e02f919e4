#include "app/confirm_dialogs.h"

#include "app/resource.h"

CQuitDlg::CQuitDlg() : platform::Dialog(IDD_QUIT) {}

COverwriteUpdateDlg::COverwriteUpdateDlg() : platform::Dialog(IDD_OVERWRITE_UPDATE) {}

void COverwriteUpdateDlg::DoDataExchange(platform::DataExchange& dx) {
  // Read from the button whichever the direction: the choice lives in the controls.
  m_bUpdate = ::IsDlgButtonChecked(dx.Dialog(), IDC_UPDATE) == BST_CHECKED ? 1 : 0;
}

BOOL COverwriteUpdateDlg::OnInitDialog() {
  platform::Dialog::OnInitDialog();
  ::CheckRadioButton(Handle(), IDC_OVERWRITE, IDC_UPDATE, IDC_OVERWRITE);
  return TRUE;
}
