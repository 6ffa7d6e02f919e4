#include "platform/file_ops.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "platform/file_system.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

std::string NoiseBytes(std::size_t size) {
  std::string bytes(size, '\0');
  unsigned state = 12345;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 23);
  }
  return bytes;
}

TEST(FileOps, FileAndDirectoryTests) {
  WorkDir work;
  const std::string dir = work.path();
  const std::string file = dir + "\\f.txt";
  WriteAll(file, "x");
  EXPECT_TRUE(FileExists(file.c_str()));
  EXPECT_FALSE(DirectoryExists(file.c_str()));
  EXPECT_TRUE(DirectoryExists(dir.c_str()));
  EXPECT_TRUE(DirectoryExists((dir + "\\").c_str())) << "one trailing backslash is ignored";
  EXPECT_FALSE(FileExists(dir.c_str()));
  EXPECT_FALSE(FileExists((dir + "\\missing").c_str()));
  EXPECT_FALSE(DirectoryExists((dir + "\\missing").c_str()));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(nullptr));
  EXPECT_FALSE(DirectoryExists(""));
  EXPECT_FALSE(DirectoryExists(nullptr));
}

TEST(CopyFileBytes, CopiesOverAReadOnlyTarget) {
  WorkDir work;
  const std::string source = work.Path("source"), target = work.Path("target");
  const std::string content = NoiseBytes(600 * 1024 + 5);
  WriteAll(source, content);
  WriteAll(target, "an older and longer backup that must go entirely");
  ASSERT_EQ(platform::Fs().SetReadOnly(target, true), 0);
  EXPECT_TRUE(CopyFileBytes(source.c_str(), target.c_str()));
  EXPECT_TRUE(ReadAll(target) == content);

  WriteAll(source, "");
  EXPECT_TRUE(CopyFileBytes(source.c_str(), target.c_str()));
  EXPECT_EQ(ReadAll(target), "");
}

TEST(CopyFileBytes, ReportsEveryFailure) {
  WorkDir work;
  const std::string source = work.Path("source"), target = work.Path("target");
  EXPECT_FALSE(CopyFileBytes(work.Path("missing").c_str(), target.c_str()));
  EXPECT_FALSE(CopyFileBytes(nullptr, target.c_str()));
  WriteAll(source, NoiseBytes(700 * 1024));
  EXPECT_FALSE(CopyFileBytes(source.c_str(), work.Path("no\\dir\\target").c_str()));
  EXPECT_FALSE(CopyFileBytes(source.c_str(), work.path().c_str())) << "a directory is no target";

  ScriptedFileSystem fs;
  platform::ScopedFileSystem scoped(fs);
  fs.failWrite = 2;
  EXPECT_FALSE(CopyFileBytes(source.c_str(), target.c_str())) << "short write";
  fs.failWrite = 0;
  fs.failClose = fs.closes + 1;  // the target is closed first
  EXPECT_FALSE(CopyFileBytes(source.c_str(), target.c_str())) << "failed close";
  fs.failClose = 0;
  EXPECT_TRUE(CopyFileBytes(source.c_str(), target.c_str()));
}

TEST(CreateTempFileIn, MakesDistinctNewFilesInTheFolderOnly) {
  WorkDir work;
  const std::string dir = work.path() + "\\";
  std::set<std::string> made;
  for (int i = 0; i < 50; ++i) {
    std::string path;
    std::unique_ptr<std::FILE, platform::FileCloser> f(CreateTempFileIn(dir, path));
    ASSERT_TRUE(f);
    EXPECT_EQ(path.rfind(dir, 0), 0u) << path;
    EXPECT_TRUE(IsTempFileName(path.substr(dir.size()))) << path;
    EXPECT_EQ(platform::Fs().Write("abc", 1, 3, f.get()), 3u);
    made.insert(path);
  }
  EXPECT_EQ(made.size(), 50u);
  EXPECT_EQ(work.Files().size(), 50u);
  EXPECT_EQ(ReadAll(*made.begin()), "abc");
}

TEST(CreateTempFileIn, FailsCleanlyWhereNothingCanBeMade) {
  WorkDir work;
  std::string path = "stale";
  EXPECT_EQ(CreateTempFileIn(work.Path("missing\\"), path), nullptr);
  EXPECT_TRUE(path.empty());
}

TEST(CreateTempFileIn, NeverOpensAnExistingFile) {
  WorkDir work;
  const std::string taken = work.Path("taken");
  WriteAll(taken, "someone else's");
  errno = 0;
  EXPECT_EQ(platform::Fs().CreateNew(taken), nullptr);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(ReadAll(taken), "someone else's");
}

TEST(IsTempFileName, OnlyTheGivenForm) {
  EXPECT_TRUE(IsTempFileName("~tvex0123abcd.tmp"));
  EXPECT_FALSE(IsTempFileName("~tvex0123ABCD.tmp"));
  EXPECT_FALSE(IsTempFileName("~tvex0123abc.tmp"));
  EXPECT_FALSE(IsTempFileName("standard.cap"));
  EXPECT_FALSE(IsTempFileName("~tvex0123abcd.tmpx"));
  EXPECT_FALSE(IsTempFileName(""));
}

}  // namespace
