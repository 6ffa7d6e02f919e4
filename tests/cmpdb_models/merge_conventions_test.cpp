#include "cmpdb/merge_conventions.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

#include "platform/file_system.h"
#include "platform/message_box.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

// exit(-1) as the parent sees it: the whole value on Windows, its low byte (255) on POSIX.
bool ExitedWithMinusOne(int status) {
  return testing::ExitedWithCode(-1)(status) || testing::ExitedWithCode(255)(status);
}

bool AllZero(const void* block, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i]) return false;
  }
  return true;
}

TEST(Memory, BlocksStartZeroedAndGrowZeroed) {
  EXPECT_EQ(XAlloc(0), nullptr);
  auto* block = static_cast<char*>(XAlloc(100));
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(AllZero(block, 100));
  std::memset(block, 'x', 100);
  block = static_cast<char*>(XRealloc(block, 100000));
  EXPECT_EQ(std::string(block, 100), std::string(100, 'x'));
  EXPECT_TRUE(AllZero(block + 100, 100000 - 100));
  block = static_cast<char*>(XRealloc(block, 10));
  EXPECT_EQ(std::string(block, 10), std::string(10, 'x'));
  std::memset(block, 'y', 10);
  // Bytes dropped by a shrink come back as zeros when the block grows again.
  block = static_cast<char*>(XRealloc(block, 50));
  EXPECT_EQ(std::string(block, 10), std::string(10, 'y'));
  EXPECT_TRUE(AllZero(block + 10, 40));
  EXPECT_EQ(XRealloc(block, 0), nullptr);
  auto* fresh = static_cast<char*>(XRealloc(nullptr, 64));
  EXPECT_TRUE(AllZero(fresh, 64));
  XFree(fresh);
  XFree(nullptr);
}

TEST(MemoryDeathTest, ExhaustionSaysOutOfMemoryAndEndsWithMinusOne) {
  EXPECT_EXIT(
      {
        BoxCapture boxes;
        FatalOutOfMemory();
      },
      ExitedWithMinusOne, BoxPattern("Out of Memory!"));
  if (kAddressSanitizer) GTEST_SKIP() << "the sanitizer reports impossible sizes itself";
  EXPECT_EXIT(
      {
        BoxCapture boxes;
        XAlloc(static_cast<std::size_t>(-1) / 4);
      },
      ExitedWithMinusOne, BoxPattern("Out of Memory!"));
  EXPECT_EXIT(
      {
        BoxCapture boxes;
        InstallOutOfMemoryHandler();
        ::operator delete(::operator new(static_cast<std::size_t>(-1) / 4));
      },
      ExitedWithMinusOne, BoxPattern("Out of Memory!"));
}

TEST(MessageBoxF, FormatsTextsOfAnyLength) {
  BoxCapture boxes;
  const std::string longName(300, 'n');
  EXPECT_EQ(MessageBoxF("%s|%d|%s", "a", 42, longName.c_str()), 1);
  MessageBoxF("%s", "");
  ASSERT_EQ(boxes.Texts().size(), 2u);
  EXPECT_EQ(boxes.Texts()[0], "a|42|" + longName);
  EXPECT_EQ(boxes.Texts()[1], "");
}

TEST(BackupDatabase, CopiesOverAReadOnlyBackupWithoutAMessage) {
  WorkDir dir;
  const std::string db = dir.Path("standard.bjt");
  WriteAll(db, "user models\r\n");
  WriteAll(db + ".bak", "an older backup that is longer than the database\r\n");
  ScriptedFileSystem fs;
  fs.simulateReadOnly = true;
  platform::ScopedFileSystem scoped(fs);
  fs.SetReadOnly(db + ".bak", true);
  BoxCapture boxes;
  BackupDatabase(db.c_str());
  EXPECT_EQ(ReadAll(db + ".bak"), "user models\r\n");
  EXPECT_TRUE(boxes.Texts().empty());
  EXPECT_TRUE(fs.sleeps.empty());
}

TEST(BackupDatabase, NothingToBackUp) {
  WorkDir dir;
  BoxCapture boxes;
  BackupDatabase(nullptr);
  BackupDatabase("");
  BackupDatabase(dir.Path("missing").c_str());
  EXPECT_EQ(platform::Fs().Find(dir.Path("missing.bak")), platform::EntryKind::kNone);
  EXPECT_TRUE(boxes.Texts().empty());
}

TEST(BackupDatabase, RetriesOnceAfterFiveSeconds) {
  WorkDir dir;
  const std::string db = dir.Path("standard.mos");
  WriteAll(db, "m");
  ScriptedFileSystem fs;
  fs.refuseReadPath = db;
  fs.refusedReads = 1;
  platform::ScopedFileSystem scoped(fs);
  BoxCapture boxes;
  BackupDatabase(db.c_str());
  EXPECT_EQ(ReadAll(db + ".bak"), "m");
  EXPECT_EQ(fs.sleeps, std::vector<unsigned>{5000});
  EXPECT_TRUE(boxes.Texts().empty());
}

TEST(BackupDatabaseDeathTest, TwoFailuresEndTheInstallerWithCodeZero) {
  WorkDir dir;
  const std::string db = dir.Path("standard.dio");
  WriteAll(db, "locked");
  EXPECT_EXIT(
      {
        ScriptedFileSystem fs;
        fs.refuseReadPath = db;
        fs.refusedReads = 2;
        platform::ScopedFileSystem scoped(fs);
        // The box comes after the two attempts and the one wait between them.
        platform::SetMessageBoxHook([&](const std::string& text, const std::string&, unsigned) {
          std::fprintf(stderr, "sleeps:%zu:%u;%s\n", fs.sleeps.size(),
                       fs.sleeps.empty() ? 0 : fs.sleeps[0], BoxPattern(text).c_str());
          return platform::kIdOk;
        });
        BackupDatabase(db.c_str());
      },
      testing::ExitedWithCode(0),
      "sleeps:1:5000;" +
          BoxPattern("Trouble backing up " + db + "\nas " + db + ".bak\n\nRelease sync aborted."));
  EXPECT_EQ(ReadAll(db), "locked");
  EXPECT_EQ(platform::Fs().Find(db + ".bak"), platform::EntryKind::kNone);
}

}  // namespace
