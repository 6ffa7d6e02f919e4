#include "app/installer_app.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <optional>

#include "app/agreement_text.h"
#include "app/host_probe.h"
#include "app/install_dialog.h"
#include "app/install_job.h"
#include "app/install_log.h"
#include "app/installer_end.h"
#include "app/product.h"
#include "payload/payload_check.h"
#include "platform/message_box.h"
#include "platform/wide_text.h"

namespace {

// An installer that asks for administrator rights is often started from a downloads folder:
// nothing it loads later may be searched for beside it. The call is looked up because older
// systems without it still run the installer.
void RestrictDllSearchToSystem() {
  using SetDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = ::GetModuleHandleA("kernel32");
  if (!kernel) return;
  auto setDirectories = reinterpret_cast<SetDirectoriesFn>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDirectories) setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// "<n> files, <bytes> bytes": what the built-in payload installs.
std::string PayloadSize() {
  const PayloadTable payload = BuiltInPayload();
  return std::to_string(payload.count) + " files, " + std::to_string(InstalledBytes(payload)) +
         " bytes";
}

}  // namespace

int CInstallerApp::Run() {
  RestrictDllSearchToSystem();
  InstallOutOfMemoryHandler();
  OpenLog();
  // A damaged download is refused whole, before the user is asked anything.
  if (!BuiltInPayloadIntact()) {
    LogBox(kDamagedPayloadText);
    platform::AppMessageBox(kDamagedPayloadText + LogReference());
    return EndLog(kExitFailed);
  }
  InitInstance();
  return EndLog(m_nExitCode);
}

void CInstallerApp::OpenLog() {
  // A folder whose name the code page cannot hold (older Windows) leaves the run without a log.
  const std::optional<std::string> temp = platform::TempFolder();
  if (!temp || !TheInstallLog().Open(*temp, TodaysDate())) return;
  InstallLog& log = TheInstallLog();
  log.Line(TVEX_INSTALLER_CAPTION " " TVEX_VERSION_TEXT " (" TVEX_VERSION_DOTTED ")");
  log.Line(HostSummary());
  log.Line("Payload: " + PayloadSize());
  log.Flush();
}

int CInstallerApp::EndLog(int exitCode) {
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started_;
  char summary[128];
  std::snprintf(summary, sizeof summary, "Exit code %d after %.1f s", exitCode, seconds.count());
  std::string line = summary;
  if (exitCode == kExitInstalled) line += ": " + PayloadSize() + " installed";
  TheInstallLog().Line(line);
  TheInstallLog().Flush();
  return exitCode;
}

BOOL CInstallerApp::InitInstance() {
  // The main dialog's progress bar is a common control: its class must be there before the
  // dialog is made.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  CInstallDlg dialog;
  platform::Dialog::SetMainDialog(&dialog);
  dialog.SetAgreement(NarrowToAnsi(WidenLatin1(kAgreementText)));
  dialog.DoModal();
  platform::Dialog::SetMainDialog(nullptr);
  // After a commit the worker removes the files the run set aside; it ends on its own.
  dialog.WaitForWorker();
  m_nExitCode = dialog.ExitCode();
  return FALSE;
}
