#include <windows.h>

#include "platform/installation_lock.h"
#include "platform/unique_handle.h"

namespace platform {
namespace {

// Global: one installation per machine, whichever session started it.
constexpr char kMutexName[] = "Global\\Tvex III Setup";

}  // namespace

struct InstallationLock::Handle {
  UniqueHandle mutex;
};

InstallationLock::InstallationLock() : handle_(std::make_unique<Handle>()) {}

InstallationLock::~InstallationLock() {
  if (held_) ::ReleaseMutex(handle_->mutex.get());
}

namespace {

bool Take(UniqueHandle& mutex, DWORD wait) {
  if (!mutex) mutex.reset(::CreateMutexA(nullptr, FALSE, kMutexName));
  if (!Valid(mutex)) return false;
  // An installer that ended without releasing it (killed, say) leaves it abandoned: taken all
  // the same; its journal tells the next run what to undo.
  const DWORD result = ::WaitForSingleObject(mutex.get(), wait);
  return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

}  // namespace

bool InstallationLock::TryAcquire() {
  if (!held_) held_ = Take(handle_->mutex, 0);
  return held_;
}

bool InstallationLock::Acquire() {
  if (!held_) held_ = Take(handle_->mutex, INFINITE);
  return held_;
}

}  // namespace platform
