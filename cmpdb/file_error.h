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
  kRemoveCurrentDir,
  kDirectoryFull,
  kBadSeek,
  kHardIo,
  kSharingViolation,
  kLockViolation,
  kDiskFull,
  kEndOfFile,
};

// The cause that an errno value left by the runtime library stands for; kUnknown for values
// that name none of the others.
FileErrorCause FileErrorCauseFromErrno(int error);

// The message for the cause with the path in place of %1, for example "%1 was not found."
// becomes "C:\x\standard.cap was not found.".
std::string FileErrorText(FileErrorCause cause, const std::string& path);
