#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/file_ops.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

TEST(JoinPath, JoinsDirectoryNameAndSuffix) {
  EXPECT_EQ(JoinPath("C:\\Inst", ".\\lib\\sym\\cap.asy"), "C:\\Inst\\lib\\sym\\cap.asy");
  EXPECT_EQ(JoinPath("C:\\Inst\\", "\\x.txt"), "C:\\Inst\\x.txt");
  EXPECT_EQ(JoinPath(nullptr, ".\\a"), ".\\a");
  EXPECT_EQ(JoinPath("", ".\\a"), ".\\a");
  EXPECT_EQ(JoinPath("C:\\Inst\\", "a.txt"), "C:\\Inst\\a.txt");
  EXPECT_EQ(JoinPath("C:\\Inst", "lib\\cmp\\standard.cap", ".bak"),
            "C:\\Inst\\lib\\cmp\\standard.cap.bak");
  EXPECT_EQ(JoinPath(nullptr, nullptr, nullptr), "");
  EXPECT_EQ(JoinPath("", "", ""), "");
  EXPECT_EQ(JoinPath("C:\\Inst", nullptr), "C:\\Inst\\");
}

TEST(JoinPath, DropsOnlyOneLeadingPrefix) {
  EXPECT_EQ(JoinPath("D", "..\\x"), "D\\..\\x");
  EXPECT_EQ(JoinPath("D", ".\\.\\x"), "D\\.\\x");
  EXPECT_EQ(JoinPath("D", "\\\\x"), "D\\\\x");
  EXPECT_EQ(JoinPath("D", "./x"), "D\\./x") << "only a backslash prefix counts";
  EXPECT_EQ(JoinPath(nullptr, "\\x"), "x");
}

TEST(JoinPath, KeepsLongPathsWhole) {
  const std::string dir(300, 'd');
  const std::string name = ".\\" + std::string(400, 'n');
  EXPECT_EQ(JoinPath(dir.c_str(), name.c_str(), ".bak"), dir + "\\" + name.substr(2) + ".bak");
}

TEST(ParentDirectory, KeepsTheTrailingBackslash) {
  EXPECT_EQ(ParentDirectory("C:\\Inst\\lib\\sym\\cap.asy"), "C:\\Inst\\lib\\sym\\");
  EXPECT_EQ(ParentDirectory("C:\\Inst\\lib\\"), "C:\\Inst\\");
  EXPECT_EQ(ParentDirectory("C:\\Inst\\lib\\\\"), "C:\\Inst\\");
  EXPECT_EQ(ParentDirectory("C:\\"), ".");
  EXPECT_EQ(ParentDirectory("cap.asy"), ".");
  EXPECT_EQ(ParentDirectory(""), ".");
  EXPECT_EQ(ParentDirectory(nullptr), ".");
  EXPECT_EQ(ParentDirectory("\\x"), "\\");
}

class DirectoryTree : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = work_.path(); }
  WorkDir work_;
  std::string dir_;
};

TEST_F(DirectoryTree, CreatesADeepMissingChain) {
  std::string deep = dir_;
  for (int i = 0; i < 12; ++i) deep += "\\level" + std::to_string(i);
  int counter = 0;
  CreateDirectoryTree((deep + "\\").c_str(), counter);
  EXPECT_TRUE(DirectoryExists(deep.c_str()));
  EXPECT_LE(counter, 261);

  // Nothing to do for a directory that exists.
  counter = 0;
  CreateDirectoryTree(deep.c_str(), counter);
  EXPECT_EQ(counter, 1);
}

TEST_F(DirectoryTree, DirectoryWalkEndsWhenNothingCanBeMade) {
  ScriptedFileSystem fs;
  fs.refuseDirectories = true;
  platform::ScopedFileSystem scoped(fs);
  int counter = 0;
  CreateDirectoryTree((dir_ + "\\a\\b\\c\\d").c_str(), counter);
  EXPECT_EQ(counter, 261);
  EXPECT_LE(fs.makeDirectories, 261);
  EXPECT_FALSE(DirectoryExists((dir_ + "\\a").c_str()));
}

}  // namespace
