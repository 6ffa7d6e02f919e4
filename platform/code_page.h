// The 8-bit text of the system's A calls (its ANSI code page), and how paths in it are split.
//
// The installer's manifest declares UTF-8, and Windows 10 version 1903 and later run it in
// UTF-8: every character converts exactly, and no byte of a multi-byte character is 0x5C.
// Older Windows ignore the declaration and run it in the legacy ANSI code page, where the
// second byte of a double-byte character may be 0x5C ("表" is 95 5C in code page 932): there a
// backslash separates names only where a character begins. Every search for a separator in a
// path goes through here.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform {

// True when the process's ANSI code page is UTF-8; false in a legacy code page (older
// Windows). Asked of the system once, at the first call. Always true on POSIX.
bool AnsiCodePageIsUtf8();

// True when c begins a double-byte character of the ANSI code page. Never under UTF-8, never
// on POSIX. Follows a test's ScopedLeadBytes while one is installed.
bool IsLeadByte(unsigned char c);
inline bool IsLeadByte(char c) { return IsLeadByte(static_cast<unsigned char>(c)); }

// The system's own answer, which IsLeadByte gives when no test has installed another.
bool SystemIsLeadByte(unsigned char c);

// The position of the first backslash at or after from (a character's start) that is a
// character of its own; npos when there is none.
std::size_t FindSeparator(std::string_view path, std::size_t from = 0);

// The position of the last backslash that is a character of its own; npos when there is none.
std::size_t FindLastSeparator(std::string_view path);

// True when the path's last character is a backslash.
bool EndsWithSeparator(std::string_view path);

// The length of text in UTF-16 units, which is what Windows holds against its path limit when
// an A call's text has been converted. On POSIX the text is read as UTF-8.
std::size_t WideLength(std::string_view text);

// Replaces the lead-byte test for the lifetime of the object (tests of another code page's
// rules) and restores the previous one after it.
class ScopedLeadBytes {
 public:
  using Test = bool (*)(unsigned char);
  explicit ScopedLeadBytes(Test isLeadByte);
  ~ScopedLeadBytes();
  ScopedLeadBytes(const ScopedLeadBytes&) = delete;
  ScopedLeadBytes& operator=(const ScopedLeadBytes&) = delete;

 private:
  Test previous_;
};

}  // namespace platform
