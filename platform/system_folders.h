// The folders that belong to the system itself, as the running system names them: what an
// install directory must not be.
#pragma once

#include <string>
#include <vector>

namespace platform {

// One folder of the system. With withContents everything below it belongs to the system too
// (the Windows folder); without, only the folder itself does, and folders below it are where
// programs and users keep their own (Program Files, ProgramData, Users).
struct SystemFolder {
  std::string path;
  bool withContents = false;
};

// The system's folders: on Windows the Windows folder (as GetWindowsDirectory, the system's
// own GetSystemWindowsDirectory and the known folder name it), System32 and SysWOW64 with
// their contents; Program Files, Program Files (x86), ProgramData and Users by themselves;
// each also under its short name where it has one. A folder the system does not report is
// left out. On POSIX, where the portable code installs into any folder it is given, none.
std::vector<SystemFolder> SystemFolders();

}  // namespace platform
