// How the extraction engine opens the files it writes. Paths are Windows-style texts; all file
// access goes through platform::Fs().
#pragma once

#include <cstdio>
#include <string>
#include <unordered_set>

#include "platform/paths.h"

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
