// The texts that report why a database file could not be opened, read, created or written.
#pragma once

#include <string>

// Why a file operation failed, as the user is told.
enum class FileErrorCause {
  kUnknown,
  kFileNotFound,
  kBadPath,
  kTooManyOpenFiles,
  kAccessDenied,
  kInvalidFile,
  kBadSeek,
  kHardIo,
  kSharingViolation,
  kLockViolation,
  kDiskFull,
};

// The cause that an errno value left by the runtime library stands for; kUnknown for values
// that name none of the others.
FileErrorCause FileErrorCauseFromErrno(int error);

// The cause for a file that could not be created: ENOENT then means that a folder on its path
// is missing, which counts as an invalid path (as the system's own error for it does); any
// other value as FileErrorCauseFromErrno.
FileErrorCause FileErrorCauseOfCreate(int error);

// The message for the cause with the path in place of %1, for example "%1 was not found."
// becomes "C:\x\standard.cap was not found.".
std::string FileErrorText(FileErrorCause cause, const std::string& path);
