// What the main dialog and the extraction worker share during one installation: the progress
// line, the user's wish to stop, and the hand-over at the commit point, where the dialog
// decides whether the installed run is made final or undone.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "payload/extraction.h"

// The worker's report to the dialog. The worker writes the progress line one whole line at a
// time; the progress timer reads it. Messages and the question about files in use are shown
// from the worker in boxes owned by the dialog, so the dialog takes no input while one is open.
class InstallProgress : public ExtractionReport {
 public:
  // Where the installation stands, in the order it passes through.
  enum class Phase {
    kRunning,    // the worker installs (or undoes after a stop or a failure)
    kInstalled,  // every file is in place: the dialog decides, commit or undo
    kCommitted,  // final; the worker removes the set-aside files
    kEnded,      // the worker has ended (Outcome() tells how)
  };

  explicit InstallProgress(HWND dialog) : dialog_(dialog) {}

  void Progress(const std::string& line) override;
  void Message(const std::string& text) override;
  bool AskRetry(const std::string& text) override;
  void PhaseEnded(const char* phase) override;
  void Failure(const std::string& text) override;
  void Note(const std::string& line) override;
  bool Stopping() const override { return stopping_.load(); }
  void Position(std::uint64_t done, std::uint64_t total) override;

  // The line of the entry being processed; empty before the first.
  std::string Status() const;
  // How far the run is, in thousandths (0 before it starts; back towards 0 while it is undone).
  int Permille() const { return permille_.load(); }

  // The dialog's side. The worker posts the dialog a tick of this timer when the run needs the
  // dialog (everything in place, or the end), so that it need not wait for the next one.
  void WakeWith(UINT_PTR timerId) { wakeTimer_.store(timerId); }
  Phase CurrentPhase() const;
  // How the run ended; meaningful once the phase is kEnded.
  ExtractionOutcome Outcome() const;
  // The user quits: the worker stops at the next entry and undoes the run, also when it has
  // installed everything and waits for the decision.
  void RequestStop();
  // Makes the installed run final and returns once it is (true) or once a failure to commit
  // has been reported and the run undone (false).
  bool Commit();
  // Waits for the worker to end (it removes the set-aside files after a commit).
  void WaitForEnd();

  // The worker's side. Once every file is in place: waits for the dialog's decision; true to
  // commit, false to undo.
  bool Installed();
  // The commit is done (ok) or failed (reported, and the run undone).
  void Committed(bool ok);
  // The worker ends with the outcome (after removing the set-aside files of a committed run).
  void End(ExtractionOutcome outcome);

 private:
  enum class Decision { kNone, kCommit, kUndo };

  const HWND dialog_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::string status_;
  Phase phase_ = Phase::kRunning;
  Decision decision_ = Decision::kNone;
  bool committed_ = false;
  ExtractionOutcome outcome_ = ExtractionOutcome::kFailed;
  std::atomic<bool> stopping_{false};
  std::atomic<int> permille_{0};
  std::atomic<UINT_PTR> wakeTimer_{0};

  void WakeDialog() const;
  std::chrono::steady_clock::time_point phaseStart_ = std::chrono::steady_clock::now();
};
