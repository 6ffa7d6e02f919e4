#include "app/install_progress.h"

#include "app/install_hold.h"
#include "platform/message_box.h"

void InstallProgress::Progress(const std::string& line) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    status_ = line;
  }
  HoldAtProgressLine(line, stopping_);
}

void InstallProgress::Message(const std::string& text) { platform::AppMessageBox(text, dialog_); }

std::string InstallProgress::Status() const {
  std::lock_guard<std::mutex> guard(lock_);
  return status_;
}
