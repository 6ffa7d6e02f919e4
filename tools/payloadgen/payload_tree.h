// Walking a product tree into the list of files that become the payload table.
//
// The tree's root stands for the install directory. Every regular file below it becomes one
// entry named ".\" + its path relative to the root with backslashes; directories only give
// structure (an empty one gives no entry). Anything the installer could not reproduce on a
// Windows machine is refused, naming the offending path, rather than shipped half-right.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace payloadgen {

// The install directory that names are measured against: the shortest one a user is offered by
// default. A name whose joined path would exceed the platform's 259 usable characters there
// cannot be installed anywhere sensible, so the build refuses it.
inline constexpr const char* kReferenceInstallDir = "C:\\Program Files\\QMK\\TvexIII";
inline constexpr std::size_t kMaxInstalledPathLength = 259;

// One regular file of the tree.
struct PayloadFile {
  std::string name;  // ".\lib\sym\cap.asy"
  std::string path;  // where it lies on this machine
  std::uint64_t size = 0;
  bool readOnly = false;
};

// Orders two payload names byte by byte with ASCII letters folded to lower case; every other
// byte compares by its value, so "\" sorts as 0x5C. Names equal under folding fall back to a
// plain byte comparison so that the order never depends on how the tree was listed.
bool PayloadNameLess(const std::string& a, const std::string& b);

// True for exactly the six symbol files that are installed read-only (case-insensitive).
bool IsReadOnlyPayloadName(const std::string& name);

// Lists every regular file below root in table order. Returns false and sets error to a message
// that names the offending path (both of them for a pair) for: a root that is not a directory,
// a symbolic link, anything that is neither a regular file nor a directory, a file or folder
// name with a character Windows cannot store (backslash, control characters, <>:"|?*), a byte
// outside printable ASCII, a device name that Windows reserves (CON, PRN, AUX, NUL, COM1-COM9,
// LPT1-LPT9, with or without an extension, in any case), a name ending in a dot or a blank, a
// name in the form of a short-name alias ("abcdef~1.txt", platform::LooksLikeShortNameAlias), two
// names that differ only in letter case ("Readme.txt" beside "README.TXT", "lib\cmp" beside
// "LIB\CMP"), a name that joined to kReferenceInstallDir exceeds kMaxInstalledPathLength, a
// file of 4 GiB or more, or an unreadable directory.
bool ScanPayloadTree(const std::string& root, std::vector<PayloadFile>& files, std::string& error);

}  // namespace payloadgen
