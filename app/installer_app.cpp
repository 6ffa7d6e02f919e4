#include "app/installer_app.h"

#include <commctrl.h>

#include "app/agreement_text.h"
#include "app/host_probe.h"
#include "app/install_dialog.h"
#include "app/install_job.h"
#include "app/installer_end.h"
#include "payload/payload_check.h"
#include "platform/message_box.h"

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

}  // namespace

int CInstallerApp::Run() {
  RestrictDllSearchToSystem();
  InstallOutOfMemoryHandler();
  // A damaged download is refused whole, before the user is asked anything.
  if (!BuiltInPayloadIntact()) {
    platform::AppMessageBox(kDamagedPayloadText);
    return kExitFailed;
  }
  InitInstance();
  return m_nExitCode;
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
