#include <windows.h>

#include <string>

#include "platform/message_box.h"

namespace platform {

int ShowMessageBox(void* owner, const std::string& text, const std::string& caption,
                   unsigned flags) {
  return ::MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), flags);
}

}  // namespace platform
