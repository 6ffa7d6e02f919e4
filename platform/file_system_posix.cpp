// POSIX side of the file seam: Windows-style paths are mapped to slashes, and every call that
// makes, moves, changes or removes an entry acts relative to the folder that holds it (openat
// and its kin), never following a link at the name.
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
#include "platform/trusted_folders.h"

namespace platform {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

std::string Native(const std::string& path) {
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

// A descriptor that closes itself.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  int Get() const { return fd_; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// A binary write stream on the descriptor fd, which it then owns; null (with fd closed) when
// fd is not open or no stream can be made.
std::FILE* WriteStream(int fd) {
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, "wb");
  if (!f) ::close(fd);
  return f;
}

// What an entry's status says about changing it: 0 for a plain file of one name, else ELOOP
// (a symbolic link), EISDIR, EMLINK (more names) or EINVAL (a device, a pipe, ...).
int CheckFile(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return ELOOP;
  if (S_ISDIR(st.st_mode)) return EISDIR;
  if (!S_ISREG(st.st_mode)) return EINVAL;
  return st.st_nlink > 1 ? EMLINK : 0;
}

// Where a call on a path acts: the folder that holds it, trusted or opened by its path for this
// call, and the name inside it.
class Place {
 public:
  // 0, or the errno value when the folder cannot be opened (ENOENT when it is missing).
  int Locate(const TrustedFolders& trusted, const std::string& path) {
    std::string folder;
    SplitPath(path, folder, name_);
    if (name_.empty() || name_ == "." || name_ == "..") return ENOENT;
    if (const TrustedFolders::Folder* found = trusted.Find(folder)) {
      fd_ = static_cast<int>(found->native);
      return 0;
    }
    // Not the installation's: the folder is the caller's choice, links above the name included.
    opened_.Reset(::open(Native(folder).c_str(), kFolderFlags));
    fd_ = opened_.Get();
    return fd_ >= 0 ? 0 : errno;
  }

  int Folder() const { return fd_; }
  const char* Name() const { return name_.c_str(); }

  // The status of the entry at the name, a link described itself: 0, or the errno value.
  int Status(struct stat& st) const {
    return ::fstatat(fd_, name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 ? 0 : errno;
  }

 private:
  std::string name_;
  int fd_ = -1;
  Descriptor opened_;
};

// Moves the file at from onto to (renameat2 flags): the name is never followed, and what stands
// there is checked first. 0, or the errno value.
int MoveFile(const TrustedFolders& trusted, const std::string& from, const std::string& to,
             unsigned flags) {
  Place source, target;
  if (const int error = source.Locate(trusted, from)) return error;
  if (const int error = target.Locate(trusted, to)) return error;
  struct stat st;
  if (const int error = source.Status(st)) return error;
  if (const int error = CheckFile(st)) return error;
  if (::renameat2(source.Folder(), source.Name(), target.Folder(), target.Name(), flags) != 0)
    return errno;
  return 0;
}

}  // namespace

RealFileSystem::RealFileSystem() : trusted_(std::make_unique<TrustedFolders>(false)) {}

RealFileSystem::~RealFileSystem() { ForgetFolders(0); }

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
  Place place;
  if (const int error = place.Locate(*trusted_, path)) return error;
  return ::mkdirat(place.Folder(), place.Name(), 0777) == 0 ? 0 : errno;
}

int RealFileSystem::SetReadOnly(const std::string& path, bool readOnly) {
  Place place;
  int error = place.Locate(*trusted_, path);
  Descriptor file;
  if (error == 0) {
    file.Reset(::openat(place.Folder(), place.Name(),
                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0) error = errno;
  }
  struct stat st;
  if (error == 0) error = ::fstat(file.Get(), &st) == 0 ? CheckFile(st) : errno;
  if (error == 0) {
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~mode_t(0222)) : (mode | S_IWUSR);
    if (::fchmod(file.Get(), mode) != 0) error = errno;
  }
  if (error == 0) return 0;
  errno = error;
  return -1;
}

// unlinkat without AT_REMOVEDIR: as on Windows, never a directory; a link is removed itself.
int RealFileSystem::Remove(const std::string& path) {
  Place place;
  int error = place.Locate(*trusted_, path);
  if (error == 0 && ::unlinkat(place.Folder(), place.Name(), 0) != 0) error = errno;
  if (error == 0) return 0;
  errno = error;
  return -1;
}

int RealFileSystem::Replace(const std::string& from, const std::string& to) {
  int error = MoveFile(*trusted_, from, to, 0);
  if (error == 0) {
    // The move is on the disk once the folder that holds it is.
    Place target;
    if (target.Locate(*trusted_, to) == 0) ::fsync(target.Folder());
    return 0;
  }
  errno = error;
  return -1;
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
  Place place;
  int error = place.Locate(*trusted_, path);
  Descriptor file;
  if (error == 0) {
    file.Reset(::openat(place.Folder(), place.Name(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (file.Get() < 0) error = errno;
  }
  struct stat st;
  // A folder of that name: say what stands in the way.
  if (error == EEXIST && place.Status(st) == 0 && S_ISDIR(st.st_mode)) error = EISDIR;
  if (error == 0) error = ::fstat(file.Get(), &st) == 0 ? CheckFile(st) : errno;
  if (error != 0) {
    errno = error;
    return nullptr;
  }
  return WriteStream(file.Release());
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
  return MoveFile(*trusted_, from, to, RENAME_NOREPLACE);
}

int RealFileSystem::RemoveFolder(const std::string& path) {
  const NativeFolder held = trusted_->Take(path);
  if (held != -1) ::close(static_cast<int>(held));
  Place place;
  if (const int error = place.Locate(*trusted_, TrustedFolders::Trimmed(path))) return error;
  // unlinkat never follows a link at the name: a link is ENOTDIR, and stays.
  struct stat st;
  if (place.Status(st) == 0 && S_ISLNK(st.st_mode)) return ELOOP;
  return ::unlinkat(place.Folder(), place.Name(), AT_REMOVEDIR) == 0 ? 0 : errno;
}

bool RealFileSystem::InUse(const std::string&, bool) { return false; }

void RealFileSystem::Sleep(unsigned milliseconds) {
  struct timespec ts;
  ts.tv_sec = milliseconds / 1000;
  ts.tv_nsec = long(milliseconds % 1000) * 1000000L;
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

int RealFileSystem::TrustFolder(const std::string& path) {
  const std::string own = TrustedFolders::Trimmed(path);
  if (trusted_->Find(own)) return 0;
  std::string parentPath, name;
  SplitPath(own, parentPath, name);
  // Relative to the trusted folder that holds it, else the root of a trusted tree, opened
  // through whatever lies above it.
  const TrustedFolders::Folder* parent = trusted_->Find(parentPath);
  const int at = parent ? static_cast<int>(parent->native) : AT_FDCWD;
  const std::string opened = parent ? name : Native(own);
  Descriptor folder(::openat(at, opened.c_str(), kFolderFlags | O_NOFOLLOW));
  if (folder.Get() < 0) {
    const int error = errno;
    // Along with O_DIRECTORY, O_NOFOLLOW reports a link at the name as ENOTDIR.
    struct stat st;
    if (error == ENOTDIR && ::fstatat(at, opened.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(st.st_mode))
      return ELOOP;
    return error;
  }
  trusted_->Add(own, folder.Release());
  return 0;
}

void RealFileSystem::ForgetFolders(std::size_t mark) {
  for (NativeFolder native : trusted_->TakeSince(mark)) ::close(static_cast<int>(native));
}

int RealFileSystem::CheckTrustedFolders(std::string& folder) {
  for (const TrustedFolders::Folder& trusted : trusted_->All()) {
    // What stands at the name now, against the folder held.
    std::string parentPath, name;
    SplitPath(trusted.path, parentPath, name);
    struct stat now, held;
    const TrustedFolders::Folder* parent = trusted_->Find(parentPath);
    const int found = parent ? ::fstatat(static_cast<int>(parent->native), name.c_str(), &now,
                                         AT_SYMLINK_NOFOLLOW)
                             : ::lstat(Native(trusted.path).c_str(), &now);
    if (found == 0 && ::fstat(static_cast<int>(trusted.native), &held) == 0 &&
        now.st_dev == held.st_dev && now.st_ino == held.st_ino)
      continue;
    folder = trusted.path;
    return found == 0 && S_ISLNK(now.st_mode) ? ELOOP : ENOLINK;
  }
  return 0;
}

}  // namespace platform
