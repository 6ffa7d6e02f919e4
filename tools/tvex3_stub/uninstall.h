// What the stand-in does when started as the registered uninstall command
// ("<install dir>\tvex3.exe" -uninstall): it takes away what the installer made outside the
// product files and leaves the files themselves, since it cannot tell the installed ones from
// those the user made. Each step is recorded in launch.log.
#pragma once

namespace stub {

// True when an argument after the program name in commandLine (as GetCommandLineA gives it)
// is "-uninstall", letter case ignored.
bool WantsUninstall(const char* commandLine);

// Reads uninstall.info beside this program and removes the shortcuts its "Link:" lines name
// (only names ending in ".lnk": the manifest is no licence to delete anything else), then the
// uninstall entry "Tollvex III" when its command runs this very program (an entry that a
// later installation elsewhere registered stays), then the manifest. Every other file stays.
// Returns 0 when each step succeeded or found nothing left to do, 1 when the manifest was
// missing or unreadable or something could not be removed.
int Uninstall();

}  // namespace stub
