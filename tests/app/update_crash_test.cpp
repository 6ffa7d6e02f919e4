// An update installation cut short at every step that changes anything in lib\cmp, as a crash
// or a quit would end it, then run again to the end: each database must still hold every record
// and model the user had. (Natively only: each cut is a child process that ends itself.)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

#include "app/install_job.h"
#include "platform/paths.h"
#include "platform/file_system.h"
#include "tests/app/user_databases.h"
#include "tests/support/disk_files.h"
#include "tests/support/test_payload.h"
#include "tests/support/work_dir.h"

// The program's own built-in table is not used: the test installs a table of its own.
const PayloadEntry* const g_payloadTable[] = {nullptr};
const std::size_t g_payloadTableSize = 0;
const std::uint32_t g_payloadTableCrc = 0;

namespace {

using namespace tvex_test;

constexpr int kUserEntries = 2000;
constexpr int kCutShort = 71;     // exit code of a child cut short
constexpr int kRanToTheEnd = 72;  // exit code of a child that found no more steps to cut at

// The platform's calls, with the process ended right after the n-th change inside one folder
// (never when n is 0): a file made or opened for writing there, a write, cut, flush or close of
// such a file, a move, removal or attribute change of a path there. A flush does not wait for
// the disk: what is tested here is a process that ends, not a machine that stops.
class CuttingFileSystem : public platform::RealFileSystem {
 public:
  CuttingFileSystem(std::string folder, int cutAfter)
      : folder_(std::move(folder)), cutAfter_(cutAfter) {}

  std::FILE* Open(const std::string& path, const char* mode) override {
    std::FILE* f = RealFileSystem::Open(path, mode);
    if (std::string(mode).find_first_of("wa+") != std::string::npos) Opened(path, f);
    return f;
  }
  std::FILE* OpenForRewrite(const std::string& path, bool& created) override {
    std::FILE* f = RealFileSystem::OpenForRewrite(path, created);
    Opened(path, f);
    return f;
  }
  std::FILE* CreateNew(const std::string& path) override {
    std::FILE* f = RealFileSystem::CreateNew(path);
    Opened(path, f);
    return f;
  }
  std::size_t Write(const void* data, std::size_t size, std::size_t count, std::FILE* f) override {
    const std::size_t written = RealFileSystem::Write(data, size, count, f);
    Changed(f);
    return written;
  }
  int Truncate(std::FILE* f) override { return After(RealFileSystem::Truncate(f), f); }
  int Sync(std::FILE* f) override { return After(std::fflush(f), f); }
  int Close(std::FILE* f) override {
    const bool ours = Forget(f);
    const int result = RealFileSystem::Close(f);
    if (ours) Step();
    return result;
  }
  int Replace(const std::string& from, const std::string& to) override {
    const int result = RealFileSystem::Replace(from, to);
    if (Inside(from) || Inside(to)) Step();
    return result;
  }
  int Remove(const std::string& path) override {
    const int result = RealFileSystem::Remove(path);
    if (Inside(path)) Step();
    return result;
  }
  int SetReadOnly(const std::string& path, bool readOnly) override {
    const int result = RealFileSystem::SetReadOnly(path, readOnly);
    if (Inside(path)) Step();
    return result;
  }

 private:
  bool Inside(const std::string& path) const { return path.rfind(folder_, 0) == 0; }

  void Opened(const std::string& path, std::FILE* f) {
    if (!f || !Inside(path)) return;
    {
      std::lock_guard<std::mutex> guard(lock_);
      files_.insert(f);
    }
    Step();
  }
  void Changed(std::FILE* f) {
    bool ours;
    {
      std::lock_guard<std::mutex> guard(lock_);
      ours = files_.count(f) != 0;
    }
    if (ours) Step();
  }
  int After(int result, std::FILE* f) {
    Changed(f);
    return result;
  }
  bool Forget(std::FILE* f) {
    std::lock_guard<std::mutex> guard(lock_);
    return files_.erase(f) != 0;
  }
  void Step() {
    std::lock_guard<std::mutex> guard(lock_);
    if (++steps_ == cutAfter_) std::_Exit(kCutShort);
  }

  const std::string folder_;
  const int cutAfter_;
  std::mutex lock_;
  std::set<std::FILE*> files_;
  int steps_ = 0;
};

// Messages are not shown; a cut run is judged by what it leaves on the disk.
class QuietReport : public ExtractionReport {
 public:
  void Progress(const std::string&) override {}
  void Message(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

TEST(UpdateCrashDeathTest, EveryCutLeavesEveryUserEntryAfterARerun) {
  GTEST_FLAG_SET(death_test_style, "fast");
  WorkDir work;
  const std::string install = work.path() + "\\inst";
  const std::string folder = JoinPath(install.c_str(), ".\\lib\\cmp\\");

  // The shipped databases, one other file before them and one after, as in the real table.
  TestPayload payload;
  payload.Add(".\\examples\\before.asc", TextBytes(3000));
  std::map<std::string, std::string> users;
  std::map<std::string, std::set<std::string>> expected;
  for (int i = 0; i < kDatabaseCount; ++i) {
    const std::string name = DatabaseNames()[i];
    const std::string& shipped = ShippedDatabases().at(name);
    payload.Add(".\\lib\\cmp\\" + name, shipped);
    users[name] = WithUserAdditions(name, shipped, kUserEntries);
    WriteAll(work.Path(name), users[name]);
    expected[name] = UserEntries(name, work.Path(name));
    ASSERT_EQ(expected[name].size(), std::size_t(kUserEntries)) << name;
  }
  payload.Add(".\\tvex3.exe", NoiseBytes(5000, 3));
  ExtractionJob job = InstallJob(install, true);
  job.payload = payload.Table();

  int cuts = 0;
  for (int cut = 1;; ++cut) {
    // The user's installation as it was before any update.
    RemoveTree(install);
    int counter = 0;
    CreateDirectoryTree(folder.c_str(), counter);
    for (const auto& [name, bytes] : users) WriteAll(folder + name, bytes);

    int status = 0;
    EXPECT_EXIT(
        {
          CuttingFileSystem fs(folder, cut);
          platform::ScopedFileSystem scoped(fs);
          QuietReport report;
          RunExtraction(job, report);
          std::_Exit(kRanToTheEnd);
        },
        [&status](int exitStatus) {
          status = exitStatus;
          return true;
        },
        "");
    if (testing::ExitedWithCode(kRanToTheEnd)(status)) break;
    ASSERT_TRUE(testing::ExitedWithCode(kCutShort)(status)) << "cut " << cut;
    ++cuts;

    CuttingFileSystem fs(folder, 0);
    platform::ScopedFileSystem scoped(fs);
    QuietReport report;
    ASSERT_TRUE(RunExtraction(job, report)) << "cut " << cut << ": the rerun failed";
    EXPECT_TRUE(report.messages.empty()) << "cut " << cut << ": " << report.messages.front();
    for (const auto& [name, names] : expected)
      ASSERT_EQ(UserEntries(name, folder + name), names) << "cut " << cut << ", " << name;
    for (const std::string& file : platform::Fs().ListFiles(folder))
      ASSERT_EQ(file.find(".tmp"), std::string::npos) << "cut " << cut << ": left " << file;
  }
  std::printf("update cut short at %d steps in lib\\cmp, each followed by a rerun\n", cuts);
  EXPECT_GT(cuts, 8 * 5) << "every merge takes several steps";
}

}  // namespace
