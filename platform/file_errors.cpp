#include "platform/file_errors.h"

#include <cerrno>

namespace platform {

std::string FileErrorReason(int error) {
  switch (error) {
    case EBUSY:
      return "in use by another program";
    case EACCES:
    case EPERM:
      return "access is denied";
    case ENOSPC:
      return "the disk is full";
    case EEXIST:
      return "something of that name is in the way";
    case EISDIR:
      return "a folder of that name is in the way";
    case ENOENT:
    case ENOTDIR:
      return "a folder on its path is missing or is a file";
    case EIO:
      return "the disk reported an error";
    case EROFS:
      return "the disk is write-protected";
    case ENAMETOOLONG:
      return "the path is too long";
    case ENOTEMPTY:
      return "the folder is not empty";
    case ELOOP:
      return "it is a link to another place (a symbolic link or a junction)";
    case EMLINK:
      return "it is a hard link: the same file has another name elsewhere";
    case ENOLINK:
      return "it was moved or replaced while the installation ran";
    case 0:
      return "the system gave no reason";
    default:
      if (error >= kWindowsErrorBase)
        return "Windows error " + std::to_string(error - kWindowsErrorBase);
      return "error " + std::to_string(error) + " of the system";
  }
}

}  // namespace platform
