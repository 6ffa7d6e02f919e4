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
  std::FILE* f = CreateExclusive(path);
  // A folder of that name: say what stands in the way.
  struct stat st;
  if (!f && errno == EEXIST && ::stat(Native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    errno = EISDIR;
  return f;
}

bool RealFileSystem::List(const std::string& dir, std::vector<DirectoryEntry>& entries) {
  const std::string native = Native(dir);
  std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(native.c_str()), &::closedir);
  if (!listing) return false;
  const int folder = ::dirfd(listing.get());
  while (const dirent* found = ::readdir(listing.get())) {
    const std::string name = found->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    DirectoryEntry entry;
    entry.name = name;
    entry.link = S_ISLNK(st.st_mode);
    // A link is described as what it points to, as Windows describes a reparse point.
    struct stat target;
    const bool folderLike =
        entry.link ? ::fstatat(folder, name.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode)
                   : S_ISDIR(st.st_mode);
    entry.kind = folderLike ? EntryKind::kDirectory : EntryKind::kFile;
    entry.readOnly = (st.st_mode & S_IWUSR) == 0;
    entry.size = static_cast<std::uint64_t>(st.st_size);
    entries.push_back(std::move(entry));
  }
  return true;
}

int RealFileSystem::Rename(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, Native(from).c_str(), AT_FDCWD, Native(to).c_str(), RENAME_NOREPLACE) ==
      0)
    return 0;
  return errno;
}

int RealFileSystem::RemoveFolder(const std::string& path) {
  return ::rmdir(Native(path).c_str()) == 0 ? 0 : errno;
}

bool RealFileSystem::InUse(const std::string&, bool) { return false; }

void RealFileSystem::Sleep(unsigned milliseconds) {
  struct timespec ts;
  ts.tv_sec = milliseconds / 1000;
  ts.tv_nsec = long(milliseconds % 1000) * 1000000L;
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace platform
