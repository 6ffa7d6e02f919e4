#include "platform/message_box.h"

#include <mutex>

namespace platform {

int ShowMessageBox(void* owner, const std::string& text, const std::string& caption,
                   unsigned flags);  // message_box_win.cpp / message_box_posix.cpp

namespace {

std::mutex& HookLock() {
  static std::mutex lock;
  return lock;
}

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

int Dispatch(void* owner, const std::string& text, const std::string& caption, unsigned flags) {
  MessageBoxHook hook;
  {
    std::lock_guard<std::mutex> guard(HookLock());
    hook = Hook();
  }
  if (hook) return hook(text, caption, flags);
  return ShowMessageBox(owner, text, caption, flags);
}

}  // namespace

int AppMessageBox(const std::string& text, void* owner) {
  return Dispatch(owner, text, kAppTitle, kMbOk | kMbIconExclamation);
}

int OwnedMessageBox(void* owner, const std::string& text, const std::string& caption,
                    unsigned flags) {
  return Dispatch(owner, text, caption, flags);
}

void SetMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard<std::mutex> guard(HookLock());
  Hook() = std::move(hook);
}

}  // namespace platform
