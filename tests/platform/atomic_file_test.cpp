#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = work_.Path("standard.cap"); }

  // Writes text into a new version of path_ under the file system fs and commits it.
  bool Replace(const std::string& text, ScriptedFileSystem& fs) {
    platform::ScopedFileSystem scoped(fs);
    platform::AtomicFile file(path_);
    if (!file.Stream()) return false;
    if (fs.Write(text.data(), 1, text.size(), file.Stream()) != text.size()) return false;
    return file.Commit();
  }
  bool Replace(const std::string& text) { return Replace(text, fs_); }

  WorkDir work_;
  std::string path_;
  ScriptedFileSystem fs_;
};

TEST_F(AtomicFileTest, ReplacesTheFileWholeAndLeavesNothingBeside) {
  EXPECT_TRUE(Replace("first")) << "a file that did not exist yet";
  EXPECT_EQ(ReadAll(path_), "first");
  WriteAll(path_, "an older and much longer version of the file");
  EXPECT_TRUE(Replace("second"));
  EXPECT_EQ(ReadAll(path_), "second");
  EXPECT_EQ(work_.Files(), std::vector<std::string>{"standard.cap"});
}

TEST_F(AtomicFileTest, EveryFailureLeavesTheOldFileAndNoNewOne) {
  const std::string old = "the user's records";
  struct Case {
    const char* what;
    void (*arrange)(ScriptedFileSystem&, const std::string& path);
  } cases[] = {
      {"no room for the new file",
       [](ScriptedFileSystem& fs, const std::string&) { fs.refuseTemp = true; }},
      {"disk full", [](ScriptedFileSystem& fs, const std::string&) { fs.bytesLeft = 3; }},
      {"late write error at close",
       [](ScriptedFileSystem& fs, const std::string&) { fs.failClose = 1; }},
      {"the move fails",
       [](ScriptedFileSystem& fs, const std::string& path) { fs.failReplaceTo = path; }},
  };
  for (const Case& c : cases) {
    WriteAll(path_, old);
    ScriptedFileSystem fs;
    c.arrange(fs, path_);
    EXPECT_FALSE(Replace("a new version", fs)) << c.what;
    EXPECT_EQ(ReadAll(path_), old) << c.what;
    EXPECT_EQ(work_.Files(), std::vector<std::string>{"standard.cap"}) << c.what;
  }
}

TEST_F(AtomicFileTest, AReadOnlyFileIsReplacedToo) {
  WriteAll(path_, "old");
  fs_.simulateReadOnly = true;
  fs_.readOnly.insert(path_);
  EXPECT_TRUE(Replace("new"));
  EXPECT_EQ(ReadAll(path_), "new");
  EXPECT_EQ(fs_.readOnlyClears, 1);
}

TEST_F(AtomicFileTest, AnAbandonedNewFileIsRemoved) {
  WriteAll(path_, "old");
  std::string temp;
  {
    platform::AtomicFile file(path_);
    ASSERT_TRUE(file.Stream());
    temp = file.TempPath();
    EXPECT_TRUE(file.Close()) << "closed, it can be read whole";
    EXPECT_TRUE(Exists(temp));
  }
  EXPECT_FALSE(Exists(temp));
  EXPECT_EQ(ReadAll(path_), "old");
}

}  // namespace
