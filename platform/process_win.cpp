#include <windows.h>

#include "platform/process.h"

namespace platform {

void EndProcess(int code) {
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(code));
  // TerminateProcess of the own process does not return; this only satisfies [[noreturn]].
  ::ExitProcess(static_cast<UINT>(code));
}

}  // namespace platform
