// Path and file operations shared by the extraction engine, the databases and the shell parts.
// Paths are Windows-style texts; all file access goes through platform::Fs().
#pragma once

#include <cstdio>
#include <string>

// dir + "\" + name + suffix: one backslash between dir and name (none added when dir ends in
// one), a leading "\" of name dropped, a leading ".\" of name dropped when dir is not empty.
std::string JoinPath(const char* dir, const char* name, const char* suffix = nullptr);

// True when the path names an existing entry that is not a directory.
bool FileExists(const char* path);

// True when the path (one trailing backslash ignored) names an existing directory.
bool DirectoryExists(const char* path);

// The path up to and including its last backslash that has something after it; "." when
// there is none ("C:\Inst\lib\" gives "C:\Inst\", "C:\" and "cap.asy" give ".").
std::string ParentDirectory(const char* path);

// Creates dir and every missing parent, outermost first. counter starts at 0 and is shared by
// all the recursive calls; more than 261 calls stop the walk. The caller tests the result.
void CreateDirectoryTree(const char* dir, int& counter);

// Opens path for writing ("wb"): as it is; else after clearing its read-only attribute; else
// after creating its parent directories. Null when all three fail.
std::FILE* OpenForWrite(const char* path);
