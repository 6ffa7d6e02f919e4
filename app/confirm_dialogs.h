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

// "Overwrite or Update?": opens with Overwrite checked; after IDOK Update() tells whether
// "Update Installation" was chosen rather than "Overwrite Installation(Recommended)". Owned by
// the main dialog.
class COverwriteUpdateDlg : public platform::Dialog {
 public:
  COverwriteUpdateDlg();

  bool Update() const { return m_nChoice == kUpdate; }

 protected:
  // The group of the two choices ↔ m_nChoice.
  void DoDataExchange(platform::DataExchange& dx) override;

 private:
  static constexpr int kOverwrite = 0;  // positions in the group
  static constexpr int kUpdate = 1;
  int m_nChoice = kOverwrite;
};
