#include "cmpdb/file_error.h"

#include <cerrno>

FileErrorCause FileErrorCauseFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return FileErrorCause::kFileNotFound;
    case EINVAL:
    case ENAMETOOLONG:
    case ENOTDIR:
      return FileErrorCause::kBadPath;
    case EMFILE:
    case ENFILE:
      return FileErrorCause::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return FileErrorCause::kAccessDenied;
    case EBADF:
      return FileErrorCause::kInvalidFile;
    case ESPIPE:
      return FileErrorCause::kBadSeek;
    case EIO:
      return FileErrorCause::kHardIo;
    case EBUSY:
      return FileErrorCause::kSharingViolation;
    case EDEADLK:
      return FileErrorCause::kLockViolation;
    case ENOSPC:
      return FileErrorCause::kDiskFull;
    default:
      return FileErrorCause::kUnknown;
  }
}

FileErrorCause FileErrorCauseOfCreate(int error) {
  return error == ENOENT ? FileErrorCause::kBadPath : FileErrorCauseFromErrno(error);
}

std::string FileErrorText(FileErrorCause cause, const std::string& path) {
  const char* format = "An unknown error occurred while accessing %1.";
  switch (cause) {
    case FileErrorCause::kUnknown:
      break;
    case FileErrorCause::kFileNotFound:
      format = "%1 was not found.";
      break;
    case FileErrorCause::kBadPath:
      format = "%1 contains an invalid path.";
      break;
    case FileErrorCause::kTooManyOpenFiles:
      format = "%1 could not be opened because there are too many open files.";
      break;
    case FileErrorCause::kAccessDenied:
      format = "Access to %1 was denied.";
      break;
    case FileErrorCause::kInvalidFile:
      format = "An invalid file handle was associated with %1.";
      break;
    case FileErrorCause::kBadSeek:
      format = "Seek failed on %1";
      break;
    case FileErrorCause::kHardIo:
      format = "A hardware I/O error was reported while accessing %1.";
      break;
    case FileErrorCause::kSharingViolation:
      format = "A sharing violation occurred while accessing %1.";
      break;
    case FileErrorCause::kLockViolation:
      format = "A locking violation occurred while accessing %1.";
      break;
    case FileErrorCause::kDiskFull:
      format = "Disk full while accessing %1.";
      break;
  }
  std::string text = format;
  std::string::size_type at = text.find("%1");
  if (at != std::string::npos) text.replace(at, 2, path);
  return text;
}
