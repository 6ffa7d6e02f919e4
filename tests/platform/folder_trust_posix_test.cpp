// A trusted folder moved away from its name while it is held (POSIX lets any folder be moved):
// the calls go on inside the folder opened, never through what stands at the name now, and the
// check of the trusted folders says what happened.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/file_system.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;
using platform::Fs;
namespace fs = std::filesystem;

TEST(FolderTrustPosix, AMovedFolderIsFollowedByItsHandleAndFound) {
  const struct {
    const char* what;
    bool link;  // a link to the folder outside takes the name; else a new folder
    int found;
  } cases[] = {
      {"replaced by a link", true, ELOOP},
      {"replaced by another folder", false, ENOLINK},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WorkDir work;
    const std::string folder = work.Path("lib"), outside = work.Path("outside");
    ASSERT_TRUE(MakeDir(folder));
    ASSERT_TRUE(MakeDir(outside));
    platform::FolderTrust trust;
    ASSERT_EQ(Fs().TrustFolder(work.path()), 0);
    ASSERT_EQ(Fs().TrustFolder(folder), 0);

    fs::rename(NativePath(folder), NativePath(work.Path("lib.moved")));
    if (c.link)
      fs::create_directory_symlink(NativePath(outside), NativePath(folder));
    else
      ASSERT_TRUE(MakeDir(folder));
    std::FILE* f = Fs().CreateNew(folder + "\\new.txt");
    ASSERT_NE(f, nullptr);
    Fs().Close(f);
    EXPECT_EQ(Fs().MakeDirectory(folder + "\\sub"), 0);
    EXPECT_EQ(Fs().Rename(folder + "\\new.txt", folder + "\\renamed.txt"), 0);

    EXPECT_TRUE(ReadTree(outside).empty()) << "written through the link";
    EXPECT_EQ(ReadTree(work.Path("lib.moved")),
              (std::map<std::string, std::string>{{"renamed.txt", "w "}, {"sub\\", ""}}));
    std::string moved;
    EXPECT_EQ(Fs().CheckTrustedFolders(moved), c.found);
    EXPECT_EQ(moved, folder);
  }
}

}  // namespace
