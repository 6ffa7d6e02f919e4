// The installation that the main dialog drives: Install Now with its checks and question, the
// extraction worker and its progress timer, and the finishing steps.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/install_progress.h"
#include "app/installer_end.h"

class CInstallDlg;

class CInstallSequence {
 public:
  explicit CInstallSequence(CInstallDlg& dialog) : dialog_(dialog) {}
  CInstallSequence(const CInstallSequence&) = delete;
  CInstallSequence& operator=(const CInstallSequence&) = delete;

  // Install Now into dir: refuses a directory Windows would not take or where a file would
  // pass the path limit, makes it, asks Overwrite or Update when the program is already
  // there, then starts the progress timer and the extraction worker. Every refusal is an owned
  // box; nothing is written before the checks pass.
  void InstallNow(const std::string& dir);

  // A tick of the progress timer: shows the worker's line; on the first tick after the worker
  // ends (and no quit question is open), runs the finishing steps and closes the dialog.
  void OnTimer(UINT_PTR timerId);

  // The extraction worker runs (from its start to the finishing steps).
  bool Installing() const { return installing_; }
  // The finishing steps run: nothing else may start meanwhile.
  bool Finishing() const { return finishing_; }
  // While the quit question is open, the finishing steps wait for its answer.
  void SetAskingQuit(bool asking) { askingQuit_ = asking; }
  bool AskingQuit() const { return askingQuit_; }
  // The user quits: the worker stops at the next entry.
  void Stop() {
    if (progress_) progress_->RequestStop();
  }

  // The process's exit code for how the installation ended: kExitInstalled after the
  // finishing steps, kExitFailed when a shortcut could not be made, kExitUserQuit otherwise.
  int ExitCode() const { return exitCode_; }

 private:
  // Starts the worker on the job; false (and back to Ready) when no thread can be started.
  bool StartWorker(const std::string& dir, bool update);
  // The steps after a complete extraction, ending with the start of the installed program.
  void Finish(UINT_PTR timerId);

  CInstallDlg& dialog_;
  bool installing_ = false;
  bool finishing_ = false;
  bool askingQuit_ = false;
  int exitCode_ = kExitUserQuit;
  UINT_PTR timerId_ = 0;  // the progress timer, 0 when none runs
  // The installation under way, as the worker was given it.
  std::string targetDir_;
  bool update_ = false;
  std::shared_ptr<InstallProgress> progress_;  // shared with the worker
};

// Sets timer id 1 with the period on the window, retrying at once while it fails, up to 9,999
// calls. Returns the timer id, or 0 when every call failed.
UINT_PTR StartProgressTimer(HWND window, UINT periodMs);
