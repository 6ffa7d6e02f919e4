#include "app/installer_end.h"

#include <atomic>
#include <new>
#include <string>

#include "app/install_log.h"
#include "platform/message_box.h"
#include "platform/process.h"

namespace {

void OutOfMemory() {
  // The box may itself need memory; a second exhaustion on the way ends at once.
  static std::atomic<bool> reporting{false};
  if (!reporting.exchange(true)) platform::AppMessageBox("Out of Memory!");
  EndInstaller(kExitOutOfMemory);
}

}  // namespace

void EndInstaller(int exitCode) {
  TheInstallLog().Line("Ended at once, exit code " + std::to_string(exitCode));
  TheInstallLog().Flush();
  platform::EndProcess(exitCode);
}

void InstallOutOfMemoryHandler() { std::set_new_handler(&OutOfMemory); }
