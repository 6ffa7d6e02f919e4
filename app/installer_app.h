// The application object: process start-up and the one modal run of the main dialog.
#pragma once

#include <windows.h>

#include "app/installer_end.h"

class CInstallerApp {
 public:
  // The whole life of the process: hardens the DLL search, makes allocation failures fatal
  // with "Out of Memory!", refuses a damaged payload (with a message, before the dialog shows),
  // runs InitInstance and returns the process exit code (app/installer_end.h). The command
  // line is never read.
  int Run();

  // Runs the main dialog with the agreement text and returns FALSE, so the application ends.
  // The dialog ends only once an installation has been committed or undone; the worker is
  // waited for (it clears the set-aside files of a committed run).
  BOOL InitInstance();

 private:
  int m_nExitCode = kExitUserQuit;  // how the dialog ended
};
