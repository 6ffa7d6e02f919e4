#include "app/install_log.h"

#include <windows.h>

#include "platform/code_page.h"
#include "platform/file_system.h"

namespace {

// Runs of the same day that may share the folder, at most.
constexpr int kMostRunsADay = 9999;

std::string TimeOfDay() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u.%03u ", now.wHour, now.wMinute, now.wSecond,
                now.wMilliseconds);
  return text;
}

}  // namespace

InstallLog::~InstallLog() {
  Flush();
  std::lock_guard<std::mutex> guard(lock_);
  if (file_) platform::Fs().Close(file_);
}

bool InstallLog::Open(const std::string& folder, const std::string& date) {
  std::string dir = folder;
  if (!dir.empty() && !platform::EndsWithSeparator(dir)) dir += '\\';
  for (int n = 1; n <= kMostRunsADay; ++n) {
    const std::string path = dir + "Tvex III Setup " + date + " #" + std::to_string(n) + ".log";
    errno = 0;
    if (std::FILE* f = platform::Fs().CreateNew(path)) {
      std::lock_guard<std::mutex> guard(lock_);
      file_ = f;
      path_ = path;
      return true;
    }
    // Only a name that is taken is worth another try.
    if (errno != EEXIST) break;
  }
  return false;
}

std::string InstallLog::Path() const {
  std::lock_guard<std::mutex> guard(lock_);
  return path_;
}

void InstallLog::Line(const std::string& text) {
  const std::string line = TimeOfDay() + text + "\r\n";
  std::lock_guard<std::mutex> guard(lock_);
  if (file_) pending_ += line;
}

void InstallLog::Flush() {
  std::lock_guard<std::mutex> guard(lock_);
  if (!file_ || pending_.empty()) return;
  platform::FileSystem& fs = platform::Fs();
  fs.Write(pending_.data(), 1, pending_.size(), file_);
  std::fflush(file_);
  pending_.clear();
}

InstallLog& TheInstallLog() {
  static InstallLog log;
  return log;
}

std::string LogReference() {
  const std::string path = TheInstallLog().Path();
  return path.empty() ? std::string() : "\n\nThe installation log: " + path;
}

void LogBox(const std::string& text) {
  std::string line = text;
  for (std::size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n', at))
    line.replace(at, 1, " | ");
  TheInstallLog().Line("Message: " + line);
  TheInstallLog().Flush();
}
