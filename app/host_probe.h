// What the installer takes from the host: the Program Files location, the Windows version and
// where the simulator's settings file lies.
#pragma once

#include <windows.h>

#include <string>

// Where the machine keeps its Program Files folder: HKEY_LOCAL_MACHINE and this subkey.
inline constexpr char kCurrentVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// True when root\subkey holds a "ProgramFilesDir" value (read as at most 260 bytes, any
// type) and puts it in value; false, with value untouched, when the key or value is missing.
bool ReadProgramFilesDir(HKEY root, const char* subkey, std::string& value);

// The product's folder below programFiles (joined with "\QMK\TvexIII") when programFiles
// names an existing directory, else fallback.
std::string InstallDirBelow(const std::string& programFiles, const std::string& fallback);

// The machine as the installation log records it: the Windows version and build, whether it
// runs under Wine, whether this process is elevated, and under which user.
std::string HostSummary();

// True on Windows NT 6.0 (Vista) and later; false when the version cannot be read.
bool IsVistaOrLater();

// The simulator's settings file "tvex3.ini" to delete after a fresh installation: under Wine
// the one in the Windows directory or in ~/.wine when present; on Vista and later the
// virtualized copy below LOCALAPPDATA\VirtualStore when present; else the one in the Windows
// directory whether it exists or not. Empty when WINDIR is not set and nothing was found.
std::string FindSettingsFile();
