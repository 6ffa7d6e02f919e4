// The installation as the main dialog drives it: Install Now, the progress timer and the
// finishing steps.
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
#include "payload/paths.h"
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

// The controls that the Overwrite or Update question disables, in the order they are switched.
constexpr int kQuestionControls[] = {IDC_DIR_LABEL, IDC_INSTALL_DIR, IDC_INSTALL_NOW, IDC_BROWSE,
                                     IDC_ACCEPT,    IDC_DECLINE,     IDCANCEL};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The application message box as the installation shows it: owned by the dialog, so the
// dialog takes no input while it is open.
void ShowAppMessage(HWND dialog, const std::string& text) {
  platform::OwnedMessageBox(dialog, text, platform::kAppTitle,
                            platform::kMbOk | platform::kMbIconExclamation);
}

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

UINT_PTR StartProgressTimer(CInstallDlg& dialog, UINT periodMs) {
  UINT_PTR id = 0;
  for (int attempt = 1; attempt <= kTimerAttempts; ++attempt) {
    id = ::SetTimer(dialog.Handle(), kProgressTimerId, periodMs, nullptr);
    if (id != 0) break;
  }
  return id;
}

void CInstallDlg::SetControlsEnabled(bool enable) {
  for (int id : kQuestionControls) EnableItem(id, enable);
}

void CInstallDlg::OnInstallNow() {
  UpdateData(true);
  const std::string& dir = m_strInstallDir;

  // Refused before anything is written: a directory Windows would not take as typed, or one
  // where a file of the installation would pass the path limit.
  if (const std::string problem = InstallDirProblem(dir); !problem.empty()) {
    platform::OwnedMessageBox(
        Handle(), problem, kDirectoryNotAllowedCaption,
        platform::kMbOk | platform::kMbIconExclamation | platform::kMbTopmost);
    return;
  }
  if (!InstallPathsFit(BuiltInPayload(), dir)) {
    platform::OwnedMessageBox(
        Handle(),
        "The directory \"" + dir +
            "\"\nis too long for the files to be installed in it.\nPlease choose another location",
        "Directory Too Long",
        platform::kMbOk | platform::kMbIconExclamation | platform::kMbTopmost);
    return;
  }

  if (!MakeInstallDirectory(dir) || !DirectoryExists(dir.c_str())) {
    platform::OwnedMessageBox(
        Handle(), "Could not create directory " + Quoted(dir) + "\nPlease choose another location",
        "Directory Not Found",
        platform::kMbOk | platform::kMbIconExclamation | platform::kMbTopmost);
    return;
  }

  bool update = false;
  if (FileExists(JoinPath(dir.c_str(), kProgramName).c_str())) {
    SetControlsEnabled(false);
    COverwriteUpdateDlg question;
    const INT_PTR answer = question.DoModal();
    SetControlsEnabled(true);
    // A question that could not be shown counts as cancelled.
    if (answer != IDOK) return;
    update = question.m_bUpdate != 0;
  }

  m_strTargetDir = dir;
  m_bUpdateMode = update;
  m_progress = std::make_shared<InstallProgress>(Handle());
  m_bInstalling = 1;
  UpdateData(true);
  m_nTimerId = StartProgressTimer(*this, kProgressPeriodMs);
  auto start = std::make_unique<WorkerStart>(WorkerStart{InstallJob(dir, update), m_progress});
  if (_beginthread(&ExtractionWorker, 0, start.get()) != static_cast<uintptr_t>(-1)) {
    start.release();  // the worker owns it now
  } else {
    // Without a worker nothing would ever end the installation: back to Ready.
    if (m_nTimerId) ::KillTimer(Handle(), m_nTimerId);
    m_nTimerId = 0;
    m_bInstalling = 0;
    UpdateData(false);
    ShowAppMessage(Handle(), "Could not start the installation");
  }
}

void CInstallDlg::OnTimer(UINT_PTR timerId) {
  if (timerId != m_nTimerId) return;
  // While the quit question is open the answer decides: completion waits for the next tick.
  if (!m_progress || !m_progress->Done() || m_bAskingQuit) {
    m_strStatus = m_progress ? m_progress->Status() : std::string();
    UpdateData(false);
    ::UpdateWindow(Handle());
    return;
  }
  FinishInstallation(timerId);
}

void CInstallDlg::FinishInstallation(UINT_PTR timerId) {
  m_bFinishing = true;
  m_nExitCode = kExitInstalled;
  m_bInstalling = 0;
  m_strStatus.clear();
  UpdateData(false);
  ::UpdateWindow(Handle());
  ::KillTimer(Handle(), timerId);
  m_nTimerId = 0;

  const std::string& dir = m_strTargetDir;
  const std::string program = JoinPath(dir.c_str(), kProgramName);
  if (FileExists(program.c_str())) {
    RemoveOldStartMenuLinks();
    std::string desktopLink;
    std::string startMenuLink;
    if (auto message = CreateDesktopLink(desktopLink, dir.c_str(), kProgramBaseName, kLinkName,
                                         kLinkDescription)) {
      ShowAppMessage(Handle(), *message);
      m_nExitCode = kExitFailed;
    } else if (auto message = CreateStartMenuLink(startMenuLink, dir.c_str(), kProgramBaseName,
                                                  kLinkName, kLinkDescription)) {
      ShowAppMessage(Handle(), *message);
      m_nExitCode = kExitFailed;
    } else {
      const std::string commandLine = Quoted(program);
      WriteUninstallManifest(dir, startMenuLink.c_str(), desktopLink.c_str());
      ShowAppMessage(Handle(), TVEX_PRODUCT_NAME " has been successfully installed");
      RemoveMakerSettingsKeys();
      RemoveStaleFileTypes();
      RemoveOldUninstallEntry();
      RegisterUninstallEntry(program.c_str());
      if (!m_bUpdateMode) {
        const std::string settings = FindSettingsFile();
        if (!settings.empty()) std::remove(settings.c_str());
      }
      StartInstalledProgram(commandLine, dir);
    }
  }
  m_bFinishing = false;
  OnOK();
}
