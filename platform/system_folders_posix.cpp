#include "platform/system_folders.h"

namespace platform {

std::vector<SystemFolder> SystemFolders() { return {}; }

}  // namespace platform
