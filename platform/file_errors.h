// Why a file operation failed, in words a user can act on.
#pragma once

#include <string>

namespace platform {

// The reason an errno value of the file seam stands for, as a phrase that follows a path and a
// colon: "in use by another program", "access is denied", "the disk is full", ...
std::string FileErrorReason(int error);

}  // namespace platform
