// What every database merge shares: the backup, memory that never runs out quietly, and the
// formatted message box.
#pragma once

#include <cstddef>

// Copies path onto path + ".bak" (over an older, even read-only, backup); retries once after
// 5 s; when both copies fail shows "Trouble backing up %s\nas %s\n\nRelease sync aborted." and
// ends the process with code 0. Returns only on success (or when path is empty or missing).
void BackupDatabase(const char* path);

// Zero-filled allocation; null for size 0. Exhaustion ends the process (FatalOutOfMemory).
void* XAlloc(std::size_t size);
// Resizes a block of XAlloc or XRealloc; new bytes are zero. Size 0 frees and returns null; a
// null block allocates.
void* XRealloc(void* block, std::size_t size);
// Releases a block of XAlloc or XRealloc; null is ignored.
void XFree(void* block);

// Shows "Out of Memory!" and ends the process with exit code -1.
[[noreturn]] void FatalOutOfMemory();

// Makes plain C++ allocation failures end the process the same way (std::set_new_handler).
void InstallOutOfMemoryHandler();

// Formats like printf into a text of any length, shows it in an application message box and
// returns the button pressed once the box is closed.
int MessageBoxF(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
