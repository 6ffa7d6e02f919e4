// One installation at a time on a machine: a second installer would take the first one's new
// files for leftovers of a crash, and its journal for one to undo.
#pragma once

#include <memory>

namespace platform {

class InstallationLock {
 public:
  InstallationLock();
  // Releases the lock when held. Ending the process releases it as well.
  ~InstallationLock();
  InstallationLock(const InstallationLock&) = delete;
  InstallationLock& operator=(const InstallationLock&) = delete;

  // Takes the lock when no other installation holds it; false when one does (or the lock
  // cannot be made). True at once when this object holds it already.
  bool TryAcquire();
  // Takes the lock, waiting for another installation to end; false when it cannot be made.
  bool Acquire();

 private:
  struct Handle;
  std::unique_ptr<Handle> handle_;
  bool held_ = false;
};

}  // namespace platform
