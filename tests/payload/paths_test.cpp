#include "payload/paths.h"

#include <gtest/gtest.h>

#include <memory>

#include "payload/database_merge.h"
#include "platform/file_ops.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/test_payload.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

TEST(IsDatabaseEntry, MatchesTheEightNamesWithoutCase) {
  for (const char* name :
       {".\\lib\\cmp\\standard.bjt", ".\\lib\\cmp\\standard.mos", ".\\lib\\cmp\\standard.jft",
        ".\\lib\\cmp\\standard.dio", ".\\lib\\cmp\\standard.cap", ".\\lib\\cmp\\standard.res",
        ".\\lib\\cmp\\standard.ind", ".\\lib\\cmp\\standard.bead", ".\\LIB\\Cmp\\Standard.CAP"})
    EXPECT_TRUE(IsDatabaseEntry(name)) << name;
  for (const char* name : {".\\lib\\cmp\\standard.ca", ".\\lib\\cmp\\standard.capx",
                           "lib\\cmp\\standard.cap", ".\\lib\\sub\\standard.cap", ""})
    EXPECT_FALSE(IsDatabaseEntry(name)) << name;
  EXPECT_FALSE(IsDatabaseEntry(nullptr));
}

class PathsOnDisk : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = work_.path(); }
  WorkDir work_;
  std::string dir_;
};

TEST_F(PathsOnDisk, CreatesADeepMissingChain) {
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

TEST_F(PathsOnDisk, DirectoryWalkEndsWhenNothingCanBeMade) {
  ScriptedFileSystem fs;
  fs.refuseDirectories = true;
  platform::ScopedFileSystem scoped(fs);
  int counter = 0;
  CreateDirectoryTree((dir_ + "\\a\\b\\c\\d").c_str(), counter);
  EXPECT_EQ(counter, 261);
  EXPECT_LE(fs.makeDirectories, 261);
  EXPECT_FALSE(DirectoryExists((dir_ + "\\a").c_str()));
}

TEST_F(PathsOnDisk, AFileBlocksTheDirectoryOfItsName) {
  const std::string blocker = dir_ + "\\examples";
  WriteAll(blocker, "not a directory");
  int counter = 0;
  CreateDirectoryTree((blocker + "\\jigs").c_str(), counter);
  EXPECT_TRUE(FileExists(blocker.c_str()));
  KnownDirectories known;
  bool created = false;
  EXPECT_EQ(OpenForWrite(blocker + "\\jigs\\a.asc", known, created), nullptr);
  EXPECT_EQ(ReadAll(blocker), "not a directory");
  EXPECT_TRUE(known.empty());
}

TEST_F(PathsOnDisk, OpenForWriteCreatesParentsOnceAndRefusesDirectories) {
  ScriptedFileSystem fs;
  platform::ScopedFileSystem scoped(fs);
  KnownDirectories known;
  bool created = false;
  const std::string path = dir_ + "\\a\\b\\c.txt";
  std::unique_ptr<std::FILE, platform::FileCloser> f(OpenForWrite(path, known, created));
  ASSERT_TRUE(f);
  f.reset();
  EXPECT_TRUE(created);
  EXPECT_TRUE(FileExists(path.c_str()));
  EXPECT_EQ(known.count(dir_ + "\\a\\b\\"), 1u);

  // A second file in the same directory costs neither a directory test nor a creation.
  const int made = fs.makeDirectories;
  f.reset(OpenForWrite(dir_ + "\\a\\b\\d.txt", known, created));
  ASSERT_TRUE(f);
  f.reset();
  EXPECT_EQ(fs.makeDirectories, made);

  EXPECT_EQ(OpenForWrite(dir_ + "\\a", known, created), nullptr);
  EXPECT_EQ(OpenForWrite("", known, created), nullptr);
}

TEST_F(PathsOnDisk, OpenForWriteTakesAReadOnlyFileWithoutCuttingIt) {
  const std::string path = dir_ + "\\cap.asy";
  WriteAll(path, "older");
  ScriptedFileSystem fs;
  fs.simulateReadOnly = true;
  platform::ScopedFileSystem scoped(fs);
  fs.SetReadOnly(path, true);
  KnownDirectories known;
  bool created = true;
  std::unique_ptr<std::FILE, platform::FileCloser> f(OpenForWrite(path, known, created));
  ASSERT_TRUE(f);
  EXPECT_FALSE(created);
  EXPECT_EQ(fs.readOnlyClears, 1);
  ASSERT_EQ(fs.Write("new", 1, 3, f.get()), 3u);
  f.reset();
  EXPECT_EQ(ReadAll(path), "newer") << "cut only by the caller, once the content is written";
}

TEST_F(PathsOnDisk, APathThePlatformRefusesFailsCleanly) {
  // One component longer than any file system allows.
  const std::string path = dir_ + "\\" + std::string(300, 'x') + "\\f.txt";
  KnownDirectories known;
  bool created = false;
  EXPECT_EQ(OpenForWrite(path, known, created), nullptr);
  EXPECT_FALSE(DirectoryExists(ParentDirectory(path.c_str()).c_str()));
}

}  // namespace
