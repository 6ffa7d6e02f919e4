#include "platform/links.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;
namespace fs = std::filesystem;

// TestLink's answer for path; fails the test when the read itself failed.
bool IsLink(const std::string& path) {
  bool link = true;
  EXPECT_EQ(platform::TestLink(path, link), 0) << path;
  return link;
}

TEST(Links, WhichReparseTagsAreLinks) {
  const struct {
    std::uint32_t tag;
    bool link;
    const char* what;
  } cases[] = {
      {platform::kReparseTagMountPoint, true, "a junction"},
      {platform::kReparseTagSymlink, true, "a symbolic link"},
      {platform::kReparseTagLxSymlink, true, "a symbolic link of the Linux subsystem"},
      {0xA0000027, true, "a container's link (WCI_LINK)"},
      {0, true, "no tag read: Wine's Unix symbolic links"},
      {platform::kReparseTagCloud, false, "a cloud placeholder"},
      {0x9000101A, false, "a cloud placeholder (CLOUD_1)"},
      {0x9000F01A, false, "a cloud placeholder (CLOUD_F)"},
      {platform::kReparseTagDedup, false, "a deduplicated file"},
      {0x80000017, false, "a compressed file (WOF)"},
      {0xC0000004, false, "a file of hierarchical storage (HSM)"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::IsLinkReparseTag(c.tag), c.link) << c.what;
}

TEST(Links, PlainFoldersFilesAndMissingPathsAreNotLinks) {
  WorkDir work;
  ASSERT_TRUE(MakeDir(work.Path("folder")));
  WriteAll(work.Path("file"), "x");
  EXPECT_FALSE(IsLink(work.path()));
  EXPECT_FALSE(IsLink(work.Path("folder")));
  EXPECT_FALSE(IsLink(work.Path("folder") + "\\"));
  EXPECT_FALSE(IsLink(work.Path("file")));
  EXPECT_FALSE(IsLink(work.Path("missing")));
  EXPECT_FALSE(IsLink(work.Path("missing\\below")));
  EXPECT_FALSE(IsLink(""));
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

  EXPECT_TRUE(IsLink(work.Path("link")));
  EXPECT_TRUE(IsLink(work.Path("link") + "\\")) << "the link, not its target";
  EXPECT_TRUE(IsLink(work.Path("dangling")));
  EXPECT_FALSE(IsLink(work.Path("target")));
  // A folder reached through a link is itself a plain folder: callers test each level.
  ASSERT_TRUE(MakeDir(work.Path("target\\inner")));
  EXPECT_FALSE(IsLink(work.Path("link\\inner")));
}

}  // namespace
