#include <cstdlib>

#include "platform/process.h"

namespace platform {

void EndProcess(int code) { std::_Exit(code); }

}  // namespace platform
