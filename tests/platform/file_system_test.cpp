#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>

#include "tests/support/work_dir.h"

namespace {

using platform::EntryKind;
using platform::Fs;

TEST(FileSystem, DirectoriesFilesAndReadOnly) {
  tvex_test::WorkDir work;
  std::string file = work.Path("file");
  std::FILE* created = Fs().CreateNew(file);
  ASSERT_NE(created, nullptr);
  EXPECT_EQ(Fs().Close(created), 0);
  std::string dir = file + "d";
  ASSERT_EQ(Fs().MakeDirectory(dir), 0);
  EXPECT_EQ(Fs().MakeDirectory(dir), EEXIST);
  EXPECT_EQ(Fs().MakeDirectory(file), EEXIST);
  EXPECT_EQ(Fs().Find(dir), EntryKind::kDirectory);
  EXPECT_EQ(Fs().Find(dir + "\\"), EntryKind::kNone) << "no wildcard or trailing-slash lookup";
  EXPECT_EQ(Fs().Open(dir, "wb"), nullptr);

  // Backslashes work as separators on every platform.
  std::string inner = dir + "\\inner.txt";
  std::FILE* f = Fs().Open(inner, "wb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(Fs().Write("abc", 1, 3, f), 3u);
  EXPECT_EQ(Fs().Close(f), 0);
  EXPECT_EQ(Fs().Find(inner), EntryKind::kFile);

  EXPECT_EQ(Fs().SetReadOnly(inner, true), 0);
  EXPECT_EQ(Fs().SetReadOnly(inner, false), 0);
  std::string moved = dir + "\\moved.txt";
  EXPECT_EQ(Fs().Replace(inner, moved), 0);
  EXPECT_EQ(Fs().Find(inner), EntryKind::kNone);
  EXPECT_EQ(Fs().Remove(moved), 0);
  EXPECT_NE(Fs().Remove(dir), 0) << "remove() does not delete directories";
  EXPECT_EQ(Fs().Remove(file), 0);
}

}  // namespace
