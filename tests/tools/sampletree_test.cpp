// The sample tree has the product's shape, is the same on every run, leaves files that already
// hold the right bytes untouched and puts a damaged one right.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "tools/payloadgen/payload_tree.h"
#include "tools/sampletree/sample_tree.h"

namespace {

namespace fs = std::filesystem;

class SampleTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ =
        fs::temp_directory_path() /
        ("sampletree_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::remove_all(root_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  fs::path root_;
};

// The folder part of a payload name: ".\lib\sym\OpAmps\x.asy" gives "lib\sym".
std::string Area(const std::string& name) {
  std::size_t first = name.find('\\', 2);
  if (first == std::string::npos) return ".";
  std::size_t second = name.find('\\', first + 1);
  return name.substr(2, second == std::string::npos ? std::string::npos : second - 2);
}

TEST_F(SampleTreeTest, HasTheProductShapeAndIsStableAcrossRunsAndRepairsDamage) {
  sampletree::SampleTreeSummary summary;
  std::string error;
  ASSERT_TRUE(sampletree::WriteSampleTree(root_.string(), summary, error)) << error;
  EXPECT_EQ(summary.rewritten, summary.files);

  std::vector<payloadgen::PayloadFile> files;
  ASSERT_TRUE(payloadgen::ScanPayloadTree(root_.string(), files, error)) << error;
  std::map<std::string, std::size_t> perArea;
  std::size_t stored = 0, readOnly = 0;
  std::uint64_t bytes = 0;
  for (const payloadgen::PayloadFile& f : files) {
    ++perArea[Area(f.name)];
    stored += f.size <= 1024;
    bytes += f.size;
    if (f.readOnly) {
      ++readOnly;
      EXPECT_LE(f.size, 1024u) << f.name << ": read-only symbols are stored plainly";
    }
    EXPECT_GT(f.size, 0u) << f.name;
  }
  // tvex3.exe is copied in by the build, the eight databases come from their own writers.
  EXPECT_EQ(perArea["."], 5u);
  EXPECT_EQ(perArea["examples\\Educational"], 63u);
  EXPECT_EQ(perArea["examples\\Wurth"], 9u);
  EXPECT_EQ(perArea["examples\\jigs"], 1247u);
  EXPECT_EQ(perArea["lib\\sub"], 714u);
  EXPECT_EQ(perArea["lib\\sym"], 1353u);
  EXPECT_EQ(readOnly, 6u);
  EXPECT_EQ(stored, 1315u);
  EXPECT_EQ(summary.files, files.size() - perArea["lib\\cmp"]);
  EXPECT_TRUE(fs::is_directory(root_ / "lib" / "cmp"));

  // A second run writes the same bytes, so it rewrites nothing and keeps every time.
  fs::file_time_type before = fs::last_write_time(root_ / "Changelog.txt");
  sampletree::SampleTreeSummary again;
  ASSERT_TRUE(sampletree::WriteSampleTree(root_.string(), again, error)) << error;
  EXPECT_EQ(again.files, summary.files);
  EXPECT_EQ(again.bytes, summary.bytes);
  EXPECT_EQ(again.rewritten, 0u);
  EXPECT_EQ(fs::last_write_time(root_ / "Changelog.txt"), before);

  // A damaged file is put right, and only that one.
  fs::resize_file(root_ / "lib" / "sym" / "cap.asy", 3);
  ASSERT_TRUE(sampletree::WriteSampleTree(root_.string(), again, error)) << error;
  EXPECT_EQ(again.rewritten, 1u);
  EXPECT_GT(fs::file_size(root_ / "lib" / "sym" / "cap.asy"), 3u);
}

}  // namespace
