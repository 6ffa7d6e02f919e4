// Windows side of the file seam: the real C runtime and Win32 calls.
#include <direct.h>
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/find_handle.h"

namespace platform {
namespace {

// The errno value a Win32 error of a file call stands for.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return EBUSY;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    default:
      return EIO;
  }
}

// Sets errno from the thread's last Win32 error and returns it.
int LastErrno() {
  errno = ErrnoOf(::GetLastError());
  return errno;
}

// A binary write stream on the descriptor fd, which it then owns; null (with fd closed) when
// fd is not open or no stream can be made.
std::FILE* WriteStream(int fd) {
  if (fd < 0) return nullptr;
  std::FILE* f = ::_fdopen(fd, "wb");
  if (!f) ::_close(fd);
  return f;
}

}  // namespace

std::FILE* RealFileSystem::Open(const std::string& path, const char* mode) {
  if (path.empty()) return nullptr;
  return std::fopen(path.c_str(), mode);
}

EntryKind RealFileSystem::Find(const std::string& path) {
  if (path.empty()) return EntryKind::kNone;
  WIN32_FIND_DATAA data;
  if (!FindHandle(path, data)) return EntryKind::kNone;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::kDirectory
                                                            : EntryKind::kFile;
}

std::vector<std::string> RealFileSystem::ListFiles(const std::string& dir) {
  std::vector<std::string> names;
  std::string pattern = dir;
  if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA data;
  FindHandle search(pattern, data);
  if (!search) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (search.Next(data));
  return names;
}

int RealFileSystem::Sync(std::FILE* f) {
  if (std::fflush(f) != 0) return -1;
  return ::_commit(::_fileno(f));
}

int RealFileSystem::MakeDirectory(const std::string& path) {
  return ::_mkdir(path.c_str()) == 0 ? 0 : errno;
}

int RealFileSystem::SetReadOnly(const std::string& path, bool readOnly) {
  return ::_chmod(path.c_str(), readOnly ? _S_IREAD : _S_IWRITE);
}

int RealFileSystem::Remove(const std::string& path) {
  return ::DeleteFileA(path.c_str()) ? 0 : (LastErrno(), -1);
}

int RealFileSystem::Replace(const std::string& from, const std::string& to) {
  if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 0;
  LastErrno();
  return -1;
}

std::FILE* RealFileSystem::CreateNew(const std::string& path) {
  if (path.empty()) return nullptr;
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    // A folder of that name reports access denied (Windows) or a file that exists (Wine); say
    // what stands in the way.
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    errno = (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                ? EISDIR
                : ErrnoOf(error);
    return nullptr;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) ::CloseHandle(h);
  return WriteStream(fd);
}

bool RealFileSystem::List(const std::string& dir, std::vector<DirectoryEntry>& entries) {
  std::string pattern = dir;
  if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA data;
  FindHandle search(pattern, data);
  if (!search) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    DirectoryEntry entry;
    entry.name = name;
    entry.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::kDirectory
                                                                    : EntryKind::kFile;
    entry.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    entry.size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back(std::move(entry));
  } while (search.Next(data));
  return true;
}

int RealFileSystem::Rename(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(), 0) ? 0 : LastErrno();
}

int RealFileSystem::RemoveFolder(const std::string& path) {
  return ::RemoveDirectoryA(path.c_str()) ? 0 : LastErrno();
}

bool RealFileSystem::InUse(const std::string& path, bool readOnly) {
  // What moving the file aside and writing its successor need, with every kind of sharing
  // offered: only a holder that shares less makes the open fail with a sharing violation. A
  // running program's image refuses write access.
  const DWORD access = DELETE | (readOnly ? 0 : GENERIC_WRITE);
  HANDLE h =
      ::CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    ::CloseHandle(h);
    return false;
  }
  return ErrnoOf(::GetLastError()) == EBUSY;
}

void RealFileSystem::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
