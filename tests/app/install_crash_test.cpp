// A whole installation cut short after each of its changes, as a crash or a killed process ends
// it, and then run again: the next run first undoes the interrupted one (the tree is again byte
// for byte what it was, read-only flags included; before a fresh installation it holds nothing),
// and a final run then installs the new version completely with every entry of the user's kept.
// Both a fresh installation and an update over an earlier version are cut. (Natively only: each
// cut is a child process that ends itself.)
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <set>

#include "app/install_job.h"
#include "payload/undo.h"
#include "payload/undo_journal.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "tests/app/user_databases.h"
#include "tests/support/disk_files.h"
#include "tests/support/test_payload.h"
#include "tests/support/work_dir.h"

// The program's own built-in table is not used: the test installs tables of its own.
const PayloadEntry* const g_payloadTable[] = {nullptr};
const std::size_t g_payloadTableSize = 0;
const std::uint32_t g_payloadTableCrc = 0;

namespace {

using namespace tvex_test;

constexpr int kUserEntries = 200;
constexpr int kCutShort = 71;     // exit code of a child cut short
constexpr int kRanToTheEnd = 72;  // exit code of a child that found no more steps to cut at

// The platform's calls, with the process ended right after the n-th change below one folder
// (never when n is 0): a file made or opened for writing, a write, flush or close of such a
// file, a folder made or removed, a move, removal or attribute change.
class CuttingFileSystem : public platform::RealFileSystem {
 public:
  CuttingFileSystem(std::string folder, int cutAfter)
      : folder_(std::move(folder)), cutAfter_(cutAfter) {}

  std::FILE* Open(const std::string& path, const char* mode) override {
    std::FILE* f = RealFileSystem::Open(path, mode);
    if (std::string(mode).find_first_of("wa+") != std::string::npos) Opened(path, f);
    return f;
  }
  std::FILE* CreateNew(const std::string& path) override {
    std::FILE* f = RealFileSystem::CreateNew(path);
    Opened(path, f);
    return f;
  }
  std::size_t Write(const void* data, std::size_t size, std::size_t count, std::FILE* f) override {
    const std::size_t written = RealFileSystem::Write(data, size, count, f);
    if (Ours(f)) Step();
    return written;
  }
  int Sync(std::FILE* f) override {
    const int result = std::fflush(f);
    if (Ours(f)) Step();
    return result;
  }
  int Close(std::FILE* f) override {
    const bool ours = Forget(f);
    const int result = RealFileSystem::Close(f);
    if (ours) Step();
    return result;
  }
  int Replace(const std::string& from, const std::string& to) override {
    return After(RealFileSystem::Replace(from, to), from, to);
  }
  int Rename(const std::string& from, const std::string& to) override {
    return After(RealFileSystem::Rename(from, to), from, to);
  }
  int Remove(const std::string& path) override {
    const int result = After(RealFileSystem::Remove(path), path);
    if (result == 0 && path.size() >= sizeof kUndoJournalName &&
        path.substr(path.size() - (sizeof kUndoJournalName - 1)) == kUndoJournalName)
      commitStep_ = steps_;
    return result;
  }
  // The change that removed the journal, the run's commit point; 0 before it.
  int CommitStep() const { return commitStep_; }
  int RemoveFolder(const std::string& path) override {
    return After(RealFileSystem::RemoveFolder(path), path);
  }
  int MakeDirectory(const std::string& path) override {
    return After(RealFileSystem::MakeDirectory(path), path);
  }
  int SetReadOnly(const std::string& path, bool readOnly) override {
    return After(RealFileSystem::SetReadOnly(path, readOnly), path);
  }

 private:
  bool Inside(const std::string& path) const { return path.rfind(folder_, 0) == 0; }

  int After(int result, const std::string& path, const std::string& other = std::string()) {
    if (Inside(path) || (!other.empty() && Inside(other))) Step();
    return result;
  }
  void Opened(const std::string& path, std::FILE* f) {
    if (!f || !Inside(path)) return;
    {
      std::lock_guard<std::mutex> guard(lock_);
      files_.insert(f);
    }
    Step();
  }
  bool Ours(std::FILE* f) {
    std::lock_guard<std::mutex> guard(lock_);
    return files_.count(f) != 0;
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
  int commitStep_ = 0;
};

// Messages are kept, not shown; a run is judged by what it leaves on the disk. Stopped, it
// stands for a run that the user quits before it changes anything of its own.
class QuietReport : public ExtractionReport {
 public:
  explicit QuietReport(bool stopped = false) : stopped_(stopped) {}
  void Progress(const std::string&) override {}
  void Message(const std::string& text) override { messages.push_back(text); }
  bool Stopping() const override { return stopped_; }
  std::vector<std::string> messages;

 private:
  bool stopped_;
};

// Two versions of a small product: most files differ between them, some are the same, each has
// files the other lacks, read-only symbols, and the eight databases.
struct Versions {
  TestPayload older, newer;
  Versions() {
    for (int i = 0; i < 12; ++i) {
      const std::string name =
          ".\\examples\\set" + std::to_string(i % 3) + "\\" + std::to_string(i) + ".asc";
      older.Add(name, TextBytes(200 + 300 * i));
      newer.Add(name, i % 4 == 0 ? TextBytes(200 + 300 * i) : NoiseBytes(150 + 310 * i, i));
    }
    older.Add(".\\examples\\old only.asc", "dropped in the new version");
    newer.Add(".\\examples\\set9\\new only.asc", TextBytes(2500));
    for (const char* sym : {"cap", "diode", "res"}) {
      const std::string name = std::string(".\\lib\\sym\\") + sym + ".asy";
      older.Add(name, "old " + std::string(sym), sym[0] != 'r');
      newer.Add(name, "new " + std::string(sym), sym[0] != 'd');
    }
    for (int i = 0; i < kDatabaseCount; ++i) {
      const std::string name = std::string(".\\lib\\cmp\\") + DatabaseNames()[i];
      older.Add(name, ShippedDatabases().at(DatabaseNames()[i]));
      newer.Add(name, ShippedDatabases().at(DatabaseNames()[i]));
    }
    older.Add(".\\tvex3.exe", NoiseBytes(6000, 90));
    newer.Add(".\\tvex3.exe", NoiseBytes(6500, 91));
  }
};

class InstallCrashDeathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "fast");
    install_ = work_.path() + "\\inst";
  }

  ExtractionJob Job(const TestPayload& payload, bool update) const {
    ExtractionJob job = InstallJob(install_, update);
    job.payload = payload.Table();
    job.date = "2026-12-09";
    return job;
  }

  // Runs the job to the end and commits it; false with the messages when it does not install.
  static bool Install(const ExtractionJob& job, std::string& messages) {
    QuietReport report;
    const bool installed = InstallAndCommit(job, report);
    for (const std::string& message : report.messages) messages += message + "\n";
    return installed;
  }

  // The user's installation of the older version, with entries of the user's own in every
  // database, a backup of one of them and a file of the user's.
  void InstallOlderVersionAndUse(const Versions& versions) {
    std::string messages;
    ASSERT_TRUE(Install(Job(versions.older, false), messages)) << messages;
    for (int i = 0; i < kDatabaseCount; ++i) {
      const std::string name = DatabaseNames()[i];
      WriteAll(install_ + "\\lib\\cmp\\" + name,
               WithUserAdditions(name, ShippedDatabases().at(name), kUserEntries));
    }
    WriteAll(install_ + "\\lib\\cmp\\standard.cap.bak", "an older backup of the user's");
    WriteAll(install_ + "\\lib\\my notes.txt", "the user's own file");
  }

  // Cuts the job after each of its changes in turn; after each cut, a run that is stopped at
  // once must leave expected, and a full run must then install newer. Returns the cuts.
  int CutEverywhere(const TestPayload& newer, bool update,
                    const std::map<std::string, std::string>& expected,
                    const std::function<void()>& lay) {
    const ExtractionJob job = Job(newer, update);
    // One whole run first, to find its commit point: a run cut after it is final.
    int commitStep = 0;
    {
      RemoveTree(install_);
      lay();
      CuttingFileSystem fs(install_, 0);
      platform::ScopedFileSystem scoped(fs);
      QuietReport report;
      EXPECT_TRUE(InstallAndCommit(job, report));
      commitStep = fs.CommitStep();
      EXPECT_GT(commitStep, 0);
    }
    int cuts = 0;
    for (int cut = 1;; ++cut) {
      RemoveTree(install_);
      lay();
      int status = 0;
      EXPECT_EXIT(
          {
            CuttingFileSystem fs(install_, cut);
            platform::ScopedFileSystem scoped(fs);
            QuietReport report;
            InstallAndCommit(job, report);
            std::_Exit(kRanToTheEnd);
          },
          [&status](int exitStatus) {
            status = exitStatus;
            return true;
          },
          "");
      if (testing::ExitedWithCode(kRanToTheEnd)(status)) break;
      if (!testing::ExitedWithCode(kCutShort)(status)) {
        ADD_FAILURE() << "cut " << cut << " ended otherwise";
        break;
      }
      ++cuts;

      QuietReport stopped(true);
      EXPECT_EQ(RunExtraction(job, stopped), ExtractionOutcome::kStopped) << "cut " << cut;
      if (cut < commitStep && ReadTree(install_) != expected) {
        ADD_FAILURE() << "cut " << cut << ": the next run did not undo it";
        break;
      }
      if (cut >= commitStep && !ExpectNewer(newer, update, cut)) break;
      std::string messages;
      if (!Install(job, messages)) {
        ADD_FAILURE() << "cut " << cut << ": the final run failed: " << messages;
        break;
      }
      if (!ExpectNewer(newer, update, cut)) break;
    }
    return cuts;
  }

  // The newer version complete, the user's entries and file kept, nothing of the run's left.
  bool ExpectNewer(const TestPayload& newer, bool update, int cut) {
    const auto tree = ReadTree(install_);
    const PayloadTable table = newer.Table();
    for (std::size_t i = 0; i < table.count; ++i) {
      const PayloadEntry& entry = *table.entries[i];
      const std::string rel = std::string(entry.pszName).substr(2);
      const auto found = tree.find(rel);
      if (found == tree.end()) return Fail(cut, rel + " is missing");
      if (found->second.substr(0, 2) != (entry.bReadOnly ? "r " : "w "))
        return Fail(cut, rel + ": wrong attribute");
      if (IsDatabase(rel)) continue;
      if (found->second.size() != entry.nSize + 2) return Fail(cut, rel + ": wrong size");
    }
    for (const auto& [rel, content] : tree)
      if (rel.find("~tvex") != std::string::npos) return Fail(cut, rel + " left behind");
    if (!update) return true;
    for (int i = 0; i < kDatabaseCount; ++i) {
      const std::string name = DatabaseNames()[i];
      if (UserEntries(name, install_ + "\\lib\\cmp\\" + name).size() != std::size_t(kUserEntries))
        return Fail(cut, name + " lost entries of the user's");
    }
    if (ReadAll(install_ + "\\lib\\my notes.txt") != "the user's own file")
      return Fail(cut, "the user's file changed");
    return true;
  }

  static bool IsDatabase(const std::string& rel) { return rel.rfind("lib\\cmp\\", 0) == 0; }
  static bool Fail(int cut, const std::string& what) {
    ADD_FAILURE() << "cut " << cut << ": " << what;
    return false;
  }

  WorkDir work_;
  std::string install_;
};

TEST_F(InstallCrashDeathTest, AFreshInstallationCutAnywhereIsUndoneThenCompleted) {
  const Versions versions;
  const int cuts = CutEverywhere(versions.newer, false, {}, [] {});
  std::printf("fresh installation cut short at %d steps, each followed by two runs\n", cuts);
  EXPECT_GT(cuts, 3 * 30) << "a file takes several steps";
}

TEST_F(InstallCrashDeathTest, AnUpdateCutAnywhereIsUndoneThenCompleted) {
  const Versions versions;
  InstallOlderVersionAndUse(versions);
  const auto used = ReadTree(install_);
  // The user's installation, laid out again before each cut. Folders sort before their files
  // in the tree, so each is made before what it holds.
  auto lay = [&] {
    MakeDir(install_);
    for (const auto& [rel, content] : used) {
      const std::string path = install_ + "\\" + rel;
      if (rel.back() == '\\') {
        MakeDir(path.substr(0, path.size() - 1));
      } else {
        WriteAll(path, content.substr(2));
        if (content[0] == 'r') platform::Fs().SetReadOnly(path, true);
      }
    }
  };
  const int cuts = CutEverywhere(versions.newer, true, used, lay);
  std::printf("update cut short at %d steps, each followed by two runs\n", cuts);
  EXPECT_GT(cuts, 8 * 5 + 20 * 3) << "a file takes several steps, a database more";
}

}  // namespace
