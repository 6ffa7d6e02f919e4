#include "app/installer_app.h"

#include <atomic>
#include <new>

#include "app/agreement_text.h"
#include "app/host_probe.h"
#include "app/install_dialog.h"
#include "platform/message_box.h"
#include "platform/process.h"

namespace {

// Allocation failures anywhere end the installer with "Out of Memory!" and exit code -1.
void OutOfMemory() {
  // The box may itself need memory; a second exhaustion on the way ends at once.
  static std::atomic<bool> reporting{false};
  if (!reporting.exchange(true)) platform::AppMessageBox("Out of Memory!");
  EndInstaller(-1);
}

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

}  // namespace

int CInstallerApp::Run() {
  RestrictDllSearchToSystem();
  std::set_new_handler(&OutOfMemory);
  InitInstance();
  return 0;
}

BOOL CInstallerApp::InitInstance() {
  CInstallDlg dialog;
  platform::Dialog::SetMainDialog(&dialog);
  dialog.m_strAgreement = NarrowToAnsi(WidenLatin1(kAgreementText));
  dialog.DoModal();
  platform::Dialog::SetMainDialog(nullptr);
  // Quit during an installation: the worker may be halfway through a file.
  if (dialog.m_bInstalling != 0) EndInstaller(0);
  return FALSE;
}

void EndInstaller(int exitCode) { platform::EndProcess(exitCode); }
