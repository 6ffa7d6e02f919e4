// Windows side of the file seam: the real C runtime and Win32 calls.
#include <direct.h>
#include <errno.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>

#include "platform/file_system.h"

namespace platform {

std::FILE* RealFileSystem::Open(const std::string& path, const char* mode) {
  if (path.empty()) return nullptr;
  return std::fopen(path.c_str(), mode);
}

std::FILE* RealFileSystem::OpenForRewrite(const std::string& path, bool& created) {
  if (path.empty()) return nullptr;
  // The sharing fopen uses; OPEN_ALWAYS creates a missing file and never cuts an existing one.
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  created = ::GetLastError() != ERROR_ALREADY_EXISTS;
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(h);
    return nullptr;
  }
  std::FILE* f = ::_fdopen(fd, "wb");
  if (!f) ::_close(fd);
  return f;
}

int RealFileSystem::Truncate(std::FILE* f) {
  if (std::fflush(f) != 0) return -1;
  const __int64 at = ::_ftelli64(f);
  return at < 0 ? -1 : ::_chsize_s(::_fileno(f), at);
}

EntryKind RealFileSystem::Find(const std::string& path) {
  if (path.empty()) return EntryKind::kNone;
  WIN32_FIND_DATAA data;
  HANDLE h = ::FindFirstFileA(path.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return EntryKind::kNone;
  ::FindClose(h);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::kDirectory
                                                            : EntryKind::kFile;
}

int RealFileSystem::MakeDirectory(const std::string& path) {
  return ::_mkdir(path.c_str()) == 0 ? 0 : errno;
}

int RealFileSystem::SetReadOnly(const std::string& path, bool readOnly) {
  return ::_chmod(path.c_str(), readOnly ? _S_IREAD : _S_IWRITE);
}

int RealFileSystem::Remove(const std::string& path) { return std::remove(path.c_str()); }

int RealFileSystem::Replace(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)
             ? 0
             : -1;
}

std::FILE* RealFileSystem::CreateNew(const std::string& path) {
  if (path.empty()) return nullptr;
  const int fd = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                         _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* f = ::_fdopen(fd, "wb");
  if (!f) ::_close(fd);
  return f;
}

void RealFileSystem::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
