// Why a file operation failed, in words a user can act on.
#pragma once

#include <string>

namespace platform {

// A Windows error code that no errno value stands for travels through the file seam as this base
// plus the code, so that the message and the log still name it.
constexpr int kWindowsErrorBase = 0x40000000;

// The reason an errno value of the file seam stands for, as a phrase that follows a path and a
// colon: "in use by another program", "access is denied", "the disk is full", ...; "Windows
// error <n>" for a Windows code of its own.
std::string FileErrorReason(int error);

}  // namespace platform
