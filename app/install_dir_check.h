// What an install directory must be before anything is written to it, and where the
// installation's first new folder lies. Portable: the rules are texts, the file tests go
// through the file seam.
#pragma once

#include <string>
#include <vector>

#include "platform/system_folders.h"

// Caption of the box that refuses a directory by these rules.
inline constexpr char kDirectoryNotAllowedCaption[] = "Directory Not Allowed";

// The text that refuses a directory whose name holds a character that the ANSI code page lacks.
// Only older Windows, which run the installer in their legacy code page, have such names: the
// installer could not name the folder, and a look-alike would name another one.
inline constexpr char kUnrepresentableDirectoryText[] =
    "The name of the directory holds characters that this version of Windows cannot pass to the "
    "installer.\nPlease choose another location";

// The text that tells the user why dir cannot be an install directory, or empty when it can.
// dir must be a full path: a drive letter, a colon and a backslash ("C:\Tvex", "C:\"), or a
// network share ("\\server\share\Tvex"). No name in it may hold a character Windows forbids
// (control characters, / < > : " | ? *, the wildcards among them), be a device name that
// Windows reserves (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an extension),
// or end in a dot or a blank ("." and ".." included). It may not be the root of a drive ("C:\",
// and "C:" meant as one) or of a network share, nor one of the system's folders (as
// platform::SystemFolders names them): neither the Windows folder nor anything below it, nor
// Program Files, ProgramData or Users themselves (below them is where products belong).
std::string InstallDirProblem(const std::string& dir);

// The same rules, the system's folders given.
std::string InstallDirProblem(const std::string& dir,
                              const std::vector<platform::SystemFolder>& systemFolders);

// The outermost folder of dir (a full path that InstallDirProblem accepts) that does not exist
// yet: the first folder an installation into dir makes (on a drive that does not exist, the
// first below its root). Empty when dir exists or is a root. A path that begins with a single
// backslash (the form POSIX paths take in the portable code) is walked from that backslash.
std::string OutermostMissingDirectory(const std::string& dir);

// True when path is dir or lies below it. Whole names are compared, letters without regard to
// case, and one trailing backslash of either is ignored ("C:\Program Files (x86)" does not lie
// below "C:\Program Files"). False when either is empty.
bool IsWithinDirectory(const std::string& path, const std::string& dir);
