// How the installer ends before its dialog returns: one rule for every such end, and the exit
// codes that tell whoever started it how it went.
#pragma once

// The installation is complete.
constexpr int kExitInstalled = 0;
// A failure stopped the installation and has been shown: a damaged installer, a file that
// could not be written, a database that could not be backed up, a link inside the install
// directory, a shortcut that could not be made.
constexpr int kExitFailed = 1;
// The user ended the installer before the installation was complete (Decline, Cancel, or Quit
// while files were written). Not a failure of the installer, but not an installed product
// either; the number is the one Windows Installer gives for it (ERROR_INSTALL_USEREXIT).
constexpr int kExitUserQuit = 1602;
// Memory ran out ("Out of Memory!").
constexpr int kExitOutOfMemory = -1;

// Ends the installer at once with the exit code, from any thread. Used after a failure that
// stops the installation has been shown, when memory runs out, and when the user quits while
// files are being written. No static destructor runs, so nothing is torn down under a thread
// that is still working.
[[noreturn]] void EndInstaller(int exitCode);

// Makes every allocation failure, on any thread, show "Out of Memory!" in an application
// message box and end the installer with exit code kExitOutOfMemory.
void InstallOutOfMemoryHandler();
