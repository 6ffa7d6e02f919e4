// Path operations of the extraction engine. Paths are Windows-style texts; all file access
// goes through platform::Fs().
#pragma once

#include <cstdio>
#include <string>
#include <unordered_set>

// dir + "\" + name + suffix: one backslash between dir and name (none added when dir ends in
// one), a leading "\" of name dropped, a leading ".\" of name dropped when dir is not empty.
std::string JoinPath(const char* dir, const char* name, const char* suffix = nullptr);

// The path up to and including its last backslash that has something after it; "." when
// there is none ("C:\Inst\lib\" gives "C:\Inst\", "C:\" and "cap.asy" give ".").
std::string ParentDirectory(const char* path);

// Creates dir and every missing parent, outermost first. counter starts at 0 and is shared by
// all the recursive calls; more than 261 calls stop the walk. The caller tests the result.
void CreateDirectoryTree(const char* dir, int& counter);

// The directories (as ParentDirectory gives them) that one run has found or made, so that
// writing another file in one of them needs no directory test at all.
using KnownDirectories = std::unordered_set<std::string>;

// Opens path for writing at its start, creating its missing parent directories first unless its
// directory is in known, and clearing a read-only attribute that a previous installation left
// when the first open fails. An existing file is not cut: the caller cuts it once the new
// content is written (platform::FileSystem::Truncate), so a file opened ahead of a failure keeps
// what it held. created tells whether the file is new. Adds the directory to known once a file
// opened in it. Null when the file cannot be opened (a file blocking a directory, a directory of
// that name, no room).
std::FILE* OpenForWrite(const std::string& path, KnownDirectories& known, bool& created);
