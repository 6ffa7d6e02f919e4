#include "app/install_sequence.h"

#include <process.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "app/confirm_dialogs.h"
#include "app/host_probe.h"
#include "app/install_dir_check.h"
#include "app/install_job.h"
#include "app/install_log.h"
#include "app/install_path_limit.h"
#include "app/installer_end.h"
#include "app/product.h"
#include "app/resource.h"
#include "payload/undo.h"
#include "platform/file_ops.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/protected_directory.h"
#include "shell/program_start.h"
#include "shell/registry_cleanup.h"
#include "shell/shortcuts.h"
#include "shell/uninstall_registration.h"

namespace {

constexpr UINT kProgressPeriodMs = 200;
constexpr UINT_PTR kProgressTimerId = 1;
constexpr int kTimerAttempts = 9999;
constexpr char kProgramName[] = ".\\tvex3.exe";
constexpr char kProgramBaseName[] = "tvex3";
constexpr char kLinkName[] = "Tvex III";
constexpr char kLinkDescription[] = TVEX_LINK_DESCRIPTION;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// What the worker thread is started with; it owns it.
struct WorkerStart {
  ExtractionJob job;
  std::shared_ptr<InstallProgress> progress;
};

// The extraction worker: runs the installation to its commit point, then waits for the
// dialog's decision. A commit makes it final and clears the set-aside files; a late quit undoes
// it. A failure has been shown, after the run undid itself, by the time the worker ends.
void __cdecl ExtractionWorker(void* argument) {
  const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
  InstallProgress& progress = *start->progress;
  const std::string& dir = start->job.installDir;
  ExtractionOutcome outcome = ExtractionOutcome::kFailed;
  try {
    outcome = RunExtraction(start->job, progress);
    if (outcome == ExtractionOutcome::kInstalled) {
      if (progress.Installed()) {
        const bool committed = CommitExtraction(dir, progress);
        progress.Committed(committed);
        if (committed) RemoveSetAsideFiles(dir);
        outcome = committed ? ExtractionOutcome::kInstalled : ExtractionOutcome::kFailed;
      } else {
        UndoExtraction(dir, progress);
        outcome = ExtractionOutcome::kStopped;
      }
    }
  } catch (...) {
    // Nothing may escape into the runtime's thread start.
    EndInstaller(kExitOutOfMemory);
  }
  progress.End(outcome);
}

// An owned box that refuses what was typed, recorded in the log; the dialog stays as it was.
void Refuse(HWND owner, const std::string& text, const char* caption) {
  LogBox(text);
  platform::OwnedMessageBox(owner, text, caption,
                            platform::kMbOk | platform::kMbIconExclamation | platform::kMbTopmost);
}

// A failure of the installation, with the line that names the log.
void ShowFailure(HWND owner, const std::string& text) {
  LogBox(text);
  platform::AppMessageBox(text + LogReference(), owner);
}

// Makes the missing folders of dir. The first of them gets an access list of its own when it
// lies outside the Program Files folder (which protects what is made below it), so that the
// folders the installer fills and later starts programs from elevated do not take over the
// rights of their parent: below C:\ any local user may change what is there. False when that
// first folder cannot be made.
bool MakeInstallDirectory(const std::string& dir) {
  const std::string firstNew = OutermostMissingDirectory(dir);
  if (!firstNew.empty()) {
    std::string programFiles;
    const bool known = ReadProgramFilesDir(HKEY_LOCAL_MACHINE, kCurrentVersionKey, programFiles);
    if (!(known && IsWithinDirectory(firstNew, programFiles)) &&
        !platform::CreateProtectedDirectory(firstNew))
      return false;
  }
  int counter = 0;
  CreateDirectoryTree(dir.c_str(), counter);
  return true;
}

// Starts the installed program by the route start found (through the desktop shell, so that
// it runs with the user's rights and not the installer's), working in directory; the outcome
// is not shown, only logged.
void StartInstalledProgram(shell::ProgramStart& start, const std::string& program,
                           const std::string& directory) {
  const shell::StartRoute route = start.Start(program, std::string(), directory);
  TheInstallLog().Line(std::string("Program start: ") +
                       (route == shell::StartRoute::kShell    ? "through the desktop shell"
                        : route == shell::StartRoute::kDirect ? "directly"
                                                              : "left to the user"));
}

}  // namespace

UINT_PTR StartProgressTimer(HWND window, UINT periodMs) {
  UINT_PTR id = 0;
  for (int attempt = 1; attempt <= kTimerAttempts; ++attempt) {
    id = ::SetTimer(window, kProgressTimerId, periodMs, nullptr);
    if (id != 0) break;
  }
  return id;
}

void CInstallSequence::InstallNow(const std::string& dir) {
  const HWND owner = view_.Window();
  // One installation at a time: a second one would take the first one's files for its own.
  while (!lock_.TryAcquire()) {
    TheInstallLog().Line("Another installation is running");
    TheInstallLog().Flush();
    if (platform::OwnedMessageBox(owner,
                                  "Another installation of " TVEX_PRODUCT_NAME
                                  " is running on this computer.\nPlease wait until it has "
                                  "ended, then press Retry.",
                                  "Installation Running",
                                  platform::kMbRetryCancel | platform::kMbIconExclamation) !=
        platform::kIdRetry)
      return;
  }
  TheInstallLog().Line("Install Now: directory " + Quoted(dir));
  // Refused before anything is written: a directory Windows would not take as typed, or one
  // where a file of the installation would pass the path limit.
  if (const std::string problem = InstallDirProblem(dir); !problem.empty()) {
    Refuse(owner, problem, kDirectoryNotAllowedCaption);
    return;
  }
  if (!InstallPathsFit(BuiltInPayload(), dir)) {
    Refuse(owner,
           "The directory \"" + dir +
               "\"\nis too long for the files to be installed in it.\nPlease choose another "
               "location",
           "Directory Too Long");
    return;
  }

  const bool existed = DirectoryExists(dir.c_str());
  if (!MakeInstallDirectory(dir) || !DirectoryExists(dir.c_str())) {
    Refuse(owner, "Could not create directory " + Quoted(dir) + "\nPlease choose another location",
           "Directory Not Found");
    return;
  }

  bool update = false;
  if (FileExists(JoinPath(dir.c_str(), kProgramName).c_str())) {
    view_.SetQuestionControlsEnabled(false);
    COverwriteUpdateDlg question;
    const INT_PTR answer = question.DoModal();
    view_.SetQuestionControlsEnabled(true);
    // A question that could not be shown counts as cancelled.
    if (answer != IDOK) {
      TheInstallLog().Line("Overwrite or Update?: cancelled");
      return;
    }
    update = question.Update();
  }
  TheInstallLog().Line(std::string("Mode: ") +
                       (existed ? (update ? "update" : "overwrite") : "fresh, new directory"));
  TheInstallLog().Flush();
  StartWorker(dir, update, !existed);
}

bool CInstallSequence::StartWorker(const std::string& dir, bool update, bool madeDirectory) {
  const HWND owner = view_.Window();
  targetDir_ = dir;
  update_ = update;
  progress_ = std::make_shared<InstallProgress>(owner);
  installing_ = true;
  view_.ShowProgress(std::string(), 0);
  timerId_ = StartProgressTimer(owner, kProgressPeriodMs);
  progress_->WakeWith(timerId_);
  ExtractionJob job = InstallJob(dir, update);
  job.madeInstallDirectory = madeDirectory;
  auto start = std::make_unique<WorkerStart>(WorkerStart{std::move(job), progress_});
  if (_beginthread(&ExtractionWorker, 0, start.get()) != static_cast<uintptr_t>(-1)) {
    start.release();  // the worker owns it now
    return true;
  }
  // Without a worker nothing would ever end the installation: back to Ready.
  progress_.reset();
  StopTimer();
  platform::AppMessageBox("Could not start the installation", owner);
  return false;
}

void CInstallSequence::StopTimer() {
  if (timerId_) ::KillTimer(view_.Window(), timerId_);
  timerId_ = 0;
  installing_ = false;
  view_.ShowProgress(std::string(),
                     progress_ ? progress_->Permille() : InstallView::kNoProgressBar);
}

void CInstallSequence::Quit() {
  quitting_ = true;
  view_.SetCancelEnabled(false);
  if (progress_) progress_->RequestStop();
}

void CInstallSequence::WaitForWorker() {
  if (!progress_) return;
  // A run still waiting for the decision (the dialog ended some other way) is undone.
  progress_->RequestStop();
  progress_->WaitForEnd();
}

void CInstallSequence::OnTimer(UINT_PTR timerId) {
  if (timerId != timerId_ || !progress_) return;
  switch (progress_->CurrentPhase()) {
    case InstallProgress::Phase::kRunning:
    case InstallProgress::Phase::kCommitted:
      break;
    case InstallProgress::Phase::kInstalled:
      // While the quit question is open the answer decides: the commit waits for the next tick.
      if (askingQuit_ || quitting_) break;
      Finish();
      return;
    case InstallProgress::Phase::kEnded:
      switch (progress_->Outcome()) {
        case ExtractionOutcome::kCancelled:
          // Files in use, and the user gave up: nothing was changed, back to Ready.
          progress_.reset();
          StopTimer();
          return;
        case ExtractionOutcome::kStopped:
          exitCode_ = kExitUserQuit;
          break;
        case ExtractionOutcome::kInstalled:
        case ExtractionOutcome::kFailed:
          exitCode_ = quitting_ ? kExitUserQuit : kExitFailed;
          break;
      }
      StopTimer();
      view_.Close(false);
      return;
  }
  // The line before the position: a worker held at that line has reported its position by then.
  const std::string line = progress_->Status();
  view_.ShowProgress(line, progress_->Permille());
}

void CInstallSequence::Finish() {
  const HWND owner = view_.Window();
  finishing_ = true;
  StopTimer();
  // The commit point: from here on the installation stays.
  if (!progress_->Commit()) {
    exitCode_ = kExitFailed;
    finishing_ = false;
    view_.Close(false);
    return;
  }
  exitCode_ = kExitInstalled;
  view_.ShowProgress(std::string(), InstallView::kFullProgressBar);
  InstallLog& log = TheInstallLog();
  log.Line("Committed: the installation stays");

  const std::string& dir = targetDir_;
  const std::string program = JoinPath(dir.c_str(), kProgramName);
  std::optional<std::string> failure;
  if (!FileExists(program.c_str())) {
    failure = "The installed program " + program +
              " is missing (removed since it was written?).\nNo shortcut and no uninstall entry "
              "have been made: please run the installer again.";
  } else {
    RemoveOldStartMenuLinks();
    std::string desktopLink;
    std::string startMenuLink;
    if ((failure = CreateDesktopLink(desktopLink, dir.c_str(), kProgramBaseName, kLinkName,
                                     kLinkDescription))) {
    } else if ((failure = CreateStartMenuLink(startMenuLink, dir.c_str(), kProgramBaseName,
                                              kLinkName, kLinkDescription))) {
    } else if ((failure =
                    WriteUninstallManifest(dir, startMenuLink.c_str(), desktopLink.c_str()))) {
    } else {
      log.Line("Shortcuts: " + desktopLink + ", " + startMenuLink + "; uninstall manifest written");
      shell::ProgramStart start;  // before the message, which says when it will not start
      const std::string success = TVEX_PRODUCT_NAME " has been successfully installed" +
                                  shell::StartYourselfNote(start.Route(), kLinkName);
      LogBox(success);
      platform::AppMessageBox(success, owner);
      RemoveMakerSettingsKeys();
      RemoveStaleFileTypes();
      RemoveOldUninstallEntry();
      if (auto message = RegisterUninstallEntry(program.c_str())) {
        ShowFailure(owner, *message);
        exitCode_ = kExitFailed;
      } else {
        log.Line("Uninstall entry registered for " + program);
      }
      if (!update_) {
        const std::string settings = FindSettingsFile();
        if (!settings.empty())
          log.Line("Settings file " + settings +
                   (std::remove(settings.c_str()) == 0 ? " removed" : " not removed"));
      }
      StartInstalledProgram(start, program, dir);
    }
  }
  if (failure) {
    ShowFailure(owner, *failure);
    exitCode_ = kExitFailed;
  }
  finishing_ = false;
  view_.Close(true);
}
