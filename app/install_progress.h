// What the main dialog and the extraction worker share during one installation.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>

#include "payload/extraction.h"

// The worker's report to the dialog. The worker writes the progress line one whole line at a
// time and marks the end; the progress timer reads both. The lock keeps every read a whole
// line. Messages are shown from the worker in boxes owned by the dialog, so the dialog takes
// no input while one is open.
class InstallProgress : public ExtractionReport {
 public:
  explicit InstallProgress(HWND dialog) : dialog_(dialog) {}

  void Progress(const std::string& line) override;
  void Message(const std::string& text) override;

  // The line of the entry being processed; empty before the first.
  std::string Status() const;

  // Set once by the worker when every file is in place.
  void MarkDone() { done_.store(true, std::memory_order_release); }
  bool Done() const { return done_.load(std::memory_order_acquire); }

  // Set by the dialog when the user quits: the worker stops at the next entry.
  void RequestStop() { stopping_.store(true); }

 private:
  const HWND dialog_;
  mutable std::mutex lock_;
  std::string status_;
  std::atomic<bool> done_{false};
  std::atomic<bool> stopping_{false};
};
