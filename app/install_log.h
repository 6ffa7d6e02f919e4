// The installation log: what one run of the installer did, in the user's temporary folder, for
// support to read when an installation failed on a user's machine. Lines are kept in memory and
// written when Flush is called (before every message box and at every phase), so that logging
// costs no write per line.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

class InstallLog {
 public:
  InstallLog() = default;
  ~InstallLog();
  InstallLog(const InstallLog&) = delete;
  InstallLog& operator=(const InstallLog&) = delete;

  // Makes a new log in folder: "Tvex III Setup <date> #<n>.log" with the first n that no other
  // run has taken (the name is created exclusively). False when none can be made: the installer
  // then runs without a log, and Path() is empty.
  bool Open(const std::string& folder, const std::string& date);

  // Where the log is; empty when it could not be made.
  std::string Path() const;

  // Adds a line, headed by the time of day ("12:34:56.789 "). Any thread.
  void Line(const std::string& text);

  // Writes the lines kept so far to the disk. Any thread.
  void Flush();

 private:
  mutable std::mutex lock_;
  std::FILE* file_ = nullptr;
  std::string path_;
  std::string pending_;
};

// The one log of the installer's process.
InstallLog& TheInstallLog();

// The line that ends a failure's message: where the log is, for support; empty without a log.
std::string LogReference();

// Records a message about to be shown (its lines joined by " | ") and writes the log to the disk
// first, so that a run that ends while the box is up leaves everything before it.
void LogBox(const std::string& text);
