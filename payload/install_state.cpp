#include "payload/install_state.h"

std::string g_szInstallDir;
std::atomic<int> g_bUpdateMode{0};
StatusLine g_szStatus;
std::atomic<int> g_bInstallDone{0};

void StatusLine::Set(std::string line) {
  std::lock_guard<std::mutex> guard(lock_);
  line_ = std::move(line);
}

std::string StatusLine::Get() const {
  std::lock_guard<std::mutex> guard(lock_);
  return line_;
}

void StatusLine::Clear() { Set(std::string()); }
