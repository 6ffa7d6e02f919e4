// How the installer ends before its dialog returns: one rule for every such end.
#pragma once

// Ends the installer at once with the exit code, from any thread. Used after a failure that
// stops the installation has been shown, when memory runs out, and when the user quits while
// files are being written. No static destructor runs, so nothing is torn down under a thread
// that is still working.
[[noreturn]] void EndInstaller(int exitCode);

// Makes every allocation failure, on any thread, show "Out of Memory!" in an application
// message box and end the installer with exit code -1.
void InstallOutOfMemoryHandler();
