#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/installation_lock.h"

namespace platform {
namespace {

constexpr char kLockPath[] = "/tmp/tvex-installation.lock";

}  // namespace

struct InstallationLock::Handle {
  int fd = -1;
};

InstallationLock::InstallationLock() : handle_(std::make_unique<Handle>()) {}

InstallationLock::~InstallationLock() {
  if (handle_->fd >= 0) ::close(handle_->fd);  // releases the lock
}

namespace {

bool Take(int& fd, int how) {
  if (fd < 0) fd = ::open(kLockPath, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  return fd >= 0 && ::flock(fd, how) == 0;
}

}  // namespace

bool InstallationLock::TryAcquire() {
  if (!held_) held_ = Take(handle_->fd, LOCK_EX | LOCK_NB);
  return held_;
}

bool InstallationLock::Acquire() {
  if (!held_) held_ = Take(handle_->fd, LOCK_EX);
  return held_;
}

}  // namespace platform
