// The job the installer runs: its built-in table (this test's own) and the real merges.
#include "app/install_job.h"

#include <gtest/gtest.h>

#include "payload/payload_check.h"
#include "platform/paths.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/test_payload.h"
#include "tests/support/work_dir.h"

namespace {

const PayloadEntry kLicense{
    ".\\License.txt", 0, 7, 0, 0, reinterpret_cast<const unsigned char*>("licence")};
const PayloadEntry kCapacitors{
    ".\\lib\\cmp\\standard.cap", 0, 9, 0, 0, reinterpret_cast<const unsigned char*>("shipped!!")};

}  // namespace

const PayloadEntry* const g_payloadTable[] = {&kCapacitors, &kLicense};
const std::size_t g_payloadTableSize = 2;
// Recorded as payloadgen records it: the check of the table above.
const std::uint32_t g_payloadTableCrc =
    PayloadTableCrc(PayloadTable{g_payloadTable, g_payloadTableSize});

namespace {

using namespace tvex_test;

TEST(RealDatabaseMergeTable, HasTheEightDatabasesInOrder) {
  const DatabaseMergeTable table = RealDatabaseMergeTable();
  const std::pair<const char*, const char*> expected[] = {
      {".\\lib\\cmp\\standard.bjt", "Trouble merging BJT databases.\n    ...overwriting"},
      {".\\lib\\cmp\\standard.mos", "Trouble merging MOSFET databases.\n    ...overwriting"},
      {".\\lib\\cmp\\standard.jft", "Trouble merging JFET databases.\n    ...overwriting"},
      {".\\lib\\cmp\\standard.dio", "Trouble merging diode databases.\n    ...overwriting"},
      {".\\lib\\cmp\\standard.cap", "Trouble merging capacitor databases.\n    ...overwriting"},
      {".\\lib\\cmp\\standard.res", "Trouble merging resistor databases.\n    ...overwriting"},
      {".\\lib\\cmp\\standard.ind", "Trouble merging inductor databases.\n    ...overwriting"},
      {".\\lib\\cmp\\standard.bead", "Trouble merging ferrite bead databases.\n    ...overwriting"},
  };
  ASSERT_EQ(table.count, std::size(expected));
  for (std::size_t i = 0; i < table.count; ++i) {
    EXPECT_STREQ(table.rows[i].pszName, expected[i].first);
    EXPECT_STREQ(table.rows[i].pszFailure, expected[i].second);
    EXPECT_TRUE(IsDatabaseEntry(table.rows[i].pszName));
    ASSERT_NE(table.rows[i].merge, nullptr);
  }
  EXPECT_EQ(table.rows[6].merge, table.rows[7].merge) << "beads merge like inductors";
  EXPECT_NE(table.rows[4].merge, table.rows[5].merge);
}

TEST(BuiltInPayload, IsTheLinkedTableAndPassesItsCheck) {
  const PayloadTable table = BuiltInPayload();
  EXPECT_EQ(table.entries, g_payloadTable);
  EXPECT_EQ(table.count, 2u);
  EXPECT_TRUE(BuiltInPayloadIntact());
}

class InstallJobRun : public ::testing::Test {
 protected:
  void SetUp() override { install_ = work_.path() + "\\inst"; }
  WorkDir work_;
  std::string install_;
  BoxCapture boxes_;
  TestReport report_;
};

TEST_F(InstallJobRun, InstallsTheBuiltInTable) {
  EXPECT_TRUE(InstallAndCommit(InstallJob(install_, false), report_));
  EXPECT_EQ(ReadAll(JoinPath(install_.c_str(), ".\\License.txt")), "licence");
  EXPECT_EQ(ReadAll(JoinPath(install_.c_str(), ".\\lib\\cmp\\standard.cap")), "shipped!!");
  EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(InstallJobRun, AnUnreadableDatabaseIsBackedUpThenOverwritten) {
  const std::string database = JoinPath(install_.c_str(), ".\\lib\\cmp\\standard.cap");
  int counter = 0;
  CreateDirectoryTree(ParentDirectory(database.c_str()).c_str(), counter);
  WriteAll(database, "no archive at all");
  ExtractionJob job = InstallJob(install_, true);
  job.date = "2026-12-09";
  EXPECT_TRUE(InstallAndCommit(job, report_));
  // The archive reader may have its own say first; the engine's text comes last.
  ASSERT_FALSE(boxes_.Texts().empty());
  const std::string kept = database + ".unmerged-2026-12-09";
  EXPECT_EQ(boxes_.Texts().back(),
            "Trouble merging capacitor databases.\n    ...overwriting\nYour database as it was is "
            "kept as " +
                kept);
  EXPECT_EQ(ReadAll(database), "shipped!!");
  EXPECT_EQ(ReadAll(database + ".bak"), "no archive at all");
  EXPECT_EQ(ReadAll(kept), "no archive at all");
}

// A merge that fails keeps the user's database under a name of its own; the next update, which
// backs up the shipped copy now in its place, loses nothing of the user's either.
TEST_F(InstallJobRun, AFailedMergeThenASecondUpdateLosesNoEntryOfTheUsers) {
  const std::string database = JoinPath(install_.c_str(), ".\\lib\\cmp\\standard.cap");
  int counter = 0;
  CreateDirectoryTree(ParentDirectory(database.c_str()).c_str(), counter);
  WriteAll(database, "the user's entries, unreadable to the merge");
  ExtractionJob job = InstallJob(install_, true);
  for (const char* date : {"2026-12-09", "2026-12-09", "2026-12-10"}) {
    job.date = date;
    EXPECT_TRUE(InstallAndCommit(job, report_)) << date;
  }
  EXPECT_EQ(ReadAll(database + ".unmerged-2026-12-09"),
            "the user's entries, unreadable to the merge");
  EXPECT_EQ(ReadAll(database + ".bak"), "the user's entries, unreadable to the merge")
      << "a backup is never replaced by one that holds less";
  EXPECT_EQ(ReadAll(database + ".bak-2026-12-09"), "shipped!!") << "the second update's backup";
  EXPECT_EQ(ReadAll(database + ".bak-2026-12-10"), "shipped!!") << "the third's";
  EXPECT_EQ(ReadAll(database), "shipped!!");
}

}  // namespace
