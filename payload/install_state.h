// The installation state shared by the user-interface thread and the extraction worker.
//
// The install directory and the update flag are written by the user-interface thread only
// before the worker starts. The status line is written by the worker one complete line at a
// time and read by the progress timer; a lock keeps every read a whole line. The done flag is
// cleared before the worker starts and set once by the worker as its last action.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

// The progress line of the entry being processed ("Extracting: %s.gz\n" and the like).
class StatusLine {
 public:
  void Set(std::string line);
  std::string Get() const;
  void Clear();

 private:
  mutable std::mutex lock_;
  std::string line_;
};

extern std::string g_szInstallDir;
extern std::atomic<int> g_bUpdateMode;
extern StatusLine g_szStatus;
extern std::atomic<int> g_bInstallDone;
