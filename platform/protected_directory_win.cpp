#include <windows.h>
// sddl.h needs the types of windows.h first.
#include <sddl.h>

#include "platform/protected_directory.h"
#include "platform/protected_directory_win.h"

namespace platform {
namespace {

// P: protected (nothing inherited from the parent). Each ACE: allowed, inherited by folders
// and files (OICI): FA = FILE_ALL_ACCESS, FRFX = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
// BA = Administrators, SY = SYSTEM, BU = Users.
constexpr char kProtectedDacl[] = "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;FRFX;;;BU)";

}  // namespace

ProtectedDirectorySecurity::ProtectedDirectorySecurity() {
  if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(kProtectedDacl, SDDL_REVISION_1,
                                                              &descriptor_, nullptr))
    descriptor_ = nullptr;
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = descriptor_;
  attributes_.bInheritHandle = FALSE;
}

ProtectedDirectorySecurity::~ProtectedDirectorySecurity() {
  if (descriptor_) ::LocalFree(descriptor_);
}

bool CreateProtectedDirectory(const std::string& path) {
  ProtectedDirectorySecurity security;
  // Without the descriptor the directory would inherit what it must not: make none.
  return security.Valid() && ::CreateDirectoryA(path.c_str(), security.Attributes());
}

}  // namespace platform
