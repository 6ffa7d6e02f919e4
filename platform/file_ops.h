// File operations that the extraction engine, the component databases and the shell parts all
// use, built on the file seam (platform::Fs()). Paths are Windows-style texts.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// True when the path names an existing entry that is not a directory; false for null or "".
bool FileExists(const char* path);

// True when the path (one trailing backslash ignored) names an existing directory; false for
// null or "".
bool DirectoryExists(const char* path);

// Copies source onto target byte for byte. The copy is written beside target and replaces it in
// one step once it is complete (a read-only target included), so target is at every moment the
// old file or the whole copy. False when anything fails (a read error, a short write, a failed
// close or move); target is then as it was.
bool CopyFileBytes(const char* source, const char* target);

// True when both files can be read whole and hold the same bytes.
bool SameFileContent(const char* a, const char* b);

// Creates a new file exclusively in the directory dir (which ends in a backslash, or is empty
// for the current directory) with a name of the form "~tvex<hex>.tmp" that nothing bears yet,
// and opens it for writing in binary mode. Sets path to its full name. Null, with path empty,
// when no such file can be made. The caller removes it.
std::FILE* CreateTempFileIn(const std::string& dir, std::string& path);

// True when name (a file name without directory) has the form CreateTempFileIn gives.
bool IsTempFileName(std::string_view name);
