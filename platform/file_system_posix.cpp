// POSIX side of the file seam: Windows-style paths are mapped to slashes.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "platform/file_system.h"

namespace platform {
namespace {

std::string Native(const std::string& path) {
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

// A binary write stream on the descriptor fd, which it then owns; null (with fd closed) when
// fd is not open or no stream can be made.
std::FILE* WriteStream(int fd) {
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, "wb");
  if (!f) ::close(fd);
  return f;
}

// Creates the file only when nothing of that name exists; errno EEXIST when something does.
std::FILE* CreateExclusive(const std::string& path) {
  return WriteStream(::open(Native(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
}

}  // namespace

std::FILE* RealFileSystem::Open(const std::string& path, const char* mode) {
  if (path.empty()) return nullptr;
  std::FILE* f = std::fopen(Native(path).c_str(), mode);
  // A directory opens for reading on POSIX; on Windows it never opens.
  struct stat st;
  if (f && ::fstat(::fileno(f), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(f);
    errno = EISDIR;
    return nullptr;
  }
  return f;
}

std::FILE* RealFileSystem::OpenForRewrite(const std::string& path, bool& created) {
  if (path.empty()) return nullptr;
  created = true;
  if (std::FILE* f = CreateExclusive(path)) return f;
  if (errno != EEXIST) return nullptr;
  created = false;
  return WriteStream(::open(Native(path).c_str(), O_WRONLY | O_CLOEXEC));
}

int RealFileSystem::Truncate(std::FILE* f) {
  if (std::fflush(f) != 0) return -1;
  const off_t at = ::ftello(f);
  return at < 0 ? -1 : ::ftruncate(::fileno(f), at);
}

EntryKind RealFileSystem::Find(const std::string& path) {
  // FindFirstFileA finds nothing for a name that ends in a separator.
  if (path.empty() || path.back() == '\\' || path.back() == '/') return EntryKind::kNone;
  struct stat st;
  if (::stat(Native(path).c_str(), &st) != 0) return EntryKind::kNone;
  return S_ISDIR(st.st_mode) ? EntryKind::kDirectory : EntryKind::kFile;
}

int RealFileSystem::MakeDirectory(const std::string& path) {
  return ::mkdir(Native(path).c_str(), 0777) == 0 ? 0 : errno;
}

int RealFileSystem::SetReadOnly(const std::string& path, bool readOnly) {
  std::string native = Native(path);
  struct stat st;
  if (::stat(native.c_str(), &st) != 0) return -1;
  mode_t mode = st.st_mode & 07777;
  mode = readOnly ? (mode & ~mode_t(0222)) : (mode | S_IWUSR);
  return ::chmod(native.c_str(), mode);
}

// unlink, not remove: as on Windows, remove() never deletes a directory.
int RealFileSystem::Remove(const std::string& path) { return ::unlink(Native(path).c_str()); }

int RealFileSystem::Replace(const std::string& from, const std::string& to) {
  const std::string target = Native(to);
  if (std::rename(Native(from).c_str(), target.c_str()) != 0) return -1;
  // The rename is on the disk once the folder that holds it is.
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return 0;
}

std::vector<std::string> RealFileSystem::ListFiles(const std::string& dir) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(Native(dir).c_str()), &::closedir);
  if (!listing) return names;
  std::string prefix = dir;
  if (!prefix.empty() && prefix.back() != '\\') prefix += '\\';
  while (const dirent* entry = ::readdir(listing.get())) {
    const std::string name = entry->d_name;
    if (Find(prefix + name) == EntryKind::kFile) names.push_back(name);
  }
  return names;
}

int RealFileSystem::Sync(std::FILE* f) {
  if (std::fflush(f) != 0) return -1;
  return ::fsync(::fileno(f));
}

std::FILE* RealFileSystem::CreateNew(const std::string& path) {
  if (path.empty()) return nullptr;
  return CreateExclusive(path);
}

void RealFileSystem::Sleep(unsigned milliseconds) {
  struct timespec ts;
  ts.tv_sec = milliseconds / 1000;
  ts.tv_nsec = long(milliseconds % 1000) * 1000000L;
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
