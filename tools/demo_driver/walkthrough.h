// The installation told step by step: the installer driven as a user would drive it, with
// what the user sees at each step printed for the reader.
#pragma once

#include <string>

namespace demo {

struct WalkOptions {
  std::string installer;  // the installer program (a Windows path)
  std::string dir;        // typed into the directory field; empty keeps the default shown
  bool update = false;    // answer Update to the "Overwrite or Update?" question
};

// Starts the installer, accepts, chooses the directory, presses Install Now (answering the
// question when it comes), prints the progress lines as they change and the message at the
// end, answers it, and then shows what the installation made: shortcuts, manifest, uninstall
// entry, the started program's launch.log, the installed files. Returns 0 when the success
// message came and the installer ended, 1 otherwise (with the reason printed).
int WalkInstall(const WalkOptions& options);

// Runs the uninstall command the installation registered, as the system's program list would,
// and shows what it removed and what it left. Returns its exit code, or 1 when there is none.
int WalkUninstall();

}  // namespace demo
