// Where portable code reports what a user must read. The portable layers never show a window
// or end the process: they hand the text to the reporter they were given and return.
#pragma once

#include <string>

namespace platform {

class Reporter {
 public:
  virtual ~Reporter() = default;
  // Shows text to the user; returns once it has been read.
  virtual void Message(const std::string& text) = 0;
};

// Shows each text in an application message box (AppMessageBox).
class AppMessageReporter : public Reporter {
 public:
  void Message(const std::string& text) override;
};

// Writes each text to stderr as "<prefix>: <text>" and a line end, for the command-line tools.
class StderrReporter : public Reporter {
 public:
  explicit StderrReporter(std::string prefix) : prefix_(std::move(prefix)) {}
  void Message(const std::string& text) override;

 private:
  std::string prefix_;
};

}  // namespace platform
