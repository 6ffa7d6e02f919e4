// Windows holds a trusted folder so that no other program can move or remove it while the
// installation works in it; once forgotten, it can be again.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/file_errors.h"
#include "platform/file_system.h"
#include "platform/win_files.h"
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

// A Windows code the seam has no errno for still reaches the message and the log by number.
TEST(FileErrorsWin, EveryWindowsCodeIsNamedInTheReason) {
  const std::pair<DWORD, std::string> cases[] = {
      {ERROR_SHARING_VIOLATION, "in use by another program"},
      {ERROR_DISK_FULL, "the disk is full"},
      {ERROR_IO_DEVICE, "the disk reported an error"},
      {ERROR_FILENAME_EXCED_RANGE, "the path is too long"},
      {ERROR_INVALID_PARAMETER, "Windows error 87"},
      {ERROR_NOT_READY, "Windows error 21"},
  };
  for (const auto& [code, reason] : cases)
    EXPECT_EQ(platform::FileErrorReason(platform::win::ErrnoOf(code)), reason) << code;
}

}  // namespace
