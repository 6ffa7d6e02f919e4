#include "app/install_sequence.h"

#include <process.h>

#include <cstdio>
#include <memory>

#include "app/confirm_dialogs.h"
#include "app/host_probe.h"
#include "app/install_dialog.h"
#include "app/install_dir_check.h"
#include "app/install_job.h"
#include "app/install_path_limit.h"
#include "app/installer_end.h"
#include "app/product.h"
#include "app/resource.h"
#include "platform/paths.h"
#include "platform/file_ops.h"
#include "platform/message_box.h"
#include "platform/protected_directory.h"
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

// The extraction worker: installs the job and marks the end. A failure that stops the
// installation has been shown by then, and ends the process with kExitFailed; the files
// written so far stay.
void __cdecl ExtractionWorker(void* argument) {
  const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(argument));
  bool installed = false;
  try {
    installed = RunExtraction(start->job, *start->progress);
  } catch (...) {
    // Nothing may escape into the runtime's thread start.
    EndInstaller(kExitOutOfMemory);
  }
  if (!installed) EndInstaller(kExitFailed);
  start->progress->MarkDone();
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

// Starts the installed program with commandLine, working in directory; the outcome is not
// reported.
void StartInstalledProgram(std::string commandLine, const std::string& directory) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.wShowWindow = SW_SHOWDEFAULT;
  PROCESS_INFORMATION process = {};
  if (::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       directory.c_str(), &startup, &process)) {
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
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
  const HWND owner = dialog_.Handle();
  // Refused before anything is written: a directory Windows would not take as typed, or one
  // where a file of the installation would pass the path limit.
  if (const std::string problem = InstallDirProblem(dir); !problem.empty()) {
    platform::OwnedMessageBox(
        owner, problem, kDirectoryNotAllowedCaption,
        platform::kMbOk | platform::kMbIconExclamation | platform::kMbTopmost);
    return;
  }
  if (!InstallPathsFit(BuiltInPayload(), dir)) {
    platform::OwnedMessageBox(
        owner,
        "The directory \"" + dir +
            "\"\nis too long for the files to be installed in it.\nPlease choose another location",
        "Directory Too Long",
        platform::kMbOk | platform::kMbIconExclamation | platform::kMbTopmost);
    return;
  }

  if (!MakeInstallDirectory(dir) || !DirectoryExists(dir.c_str())) {
    platform::OwnedMessageBox(
        owner, "Could not create directory " + Quoted(dir) + "\nPlease choose another location",
        "Directory Not Found",
        platform::kMbOk | platform::kMbIconExclamation | platform::kMbTopmost);
    return;
  }

  bool update = false;
  if (FileExists(JoinPath(dir.c_str(), kProgramName).c_str())) {
    dialog_.SetQuestionControlsEnabled(false);
    COverwriteUpdateDlg question;
    const INT_PTR answer = question.DoModal();
    dialog_.SetQuestionControlsEnabled(true);
    // A question that could not be shown counts as cancelled.
    if (answer != IDOK) return;
    update = question.Update();
  }
  StartWorker(dir, update);
}

bool CInstallSequence::StartWorker(const std::string& dir, bool update) {
  const HWND owner = dialog_.Handle();
  targetDir_ = dir;
  update_ = update;
  progress_ = std::make_shared<InstallProgress>(owner);
  installing_ = true;
  dialog_.ShowProgress(std::string());
  timerId_ = StartProgressTimer(owner, kProgressPeriodMs);
  auto start = std::make_unique<WorkerStart>(WorkerStart{InstallJob(dir, update), progress_});
  if (_beginthread(&ExtractionWorker, 0, start.get()) != static_cast<uintptr_t>(-1)) {
    start.release();  // the worker owns it now
    return true;
  }
  // Without a worker nothing would ever end the installation: back to Ready.
  if (timerId_) ::KillTimer(owner, timerId_);
  timerId_ = 0;
  installing_ = false;
  dialog_.ShowProgress(std::string());
  platform::AppMessageBox("Could not start the installation", owner);
  return false;
}

void CInstallSequence::OnTimer(UINT_PTR timerId) {
  if (timerId != timerId_) return;
  // While the quit question is open the answer decides: completion waits for the next tick.
  if (!progress_ || !progress_->Done() || askingQuit_) {
    dialog_.ShowProgress(progress_ ? progress_->Status() : std::string());
    return;
  }
  Finish(timerId);
}

void CInstallSequence::Finish(UINT_PTR timerId) {
  const HWND owner = dialog_.Handle();
  finishing_ = true;
  exitCode_ = kExitInstalled;
  installing_ = false;
  dialog_.ShowProgress(std::string());
  ::KillTimer(owner, timerId);
  timerId_ = 0;

  const std::string& dir = targetDir_;
  const std::string program = JoinPath(dir.c_str(), kProgramName);
  if (FileExists(program.c_str())) {
    RemoveOldStartMenuLinks();
    std::string desktopLink;
    std::string startMenuLink;
    if (auto message = CreateDesktopLink(desktopLink, dir.c_str(), kProgramBaseName, kLinkName,
                                         kLinkDescription)) {
      platform::AppMessageBox(*message, owner);
      exitCode_ = kExitFailed;
    } else if (auto message = CreateStartMenuLink(startMenuLink, dir.c_str(), kProgramBaseName,
                                                  kLinkName, kLinkDescription)) {
      platform::AppMessageBox(*message, owner);
      exitCode_ = kExitFailed;
    } else {
      const std::string commandLine = Quoted(program);
      WriteUninstallManifest(dir, startMenuLink.c_str(), desktopLink.c_str());
      platform::AppMessageBox(TVEX_PRODUCT_NAME " has been successfully installed", owner);
      RemoveMakerSettingsKeys();
      RemoveStaleFileTypes();
      RemoveOldUninstallEntry();
      RegisterUninstallEntry(program.c_str());
      if (!update_) {
        const std::string settings = FindSettingsFile();
        if (!settings.empty()) std::remove(settings.c_str());
      }
      StartInstalledProgram(commandLine, dir);
    }
  }
  finishing_ = false;
  dialog_.Close();
}
