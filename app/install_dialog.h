// The installer's main dialog: the agreement, the install directory, and the installation that
// it shows and drives through its installation sequence.
#pragma once

#include <windows.h>

#include <string>

#include "app/install_sequence.h"
#include "app/install_view.h"
#include "platform/dialog.h"
#include "platform/gdi_handles.h"

class CInstallDlg : public platform::Dialog, public InstallView {
 public:
  CInstallDlg();
  ~CInstallDlg() override;

  // The agreement text the dialog shows (8-bit, in the system's code page).
  void SetAgreement(std::string text) { m_strAgreement = std::move(text); }

  // An installation is under way (the quit question then decides how the dialog ends).
  bool Installing() const { return m_sequence.Installing(); }

  // The process's exit code for how the dialog ended (app/installer_end.h).
  int ExitCode() const { return m_sequence.ExitCode(); }

  // Waits for the installation's worker to end (app/install_sequence.h).
  void WaitForWorker() { m_sequence.WaitForWorker(); }

  // What the installation sequence asks of its dialog (app/install_view.h).
  HWND Window() const override { return Handle(); }
  void ShowProgress(const std::string& line, int permille) override;
  void SetQuestionControlsEnabled(bool enable) override;
  void SetCancelEnabled(bool enable) override { EnableItem(IDCANCEL, enable); }
  void Close(bool completed) override;

 protected:
  // The control ↔ member table: the directory, status, title and agreement texts.
  void DoDataExchange(platform::DataExchange& dx) override;
  // First exchange, icons, the machine's default directory, the agreement font, the progress
  // bar's range.
  BOOL OnInitDialog() override;
  // The icons and the agreement font follow the new scale (the controls, the dialog's).
  void OnDpiChanged(UINT dpi, const RECT& suggested) override;
  // EN_CHANGE of the agreement, then the buttons (through OnButtonClicked).
  void OnCommand(int id, int notifyCode, HWND control) override;
  // Accept, Decline, Browse and Install Now; OK and Cancel as every dialog has them.
  void OnButtonClicked(int id) override;
  // Shows the worker's progress; on the first tick after it ends, finishes the installation.
  void OnTimer(UINT_PTR timerId) override;
  // Ends at once, except during an installation, where it asks the quit question first; Yes
  // stops the installation, which undoes itself, and the dialog ends once it has.
  void OnCancel() override;

 private:
  // The enable rule: the directory label and field, Install Now and Browse are usable only
  // after Accept and outside an installation; Accept and Decline only outside an installation.
  void ApplyEnableRule();
  // The controls into the members (save) or the members into the controls, then the rule.
  void Refresh(bool save);
  // Sets the directory below the machine's Program Files folder when the registry names an
  // existing one.
  void ResolveDefaultInstallDir();
  // The dialog's small and big icons at the sizes of dpi; a size that cannot be loaded leaves
  // the icon as it was.
  void LoadIcons(UINT dpi);
  // The agreement in 10-point Arial at dpi; if the font cannot be made, the agreement keeps the
  // one it has.
  void SetAgreementFont(UINT dpi, bool redraw);

  // Undoes any edit of the agreement text.
  void OnAgreementChange();
  void OnAccept();
  // Before Accept it closes the installer; after it, it withdraws the acceptance.
  void OnDecline();
  void OnBrowse();
  void OnInstallNow();

  std::string m_strInstallDir;      // control 1001
  bool m_bInstallDirExact = true;   // the field's text holds nothing the code page lacks
  std::string m_strStatus;          // control 1006
  std::string m_strTitle;           // control 1008
  std::string m_strAgreement;       // control 1000
  platform::IconHandle m_hIcon;     // the dialog's small icon (resource 128)
  platform::IconHandle m_hBigIcon;  // and its big one (the task switcher's)
  bool m_bAccepted = false;         // Accept pressed and not withdrawn
  platform::FontHandle m_font;      // 10-point Arial for the agreement text
  CInstallSequence m_sequence{*this};
};
