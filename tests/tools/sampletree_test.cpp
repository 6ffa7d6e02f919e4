// What the build, the benchmark and the installer's tests rely on in the sample tree: every run
// writes the same bytes, an unchanged tree keeps its file times and a damaged file is put right;
// every name can be installed, and the tree holds the six read-only symbols and the eight
// component databases, each of which merges as the installer merges it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "payload/database_merge.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"
#include "tools/cmpdb/database_report.h"
#include "tools/payloadgen/payload_tree.h"
#include "tools/sampletree/sample_tree.h"

namespace {

using namespace tvex_test;
namespace fs = std::filesystem;

class SampleTree : public ::testing::Test {
 protected:
  // One tree for the suite, since writing it takes most of the time; no test leaves it changed.
  static void SetUpTestSuite() {
    root_ =
        (fs::temp_directory_path() /
         ("sampletree_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed())))
            .string();
    fs::remove_all(root_);
    std::string error;
    ASSERT_TRUE(sampletree::WriteSampleTree(root_, summary_, error)) << error;
    // The scan refuses any name that could not be installed.
    ASSERT_TRUE(payloadgen::ScanPayloadTree(root_, files_, error)) << error;
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  static std::vector<const payloadgen::PayloadFile*> Databases() {
    std::vector<const payloadgen::PayloadFile*> databases;
    for (const payloadgen::PayloadFile& f : files_) {
      if (f.name.rfind(kDatabaseFolder, 0) == 0) databases.push_back(&f);
    }
    return databases;
  }

  static inline std::string root_;
  static inline sampletree::SampleTreeSummary summary_;
  static inline std::vector<payloadgen::PayloadFile> files_;
};

TEST_F(SampleTree, EveryRunWritesTheSameBytesAndTouchesNothingThatHoldsThem) {
  ASSERT_FALSE(files_.empty());
  EXPECT_EQ(summary_.rewritten, summary_.files) << "every file of a new tree is written";

  // A second run finds every file holding its bytes, so it rewrites none and every file keeps
  // its time; the databases, which are written afresh, come out the same.
  std::vector<std::string> databases;
  for (const payloadgen::PayloadFile* db : Databases()) databases.push_back(ReadAll(db->path));
  const fs::path changelog = fs::path(root_) / "Changelog.txt";
  const fs::file_time_type before = fs::last_write_time(changelog);
  sampletree::SampleTreeSummary again;
  std::string error;
  ASSERT_TRUE(sampletree::WriteSampleTree(root_, again, error)) << error;
  EXPECT_EQ(again.files, summary_.files);
  EXPECT_EQ(again.bytes, summary_.bytes);
  EXPECT_EQ(again.rewritten, 0u);
  EXPECT_EQ(fs::last_write_time(changelog), before);
  for (std::size_t i = 0; i < databases.size(); ++i) {
    EXPECT_TRUE(ReadAll(Databases()[i]->path) == databases[i]) << Databases()[i]->name;
  }

  // A damaged file is put right, and only that one.
  const fs::path symbol = fs::path(root_) / "lib" / "sym" / "cap.asy";
  const std::string intact = ReadAll(symbol.string());
  fs::resize_file(symbol, 3);
  ASSERT_TRUE(sampletree::WriteSampleTree(root_, again, error)) << error;
  EXPECT_EQ(again.rewritten, 1u);
  EXPECT_TRUE(ReadAll(symbol.string()) == intact);
}

TEST_F(SampleTree, HoldsTheReadOnlySymbolsAndTheDatabasesTheInstallerMerges) {
  std::size_t readOnly = 0;
  for (const payloadgen::PayloadFile& f : files_) {
    EXPECT_GT(f.size, 0u) << f.name;
    readOnly += f.readOnly;
  }
  EXPECT_EQ(readOnly, 6u);

  WorkDir dir;
  const std::vector<const payloadgen::PayloadFile*> databases = Databases();
  ASSERT_EQ(databases.size(), 8u);
  for (const payloadgen::PayloadFile* db : databases) {
    SCOPED_TRACE(db->name);
    EXPECT_TRUE(IsDatabaseEntry(db->name.c_str()));
    const std::optional<DatabaseKind> kind = KindFromPath(db->name);
    ASSERT_TRUE(kind);
    // The user's copy is the shipped one: the update merges the database into itself.
    const std::string user = dir.Path("user");
    WriteAll(user, ReadAll(db->path));
    BoxCapture boxes;
    EXPECT_EQ(MergeDatabase(*kind, user.c_str(), db->path.c_str(), user.c_str(), BoxReport()),
              MergeResult::kMerged);
    EXPECT_TRUE(boxes.Texts().empty());
  }
}

}  // namespace
