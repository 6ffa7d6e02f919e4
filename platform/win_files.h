// Windows only. The Win32 and ntdll calls of the file seam: opening a name relative to an open
// folder (NtCreateFile with a root directory), moving a file opened onto a name in an open
// folder, and the checks of what a handle refers to.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace platform::win {

// The errno value a Win32 error of a file call stands for.
int ErrnoOf(DWORD error);
// Sets errno from the thread's last Win32 error and returns it.
int LastErrno();

// text (8-bit, in the code page of the A calls) as UTF-16.
std::wstring Wide(const std::string& text);

// NtCreateFile of name (one name, no folder) inside the open folder: the handle, or 0 and the
// errno value of the failure. options get FILE_SYNCHRONOUS_IO_NONALERT and
// FILE_OPEN_REPARSE_POINT added, access gets SYNCHRONIZE and FILE_READ_ATTRIBUTES: a link at the
// name is opened itself, and CheckOpened can read what was opened.
int OpenIn(HANDLE folder, const std::string& name, ACCESS_MASK access, ULONG share,
           ULONG disposition, ULONG options, ULONG attributes, HANDLE& handle);

// Moves the file open at file to name (one name) inside the open folder, replacing what stands
// there when replace is set: 0, or the errno value.
int MoveOpened(HANDLE file, HANDLE folder, const std::string& name, bool replace);

// Checks what handle refers to: 0 when it is a folder (folder set) or a file (else) that is no
// link, with one name only when oneName is set; else ELOOP (a reparse point of a link's tag),
// ENOTDIR, EISDIR, EMLINK (more names), or the errno value of a read that failed.
int CheckOpened(HANDLE handle, bool folder, bool oneName);

// The system's own name for what handle refers to (GetFinalPathNameByHandle), normalized where
// the system normalizes names, with the volume named as volume says (VOLUME_NAME_DOS, _NT or
// _NONE). With volume 0 the first kind the system can give is taken (DOS, NT, then none; Wine
// names no NT device for a file system mounted apart) and volume is set to it, so that the names
// of the folders and files inside can be asked for in the same kind. 0, or the errno value.
int FinalName(HANDLE handle, DWORD& volume, std::wstring& name);

// The number the file system gives the file or folder open at handle, the same for every handle
// to it on its volume (FileInternalInformation): 0, or the errno value.
int FileNumber(HANDLE handle, std::uint64_t& number);

// True when both names are the same, letters compared as the system compares file names.
bool SameName(const std::wstring& a, const std::wstring& b);

// Marks the file or folder open at handle (opened with DELETE access) for removal when the last
// handle to it is closed: 0, or the errno value.
int MarkForRemoval(HANDLE handle);

}  // namespace platform::win
