// The installation that the main dialog drives: Install Now with its checks and question, the
// extraction worker and its progress timer, the commit point, and the finishing steps.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/install_progress.h"
#include "app/install_view.h"
#include "app/installer_end.h"
#include "platform/installation_lock.h"

class CInstallSequence {
 public:
  explicit CInstallSequence(InstallView& view) : view_(view) {}
  CInstallSequence(const CInstallSequence&) = delete;
  CInstallSequence& operator=(const CInstallSequence&) = delete;

  // Install Now into dir: waits (with Retry and Cancel) while another installation runs,
  // refuses a directory Windows would not take or where a file would pass the path limit, makes
  // it, asks Overwrite or Update when the program is already there, then starts the progress
  // timer and the extraction worker. Every refusal is an owned box; nothing is written before
  // the checks pass.
  void InstallNow(const std::string& dir);

  // A tick of the progress timer: shows the worker's line and position; once every file is in
  // place (and no quit question is open) commits the run and runs the finishing steps; once the
  // worker has ended otherwise, closes the dialog (a failure, a quit) or returns to Ready (files
  // in use, and the user gave up).
  void OnTimer(UINT_PTR timerId);

  // The extraction worker runs (from its start to the finishing steps).
  bool Installing() const { return installing_; }
  // The finishing steps run: nothing else may start meanwhile.
  bool Finishing() const { return finishing_; }
  // While the quit question is open, the commit waits for its answer.
  void SetAskingQuit(bool asking) { askingQuit_ = asking; }
  bool AskingQuit() const { return askingQuit_; }
  // The user quits: the worker stops at the next entry and undoes the run; the dialog closes
  // once it has.
  void Quit();
  bool Quitting() const { return quitting_; }

  // Waits for the worker to end, when one was started (it removes the files the run set aside
  // after the commit, while the success message is up).
  void WaitForWorker();

  // The process's exit code for how the installation ended: kExitInstalled after the
  // finishing steps, kExitFailed after a failure, kExitUserQuit otherwise.
  int ExitCode() const { return exitCode_; }

 private:
  // Starts the worker on the job; false (and back to Ready) when no thread can be started.
  bool StartWorker(const std::string& dir, bool update, bool madeDirectory);
  // Stops the timer and clears the progress line. With a run under way (the dialog is about to
  // finish or close) the bar stays where the run is; without one (back to Ready) it goes.
  void StopTimer();
  // The steps after the commit, ending with the start of the installed program.
  void Finish();

  InstallView& view_;
  platform::InstallationLock lock_;  // held from the first Install Now that passes to the end
  bool installing_ = false;
  bool finishing_ = false;
  bool askingQuit_ = false;
  bool quitting_ = false;
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
