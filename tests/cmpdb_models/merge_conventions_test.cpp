#include "cmpdb/merge_conventions.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_system.h"
#include "platform/reporter.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

TEST(CanMerge, NeedsThreePathsAndTheExistingDatabase) {
  WorkDir dir;
  const std::string db = dir.Path("standard.cap");
  const std::string missing = dir.Path("missing.cap");
  WriteAll(db, "x");
  EXPECT_TRUE(CanMerge(db.c_str(), db.c_str(), db.c_str()));
  // Only the existing database must be there: the output is made, and a shipped copy that
  // cannot be read fails the merge later, after the backup.
  EXPECT_TRUE(CanMerge(missing.c_str(), missing.c_str(), db.c_str()));
  EXPECT_FALSE(CanMerge(db.c_str(), db.c_str(), missing.c_str()));
  EXPECT_FALSE(CanMerge(nullptr, db.c_str(), db.c_str()));
  EXPECT_FALSE(CanMerge(db.c_str(), "", db.c_str()));
  EXPECT_FALSE(CanMerge(db.c_str(), db.c_str(), ""));
  EXPECT_FALSE(CanMerge(db.c_str(), db.c_str(), nullptr));
}

TEST(BackupDatabase, CopiesOverAReadOnlyBackupWithoutAMessage) {
  WorkDir dir;
  const std::string db = dir.Path("standard.bjt");
  WriteAll(db, "user models\r\n");
  WriteAll(db + ".bak", "an older backup that is longer than the database\r\n");
  ScriptedFileSystem fs;
  fs.simulateReadOnly = true;
  platform::ScopedFileSystem scoped(fs);
  fs.SetReadOnly(db + ".bak", true);
  BoxCapture boxes;
  platform::AppMessageReporter report;
  EXPECT_TRUE(BackupDatabase(db.c_str(), report));
  EXPECT_EQ(ReadAll(db + ".bak"), "user models\r\n");
  EXPECT_TRUE(boxes.Texts().empty());
  EXPECT_TRUE(fs.sleeps.empty());
}

TEST(BackupDatabase, NothingToBackUp) {
  WorkDir dir;
  BoxCapture boxes;
  platform::AppMessageReporter report;
  EXPECT_TRUE(BackupDatabase(nullptr, report));
  EXPECT_TRUE(BackupDatabase("", report));
  EXPECT_TRUE(BackupDatabase(dir.Path("missing").c_str(), report));
  EXPECT_EQ(platform::Fs().Find(dir.Path("missing.bak")), platform::EntryKind::kNone);
  EXPECT_TRUE(boxes.Texts().empty());
}

TEST(BackupDatabase, RetriesOnceAfterFiveSeconds) {
  WorkDir dir;
  const std::string db = dir.Path("standard.mos");
  WriteAll(db, "m");
  ScriptedFileSystem fs;
  fs.refuseReadPath = db;
  fs.refusedReads = 1;
  platform::ScopedFileSystem scoped(fs);
  BoxCapture boxes;
  platform::AppMessageReporter report;
  EXPECT_TRUE(BackupDatabase(db.c_str(), report));
  EXPECT_EQ(ReadAll(db + ".bak"), "m");
  EXPECT_EQ(fs.sleeps, std::vector<unsigned>{5000});
  EXPECT_TRUE(boxes.Texts().empty());
}

TEST(BackupDatabase, TwoFailuresReportAndStopAfterOneWait) {
  WorkDir dir;
  const std::string db = dir.Path("standard.dio");
  WriteAll(db, "locked");
  ScriptedFileSystem fs;
  fs.refuseReadPath = db;
  fs.refusedReads = 2;
  platform::ScopedFileSystem scoped(fs);
  // The message comes after the two attempts and the one wait between them.
  struct SleepsSeen : platform::Reporter {
    explicit SleepsSeen(const ScriptedFileSystem& fs) : fs(fs) {}
    void Message(const std::string& text) override {
      texts.push_back(text);
      sleepsBefore = fs.sleeps;
    }
    const ScriptedFileSystem& fs;
    std::vector<std::string> texts;
    std::vector<unsigned> sleepsBefore;
  } report(fs);
  EXPECT_FALSE(BackupDatabase(db.c_str(), report));
  EXPECT_EQ(report.texts, std::vector<std::string>{"Trouble backing up " + db + "\nas " + db +
                                                   ".bak\n\nRelease sync aborted."});
  EXPECT_EQ(report.sleepsBefore, std::vector<unsigned>{5000});
  EXPECT_EQ(ReadAll(db), "locked");
  EXPECT_EQ(platform::Fs().Find(db + ".bak"), platform::EntryKind::kNone);
}

TEST(BackupDatabaseFrom, CopiesTheSourceOntoTheDatabasesBackup) {
  WorkDir dir;
  // The database itself was moved aside: only its copy there exists.
  const std::string db = dir.Path("standard.cap"), aside = dir.Path("aside.cap");
  WriteAll(aside, "the user's database as it was");
  ScriptedFileSystem fs;
  platform::ScopedFileSystem scoped(fs);
  BoxCapture boxes;
  platform::AppMessageReporter report;
  EXPECT_TRUE(BackupDatabaseFrom(db.c_str(), aside.c_str(), report));
  EXPECT_EQ(ReadAll(db + ".bak"), "the user's database as it was");
  EXPECT_TRUE(BackupDatabaseFrom(db.c_str(), nullptr, report));
  EXPECT_TRUE(BackupDatabaseFrom(db.c_str(), dir.Path("gone.cap").c_str(), report));
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"aside.cap", "standard.cap.bak"}));
  EXPECT_TRUE(boxes.Texts().empty());

  // The message names the database and its backup, not the source; no name, no backup.
  fs.refuseReadPath = aside;
  fs.refusedReads = 2;
  EXPECT_FALSE(BackupDatabaseFrom(db.c_str(), aside.c_str(), report));
  EXPECT_FALSE(BackupDatabaseFrom("", aside.c_str(), report));
  EXPECT_EQ(boxes.Texts(),
            (std::vector<std::string>{
                "Trouble backing up " + db + "\nas " + db + ".bak\n\nRelease sync aborted.",
                "Trouble backing up \nas .bak\n\nRelease sync aborted."}));
  EXPECT_EQ(fs.sleeps, std::vector<unsigned>{5000});
  EXPECT_EQ(ReadAll(db + ".bak"), "the user's database as it was");
}

}  // namespace
