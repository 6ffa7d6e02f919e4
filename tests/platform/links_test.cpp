#include "platform/links.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;
namespace fs = std::filesystem;

TEST(Links, PlainFoldersFilesAndMissingPathsAreNotLinks) {
  WorkDir work;
  ASSERT_TRUE(MakeDir(work.Path("folder")));
  WriteAll(work.Path("file"), "x");
  EXPECT_FALSE(platform::IsLink(work.path()));
  EXPECT_FALSE(platform::IsLink(work.Path("folder")));
  EXPECT_FALSE(platform::IsLink(work.Path("folder") + "\\"));
  EXPECT_FALSE(platform::IsLink(work.Path("file")));
  EXPECT_FALSE(platform::IsLink(work.Path("missing")));
  EXPECT_FALSE(platform::IsLink(""));
}

TEST(Links, ALinkIsOneWhateverItLeadsTo) {
  WorkDir work;
  ASSERT_TRUE(MakeDir(work.Path("target")));
  std::error_code error;
  fs::create_directory_symlink(NativePath(work.Path("target")), NativePath(work.Path("link")),
                               error);
  // Wine's CreateSymbolicLink reports success and makes nothing.
  if (error || !Exists(work.Path("link")))
    GTEST_SKIP() << "no symbolic links can be made here: " << error.message();
  fs::create_symlink(NativePath(work.Path("nowhere")), NativePath(work.Path("dangling")), error);
  ASSERT_FALSE(error) << error.message();

  EXPECT_TRUE(platform::IsLink(work.Path("link")));
  EXPECT_TRUE(platform::IsLink(work.Path("link") + "\\")) << "the link, not its target";
  EXPECT_TRUE(platform::IsLink(work.Path("dangling")));
  EXPECT_FALSE(platform::IsLink(work.Path("target")));
  // A folder reached through a link is itself a plain folder: callers test each level.
  ASSERT_TRUE(MakeDir(work.Path("target\\inner")));
  EXPECT_FALSE(platform::IsLink(work.Path("link\\inner")));
}

}  // namespace
