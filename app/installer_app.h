// The application object: process start-up and the one modal run of the main dialog.
#pragma once

#include <windows.h>

#include <chrono>

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
  // Opens the installation log and records the installer, the machine and the payload.
  void OpenLog();
  // Records how the process ends; returns exitCode.
  int EndLog(int exitCode);

  int m_nExitCode = kExitUserQuit;  // how the dialog ended
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};
