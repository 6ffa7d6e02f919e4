#include "app/install_progress.h"

#include <chrono>

#include "app/install_hold.h"
#include "app/install_log.h"
#include "platform/message_box.h"

namespace {

constexpr char kFilesInUseCaption[] = "Files In Use";

}  // namespace

void InstallProgress::Progress(const std::string& line) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    status_ = line;
  }
  HoldAtProgressLine(line, stopping_);
}

void InstallProgress::Message(const std::string& text) {
  LogBox(text);
  platform::AppMessageBox(text, dialog_);
}

bool InstallProgress::AskRetry(const std::string& text) {
  LogBox("Files In Use: " + text);
  const bool retry =
      platform::OwnedMessageBox(dialog_, text, kFilesInUseCaption,
                                platform::kMbRetryCancel | platform::kMbIconExclamation) ==
      platform::kIdRetry;
  TheInstallLog().Line(retry ? "Retry" : "Cancel");
  return retry;
}

void InstallProgress::Failure(const std::string& text) {
  LogBox(text);
  platform::AppMessageBox(text + LogReference(), dialog_);
}

void InstallProgress::Note(const std::string& line) { TheInstallLog().Line(line); }

void InstallProgress::PhaseEnded(const char* phase) {
  const auto now = std::chrono::steady_clock::now();
  const long long ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(now - phaseStart_).count();
  phaseStart_ = now;
  TheInstallLog().Line(std::string("Phase ended: ") + phase + " (" + std::to_string(ms) + " ms)");
  TheInstallLog().Flush();
}

void InstallProgress::Position(std::uint64_t done, std::uint64_t total) {
  permille_.store(total == 0 ? 0 : static_cast<int>(done >= total ? 1000 : done * 1000 / total));
}

std::string InstallProgress::Status() const {
  std::lock_guard<std::mutex> guard(lock_);
  return status_;
}

InstallProgress::Phase InstallProgress::CurrentPhase() const {
  std::lock_guard<std::mutex> guard(lock_);
  return phase_;
}

ExtractionOutcome InstallProgress::Outcome() const {
  std::lock_guard<std::mutex> guard(lock_);
  return outcome_;
}

void InstallProgress::RequestStop() {
  stopping_.store(true);
  std::lock_guard<std::mutex> guard(lock_);
  if (phase_ == Phase::kInstalled && decision_ == Decision::kNone) {
    decision_ = Decision::kUndo;
    changed_.notify_all();
  }
}

bool InstallProgress::Commit() {
  std::unique_lock<std::mutex> guard(lock_);
  if (phase_ != Phase::kInstalled || decision_ != Decision::kNone) return false;
  decision_ = Decision::kCommit;
  changed_.notify_all();
  changed_.wait(guard, [this] { return phase_ == Phase::kCommitted || phase_ == Phase::kEnded; });
  return committed_;
}

void InstallProgress::WaitForEnd() {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [this] { return phase_ == Phase::kEnded; });
}

void InstallProgress::WakeDialog() const {
  if (const UINT_PTR timer = wakeTimer_.load()) ::PostMessageA(dialog_, WM_TIMER, timer, 0);
}

bool InstallProgress::Installed() {
  std::unique_lock<std::mutex> guard(lock_);
  phase_ = Phase::kInstalled;
  if (stopping_.load() && decision_ == Decision::kNone) decision_ = Decision::kUndo;
  changed_.notify_all();
  WakeDialog();
  changed_.wait(guard, [this] { return decision_ != Decision::kNone; });
  return decision_ == Decision::kCommit;
}

void InstallProgress::Committed(bool ok) {
  std::lock_guard<std::mutex> guard(lock_);
  committed_ = ok;
  phase_ = Phase::kCommitted;
  changed_.notify_all();
}

void InstallProgress::End(ExtractionOutcome outcome) {
  std::lock_guard<std::mutex> guard(lock_);
  outcome_ = outcome;
  phase_ = Phase::kEnded;
  changed_.notify_all();
  WakeDialog();
}
