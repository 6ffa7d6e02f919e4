// The installer's main dialog: the agreement, the install directory and the installation
// that it drives from its progress timer.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

#include "app/install_progress.h"
#include "app/installer_end.h"
#include "platform/dialog.h"

// Deletes a GDI object when it goes out of scope.
struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;

class CInstallDlg : public platform::Dialog {
 public:
  CInstallDlg();
  ~CInstallDlg() override;

  HWND m_editAgreement = nullptr;  // control 1000, attached by the first data exchange
  std::string m_strInstallDir;     // control 1001
  std::string m_strStatus;         // control 1006
  std::string m_strTitle;          // control 1008
  std::string m_strAgreement;      // control 1000
  HICON m_hIcon = nullptr;         // the dialog's small icon (resource 128)
  int m_bAccepted = 0;             // Accept pressed and not withdrawn
  int m_bInstalling = 0;           // the extraction worker runs
  UINT_PTR m_nTimerId = 0;         // the progress timer, 0 when none runs
  FontHandle m_font;               // 10-point Arial for the agreement text

  // The process's exit code for how the dialog ended (app/installer_end.h): kExitInstalled
  // after the finishing steps, kExitFailed when a shortcut could not be made, kExitUserQuit
  // when it ended any other way (Decline, Cancel, Quit).
  int ExitCode() const { return m_nExitCode; }

 protected:
  // Exchanges the four texts and then applies the enable rule: the directory label and field,
  // Install Now and Browse are usable only after Accept and outside an installation; Accept
  // and Decline only outside an installation.
  void DoDataExchange(platform::DataExchange& dx) override;
  // First exchange, small icon, the machine's default directory, the agreement font.
  BOOL OnInitDialog() override;
  // The message map: EN_CHANGE of 1000 and BN_CLICKED of 1003, 1004, 1002 and 1007.
  void OnCommand(int id, int notifyCode, HWND control) override;
  // Shows the worker's progress; on the first tick after it ends, finishes the installation.
  void OnTimer(UINT_PTR timerId) override;
  // Ends at once, except during an installation, where it asks the quit question first.
  void OnCancel() override;

  // Undoes any edit of the agreement text.
  void OnAgreementChange();
  void OnAccept();
  // Before Accept it closes the installer; after it, it withdraws the acceptance.
  void OnDecline();
  void OnBrowse();
  // Checks and creates the directory, asks Overwrite or Update when the program is already
  // there, then starts the timer and the extraction worker.
  void OnInstallNow();

 private:
  // The steps after a complete extraction, ending with the start of the installed program.
  void FinishInstallation(UINT_PTR timerId);
  void SetControlsEnabled(bool enable);

  bool m_bAskingQuit = false;  // the quit question is open: completion waits for its answer
  bool m_bFinishing = false;   // the finishing steps run
  int m_nExitCode = kExitUserQuit;
  // The installation under way, as the worker was given it.
  std::string m_strTargetDir;
  bool m_bUpdateMode = false;
  std::shared_ptr<InstallProgress> m_progress;  // shared with the worker
};

// Sets the dialog's directory below the machine's Program Files folder when the registry
// names an existing one, and refreshes its controls whenever the value could be read.
void ResolveDefaultInstallDir(CInstallDlg& dialog);

// Sets timer id 1 with the period on the dialog window, retrying at once while it fails, up
// to 9,999 calls. Returns the timer id, or 0 when every call failed.
UINT_PTR StartProgressTimer(CInstallDlg& dialog, UINT periodMs);
