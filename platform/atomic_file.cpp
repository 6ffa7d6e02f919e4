#include "platform/atomic_file.h"

#include <cerrno>

#include "platform/file_ops.h"
#include "platform/file_system.h"

namespace platform {
namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
  errno = 0;
  file_ = CreateTempFileIn(FolderOf(path_), temp_);
  if (!file_) {
    error_ = ErrnoOr(EACCES);
    failed_ = true;
  }
}

AtomicFile::~AtomicFile() {
  if (file_) Fs().Close(file_);
  if (!committed_ && !temp_.empty()) Fs().Remove(temp_);
}

bool AtomicFile::Close() {
  if (!file_) return !failed_;
  FileSystem& fs = Fs();
  errno = 0;
  if (fs.StreamError(file_) != 0 || fs.Sync(file_) != 0) {
    error_ = ErrnoOr(EIO);
    failed_ = true;
  }
  errno = 0;
  // Some file systems report a failed write only when the file is closed.
  if (fs.Close(file_) != 0 && !failed_) {
    error_ = ErrnoOr(EIO);
    failed_ = true;
  }
  file_ = nullptr;
  return !failed_;
}

bool AtomicFile::Commit() {
  if (!Close()) return false;
  FileSystem& fs = Fs();
  errno = 0;
  if (fs.Replace(temp_, path_) != 0) {
    // A read-only file cannot be replaced on Windows until it is writable.
    const int error = ErrnoOr(EACCES);
    if (fs.SetReadOnly(path_, false) != 0 || fs.Replace(temp_, path_) != 0) {
      error_ = error;
      failed_ = true;
      return false;
    }
  }
  committed_ = true;
  return true;
}

}  // namespace platform
