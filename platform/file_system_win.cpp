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

std::FILE* RealFileSystem::OpenForRewrite(const std::string& path, bool& created) {
  if (path.empty()) return nullptr;
  // The sharing fopen uses; OPEN_ALWAYS creates a missing file and never cuts an existing one.
  HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  created = ::GetLastError() != ERROR_ALREADY_EXISTS;
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) ::CloseHandle(h);
  return WriteStream(fd);
}

int RealFileSystem::Truncate(std::FILE* f) {
  if (std::fflush(f) != 0) return -1;
  const __int64 at = ::_ftelli64(f);
  return at < 0 ? -1 : ::_chsize_s(::_fileno(f), at);
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

int RealFileSystem::Remove(const std::string& path) { return std::remove(path.c_str()); }

int RealFileSystem::Replace(const std::string& from, const std::string& to) {
  if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 0;
  errno = ::GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
  return -1;
}

std::FILE* RealFileSystem::CreateNew(const std::string& path) {
  if (path.empty()) return nullptr;
  return WriteStream(::_open(path.c_str(),
                             _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                             _S_IREAD | _S_IWRITE));
}

void RealFileSystem::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
