// Path helpers that every layer uses: joining an install directory and a payload name, the
// folder of a path, and making a folder with its missing parents. Paths are Windows-style texts
// in the ANSI code page, split only on whole characters (platform/code_page.h); all file access
// goes through platform::Fs().
#pragma once

#include <string>

// dir + "\" + name + suffix: one backslash between dir and name (none added when dir ends in
// one), a leading "\" of name dropped, a leading ".\" of name dropped when dir is not empty.
std::string JoinPath(const char* dir, const char* name, const char* suffix = nullptr);

// The path up to and including its last backslash that has something after it; "." when
// there is none ("C:\Inst\lib\" gives "C:\Inst\", "C:\" and "cap.asy" give ".").
std::string ParentDirectory(const char* path);

// Creates dir and every missing parent, outermost first. counter starts at 0 and is shared by
// all the recursive calls; more than 261 calls stop the walk. The caller tests the result.
void CreateDirectoryTree(const char* dir, int& counter);
