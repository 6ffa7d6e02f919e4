// The two questions the main dialog asks: quit during an installation, and overwrite or
// update an installation found in the chosen directory.
#pragma once

#include "platform/dialog.h"

// "Reallly Quit installing Tvex III?": Yes ends with IDOK; No, Escape and the close box with
// IDCANCEL. Owned by the main dialog.
class CQuitDlg : public platform::Dialog {
 public:
  CQuitDlg();
};

// "Overwrite or Update?": opens with Overwrite checked; after IDOK m_bUpdate is 1 for "Update
// Installation" and 0 for "Overwrite Installation(Recommended)". Owned by the main dialog.
class COverwriteUpdateDlg : public platform::Dialog {
 public:
  COverwriteUpdateDlg();

  int m_bUpdate = 0;

 protected:
  // m_bUpdate = whether "Update Installation" is checked, in both directions.
  void DoDataExchange(platform::DataExchange& dx) override;
  // Checks Overwrite in the group of the two choices.
  BOOL OnInitDialog() override;
};
