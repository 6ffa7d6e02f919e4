// tvex-extract [--update] [--times] DIR: installs the built-in payload below DIR as the
// installer's worker does, all or nothing, then prints how many files and bytes it wrote and how
// long it took (with --times, each phase's seconds too, for the benchmark). Every message goes to
// stderr; a damaged payload (refused before anything is written), a failure that stops the
// installation (after the run has undone itself) and files in use exit with code 1. One
// installation runs at a time on a machine: a second one waits.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/install_job.h"
#include "payload/extraction.h"
#include "payload/payload_check.h"
#include "payload/undo.h"
#include "platform/file_ops.h"
#include "platform/installation_lock.h"
#include "platform/paths.h"
#include "platform/reporter.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: tvex-extract [--update] [--times] DIR\n");
  return 2;
}

// Messages on stderr; the progress lines are not shown. Each phase's time is kept.
class StderrReport : public ExtractionReport {
 public:
  void Progress(const std::string&) override {}
  void Message(const std::string& text) override { stderr_.Message(text); }
  void PhaseEnded(const char* phase) override {
    const auto now = std::chrono::steady_clock::now();
    times += std::string(" ") + phase + " " +
             std::to_string(std::chrono::duration<double>(now - last_).count());
    last_ = now;
  }

  std::string times;  // " <phase> <seconds>" for each phase ended

 private:
  platform::StderrReporter stderr_{"tvex-extract"};
  std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

}  // namespace

int main(int argc, char** argv) {
  bool update = false, times = false;
  const char* dir = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--update") == 0 && !update)
      update = true;
    else if (std::strcmp(argv[i], "--times") == 0 && !times)
      times = true;
    else if (dir == nullptr && argv[i][0] != '-')
      dir = argv[i];
    else
      return Usage();
  }
  if (dir == nullptr) return Usage();
  if (!BuiltInPayloadIntact()) {
    StderrReport().Message(kDamagedPayloadText);
    return 1;
  }

  // Backslashes throughout, so that CreateDirectoryTree can walk up the chain; the file seam
  // maps them back to slashes on POSIX.
  std::error_code error;
  std::string installDir = std::filesystem::absolute(dir, error).string();
  if (error) {
    std::fprintf(stderr, "tvex-extract: %s: %s\n", dir, error.message().c_str());
    return 1;
  }
  for (char& c : installDir)
    if (c == '/') c = '\\';

  platform::InstallationLock lock;
  if (!lock.TryAcquire()) {
    std::fprintf(stderr, "tvex-extract: another installation is running; waiting for it to end\n");
    if (!lock.Acquire()) {
      std::fprintf(stderr, "tvex-extract: the installation lock cannot be taken\n");
      return 1;
    }
  }
  const bool existed = DirectoryExists(installDir.c_str());
  int counter = 0;
  CreateDirectoryTree(installDir.c_str(), counter);
  ExtractionJob job = InstallJob(installDir, update);
  job.madeInstallDirectory = !existed;
  StderrReport report;
  const auto start = std::chrono::steady_clock::now();
  const bool installed = RunExtraction(job, report) == ExtractionOutcome::kInstalled &&
                         CommitExtraction(installDir, report);
  report.PhaseEnded("commit");
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  if (installed) {
    RemoveSetAsideFiles(installDir);
    report.PhaseEnded("clean-up");
    std::printf("tvex-extract: %zu files, %llu bytes, %.3f s\n", job.payload.count,
                static_cast<unsigned long long>(InstalledBytes(job.payload)), seconds.count());
  }
  if (times) std::printf("tvex-extract: times%s\n", report.times.c_str());
  return installed ? 0 : 1;
}
