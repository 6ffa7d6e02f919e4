// Whole files and trees on the real disk, read and written past the file seam, so that a test
// sees what really landed there whatever file system it installed.
//
// Every path may be Windows-style (backslashes), as the portable code takes them; on POSIX the
// backslashes become slashes first, as the platform's own calls do.
#pragma once

#include <map>
#include <string>

namespace tvex_test {

// The path as the C++ library of this platform takes it (backslashes become slashes).
std::string NativePath(const std::string& path);

// The whole file as bytes; fails the test and returns what it could read (nothing) when the
// file cannot be opened.
std::string ReadAll(const std::string& path);

// Replaces the file with the bytes; fails the test and returns false when it cannot be written.
bool WriteAll(const std::string& path, const std::string& bytes);

// True when something (file or directory) stands at the path.
bool Exists(const std::string& path);

// Makes one directory; false when it cannot be made or exists already.
bool MakeDir(const std::string& path);

// True when the file exists and its owner may not write it (the read-only attribute on Windows).
bool IsReadOnly(const std::string& path);

// Everything below root as a test compares it: each folder as "<path>\" with no content, each
// file as "<path>" with its bytes after "r " (read-only) or "w " (writable), paths relative to
// root with backslashes. Links are not followed: a link is "<path>" with "link" as content.
// Empty when root does not exist.
std::map<std::string, std::string> ReadTree(const std::string& root);

// Deletes a file or a whole tree, read-only entries included; nothing when it does not exist.
void RemoveTree(const std::string& path);

}  // namespace tvex_test
