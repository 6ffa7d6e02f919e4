#include "app/confirm_dialogs.h"

#include "app/resource.h"

CQuitDlg::CQuitDlg() : platform::Dialog(IDD_QUIT) {}

COverwriteUpdateDlg::COverwriteUpdateDlg() : platform::Dialog(IDD_OVERWRITE_UPDATE) {}

void COverwriteUpdateDlg::DoDataExchange(platform::DataExchange& dx) {
  static_assert(IDC_UPDATE == IDC_OVERWRITE + kUpdate, "the two choices form one group");
  dx.Radio(IDC_OVERWRITE, IDC_UPDATE, m_nChoice);
}
