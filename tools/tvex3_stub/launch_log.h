// launch.log, the stand-in's record of how it was started and what it did, and the small
// text helpers it is built from. Plain Win32 without the C++ library.
#pragma once

#include <windows.h>

namespace stub {

// A zero-filled heap block freed when it goes out of scope; get() is null when the
// allocation failed or none was made.
class HeapText {
 public:
  HeapText() = default;
  explicit HeapText(DWORD size) { Reset(size); }
  ~HeapText() { Reset(0); }
  HeapText(const HeapText&) = delete;
  HeapText& operator=(const HeapText&) = delete;
  char* get() const { return text_; }
  // Frees the block and, for a size above 0, allocates a new zero-filled one.
  void Reset(DWORD size) {
    if (text_) HeapFree(GetProcessHeap(), 0, text_);
    text_ =
        size ? static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size)) : nullptr;
  }

 private:
  char* text_ = nullptr;
};

// Fills block with the full path of this program, with room for `extra` more characters so
// that the file name can be replaced in place; returns the path, or null when it cannot be had.
char* ModulePath(HeapText& block, DWORD extra);

// The position just after the last backslash or slash of path (the file name).
char* FileNamePart(char* path);

// Appends text to the file in one write, so lines stay whole when two starts overlap. Returns
// false when the file cannot be opened or written.
bool AppendToFile(const char* path, const char* text, DWORD length);

// Appends one line to launch.log beside this program: the concatenation of the given parts
// (null parts are skipped) followed by CR LF.
void LogLine(const char* part1, const char* part2 = nullptr, const char* part3 = nullptr,
             const char* part4 = nullptr);

// Appends the start line: the whole command line, a TAB, the working directory, CR LF.
void LogStart();

}  // namespace stub
