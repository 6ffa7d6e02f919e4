// Windows holds a trusted folder so that no other program can move or remove it while the
// installation works in it; once forgotten, it can be again.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/file_system.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;
using platform::Fs;

TEST(FolderTrustWin, ATrustedFolderCannotBeMovedOrRemovedWhileHeld) {
  WorkDir work;
  const std::string folder = work.Path("lib"), moved = work.Path("lib.moved");
  ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
  {
    platform::FolderTrust trust;
    ASSERT_EQ(Fs().TrustFolder(work.path()), 0);
    ASSERT_EQ(Fs().TrustFolder(folder), 0);
    EXPECT_FALSE(::MoveFileExA(folder.c_str(), moved.c_str(), 0));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(::RemoveDirectoryA(folder.c_str()));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    std::string changed;
    EXPECT_EQ(Fs().CheckTrustedFolders(changed), 0) << changed;
    // The installation's own calls are made through the folder it holds.
    std::FILE* f = Fs().CreateNew(folder + "\\new.txt");
    ASSERT_NE(f, nullptr);
    Fs().Close(f);
    EXPECT_EQ(Fs().Remove(folder + "\\new.txt"), 0);
  }
  EXPECT_TRUE(::MoveFileExA(folder.c_str(), moved.c_str(), 0));
  EXPECT_TRUE(::RemoveDirectoryA(moved.c_str()));
}

TEST(FolderTrustWin, ATrustedFolderIsRemovedThroughItsParent) {
  WorkDir work;
  const std::string folder = work.Path("made");
  platform::FolderTrust trust;
  ASSERT_EQ(Fs().TrustFolder(work.path()), 0);
  ASSERT_EQ(Fs().MakeDirectory(folder), 0);
  ASSERT_EQ(Fs().TrustFolder(folder), 0);
  EXPECT_EQ(Fs().RemoveFolder(folder), 0);
  EXPECT_EQ(::GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
