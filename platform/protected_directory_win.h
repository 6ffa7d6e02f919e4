// The security descriptor that CreateProtectedDirectory gives a new directory (Windows only).
#pragma once

#include <windows.h>

namespace platform {

// Owns a self-relative security descriptor whose protected DACL grants FILE_ALL_ACCESS to
// Administrators and SYSTEM and FILE_GENERIC_READ | FILE_GENERIC_EXECUTE to Users, each ACE
// inherited by subfolders and files. Valid() is false when the platform could not build it.
class ProtectedDirectorySecurity {
 public:
  ProtectedDirectorySecurity();
  ~ProtectedDirectorySecurity();
  ProtectedDirectorySecurity(const ProtectedDirectorySecurity&) = delete;
  ProtectedDirectorySecurity& operator=(const ProtectedDirectorySecurity&) = delete;

  bool Valid() const { return descriptor_ != nullptr; }
  PSECURITY_DESCRIPTOR Descriptor() const { return descriptor_; }
  // For CreateDirectoryA; not inheritable by child processes.
  SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_ = {};
};

}  // namespace platform
