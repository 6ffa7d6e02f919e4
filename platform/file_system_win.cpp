// Windows side of the file seam: the real C runtime and Win32 calls.
#include <direct.h>
#include <errno.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <atomic>
#include <cstdio>

#include "platform/file_system.h"

namespace platform {

std::FILE* RealFileSystem::Open(const std::string& path, const char* mode) {
  if (path.empty()) return nullptr;
  return std::fopen(path.c_str(), mode);
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

std::string RealFileSystem::CreateTempFile(const char* prefix) {
  char dir[MAX_PATH + 1];
  DWORD n = ::GetTempPathA(sizeof dir, dir);
  if (n == 0 || n > MAX_PATH) return {};
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 1000; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "%s%lx-%x.tmp", prefix ? prefix : "", ::GetCurrentProcessId(),
                  static_cast<unsigned>(counter.fetch_add(1) + ::GetTickCount() * 7u));
    std::string path = std::string(dir) + name;
    if (path.size() >= MAX_PATH) return {};
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      ::CloseHandle(h);
      return path;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
      return {};
  }
  return {};
}

void RealFileSystem::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
