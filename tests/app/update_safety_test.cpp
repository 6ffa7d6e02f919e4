// Update installations through the engine with the real merges: when a merge cannot write its
// result, the user's database is never left half written, and the backup holds it whole.
#include <gtest/gtest.h>

#include <functional>

#include "app/install_job.h"
#include "payload/undo.h"
#include "platform/paths.h"
#include "tests/app/user_databases.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/test_payload.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

constexpr const char* kFailureTexts[kDatabaseCount] = {
    "Trouble merging BJT databases.\n    ...overwriting",
    "Trouble merging MOSFET databases.\n    ...overwriting",
    "Trouble merging JFET databases.\n    ...overwriting",
    "Trouble merging diode databases.\n    ...overwriting",
    "Trouble merging capacitor databases.\n    ...overwriting",
    "Trouble merging resistor databases.\n    ...overwriting",
    "Trouble merging inductor databases.\n    ...overwriting",
    "Trouble merging ferrite bead databases.\n    ...overwriting",
};

// Temporary files made in an update of one database: the journal's, the shipped copy beside the
// database, the new backup, the merged database.
constexpr int kMergedFile = 4;

class UpdateSafety : public ::testing::Test {
 protected:
  void SetUp() override { install_ = work_.path() + "\\inst"; }

  // Puts the user's copy of database i in place and updates it with the shipped copy under fs.
  bool Update(int i, ScriptedFileSystem& fs) {
    const std::string name = DatabaseNames()[i];
    const std::string& shipped = ShippedDatabases().at(name);
    // Enough that every user database spans several reads.
    user_ = WithUserAdditions(name, shipped, 3000);
    path_ = JoinPath(install_.c_str(), (".\\lib\\cmp\\" + name).c_str());
    RemoveTree(install_);  // a first update: no backup yet
    int counter = 0;
    CreateDirectoryTree(ParentDirectory(path_.c_str()).c_str(), counter);
    WriteAll(path_, user_);
    TestPayload payload;
    payload.Add(".\\lib\\cmp\\" + name, shipped);
    ExtractionJob job = InstallJob(install_, true);
    job.payload = payload.Table();
    job.date = "2026-12-09";
    platform::ScopedFileSystem scoped(fs);
    return InstallAndCommit(job, report_);
  }

  // Where the update sets the user's database aside, for the merge to read it there.
  std::string Aside() const { return install_ + "\\~tvexundo\\0\\1"; }

  // What a failed merge must leave: the row's text last, the shipped copy in place, the user's
  // copy in the backup, no new file beside them.
  void ExpectShippedCopyAndUsersBackup(int i, const BoxCapture& boxes, const char* what) {
    const std::string name = DatabaseNames()[i];
    ASSERT_FALSE(boxes.Texts().empty()) << name << ": " << what;
    EXPECT_EQ(boxes.Texts().back().rfind(kFailureTexts[i], 0), 0u) << name << ": " << what;
    EXPECT_TRUE(ReadAll(path_) == ShippedDatabases().at(name)) << name << ": " << what;
    EXPECT_TRUE(ReadAll(path_ + ".bak") == user_) << name << ": " << what;
    EXPECT_TRUE(ReadAll(path_ + ".unmerged-2026-12-09") == user_) << name << ": " << what;
    EXPECT_EQ(work_.Files(), std::vector<std::string>{"inst"});
  }

  std::vector<std::string> FilesBesideTheDatabase() const {
    std::vector<std::string> names;
    for (const std::string& name : platform::Fs().ListFiles(ParentDirectory(path_.c_str())))
      if (name.find(".tmp") != std::string::npos) names.push_back(name);
    return names;
  }

  WorkDir work_;
  std::string install_, path_, user_;
  TestReport report_;
};

TEST_F(UpdateSafety, EachMergeSurvivesADiskFullAFailedCloseAndAReadError) {
  for (int i = 0; i < kDatabaseCount; ++i) {
    const std::pair<const char*, std::function<void(ScriptedFileSystem&)>> failures[] = {
        {"disk full", [](ScriptedFileSystem& fs) { fs.shortWritesOnCreated = kMergedFile; }},
        {"failed close", [](ScriptedFileSystem& fs) { fs.failCloseOnCreated = kMergedFile; }},
        {"read error",
         [this](ScriptedFileSystem& fs) {
           fs.failReadPath = Aside();
           fs.failReadOpen = 2;  // the merge's read of the user's database, after the backup's
           fs.failReadNumber = 2;
         }},
    };
    for (const auto& [what, arrange] : failures) {
      BoxCapture boxes;
      ScriptedFileSystem fs;
      arrange(fs);
      EXPECT_TRUE(Update(i, fs));
      ExpectShippedCopyAndUsersBackup(i, boxes, what);
      EXPECT_TRUE(FilesBesideTheDatabase().empty());
    }
  }
}

TEST_F(UpdateSafety, AMoveThatAlwaysFailsLeavesTheUsersDatabaseForTheNextRunToPutBack) {
  for (int i = 0; i < kDatabaseCount; ++i) {
    BoxCapture boxes;
    ScriptedFileSystem fs;
    const std::string name = DatabaseNames()[i];
    fs.failReplaceTo = JoinPath(install_.c_str(), (".\\lib\\cmp\\" + name).c_str());
    EXPECT_FALSE(Update(i, fs)) << name;
    ASSERT_GE(boxes.Texts().size(), 2u) << name;
    EXPECT_EQ(boxes.Texts()[boxes.Texts().size() - 2].rfind(kFailureTexts[i], 0), 0u) << name;
    EXPECT_NE(boxes.Texts().back().find("could not be undone completely"), std::string::npos)
        << boxes.Texts().back();
    // Nothing can be moved onto the database while the failure lasts; once it is over, the next
    // run puts the user's database back before anything else.
    TestReport report;
    bool made = false;
    EXPECT_TRUE(RecoverInterruptedRun(install_, report, made)) << name;
    EXPECT_TRUE(ReadAll(path_) == user_) << name;
    EXPECT_TRUE(FilesBesideTheDatabase().empty()) << name;
    RemoveTree(install_);
  }
}

TEST_F(UpdateSafety, ModelDatabasesThatAreNotEightBitTextAreKeptInTheBackup) {
  for (int i = 0; i < 4; ++i) {
    const std::string name = DatabaseNames()[i];
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string(".model MyNPN NPN(Bf=50)\r\n")) utf16 += std::string{c, '\0'};
    const std::string withNul =
        ".model MyNPN NPN(Bf=50)\r\n" + std::string(1, '\0') + ".model X Y\r\n";
    for (const std::string& user : {utf16, withNul}) {
      BoxCapture boxes;
      path_ = JoinPath(install_.c_str(), (".\\lib\\cmp\\" + name).c_str());
      RemoveTree(install_);
      int counter = 0;
      CreateDirectoryTree(ParentDirectory(path_.c_str()).c_str(), counter);
      WriteAll(path_, user);
      TestPayload payload;
      payload.Add(".\\lib\\cmp\\" + name, ShippedDatabases().at(name));
      ExtractionJob job = InstallJob(install_, true);
      job.payload = payload.Table();
      EXPECT_TRUE(InstallAndCommit(job, report_));
      ASSERT_EQ(boxes.Texts().size(), 1u) << name;
      EXPECT_EQ(boxes.Texts()[0].rfind(kFailureTexts[i], 0), 0u) << name;
      EXPECT_TRUE(ReadAll(path_ + ".bak") == user) << name;
      EXPECT_TRUE(ReadAll(path_) == ShippedDatabases().at(name)) << name;
    }
  }
}

}  // namespace
