// The file seam never acts through a link at a name, and trusts a folder only once it opened and
// checked it. Symbolic links are made by the test natively, and by make_links.cmake from outside
// Wine for both trees (Wine's programs can make none); hard links everywhere.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/file_system.h"
#include "platform/trusted_folders.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;
using platform::Fs;
namespace fs = std::filesystem;

constexpr char kVictimBytes[] = "a file outside the folder";

// What stands at the name a call acts on.
enum class AtName { kSymlink, kHardLink };

// The errno value of a call that returns -1 and sets errno, 0 on success.
int ErrnoOf(int result) { return result == 0 ? 0 : errno; }

class SeamLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = work_.Path("folder");
    victim_ = work_.Path("victim.txt");
    ASSERT_TRUE(MakeDir(folder_));
    ASSERT_TRUE(WriteAll(victim_, kVictimBytes));
  }

  // Makes name inside the folder a link of kind to the victim; false where the platform makes
  // none (Wine makes no symbolic links).
  bool Plant(AtName kind, const std::string& name) {
    std::error_code error;
    const std::string link = NativePath(folder_ + "\\" + name);
    if (kind == AtName::kSymlink)
      fs::create_symlink(NativePath(victim_), link, error);
    else
      fs::create_hard_link(NativePath(victim_), link, error);
    return !error;
  }

  WorkDir work_;
  std::string folder_, victim_;
};

// Every call that writes, moves or changes a file refuses a link at its name, with the folder
// trusted or not; creating never follows one; removing takes the link itself. The victim keeps
// its bytes and its attribute.
TEST_F(SeamLinks, NoCallActsThroughALinkAtItsName) {
  const struct {
    const char* what;
    std::function<int(const std::string& link, const std::string& folder)> call;
    int symlink, hardLink;  // what the call returns (an errno value, or 0) for each
  } cases[] = {
      {"CreateNew",
       [](const std::string& link, const std::string&) {
         std::FILE* f = Fs().CreateNew(link);
         return f ? Fs().Close(f) : errno;
       },
       EEXIST, EEXIST},
      {"SetReadOnly",
       [](const std::string& link, const std::string&) {
         return ErrnoOf(Fs().SetReadOnly(link, true));
       },
       ELOOP, EMLINK},
      {"Rename",
       [](const std::string& link, const std::string& folder) {
         return Fs().Rename(link, folder + "\\aside");
       },
       ELOOP, EMLINK},
      {"Replace",
       [](const std::string& link, const std::string& folder) {
         return ErrnoOf(Fs().Replace(link, folder + "\\replaced"));
       },
       ELOOP, EMLINK},
      {"Remove",
       [](const std::string& link, const std::string&) { return ErrnoOf(Fs().Remove(link)); }, 0,
       0},
  };
  int tried = 0;
  for (bool trusted : {false, true}) {
    for (AtName kind : {AtName::kSymlink, AtName::kHardLink}) {
      for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) +
                     (kind == AtName::kSymlink ? ", symbolic link" : ", hard link") +
                     (trusted ? ", folder trusted" : ""));
        RemoveTree(folder_);
        ASSERT_TRUE(MakeDir(folder_));
        if (!Plant(kind, "link")) continue;
        ++tried;
        platform::FolderTrust trust;
        if (trusted) {
          ASSERT_EQ(Fs().TrustFolder(folder_), 0);
        }
        EXPECT_EQ(c.call(folder_ + "\\link", folder_),
                  kind == AtName::kSymlink ? c.symlink : c.hardLink);
        EXPECT_EQ(ReadAll(victim_), kVictimBytes);
        EXPECT_FALSE(IsReadOnly(victim_));
      }
    }
  }
  EXPECT_GT(tried, 0);
}

// The folders a call acts in are trusted only once opened and checked: a link at a folder's name
// is refused as the root of a tree and inside one, and so is anything that is no folder.
TEST_F(SeamLinks, OnlyAFolderIsTrusted) {
  ASSERT_TRUE(MakeDir(folder_ + "\\plain"));
  ASSERT_TRUE(WriteAll(folder_ + "\\file", "x"));
  std::error_code error;
  fs::create_directory_symlink(NativePath(work_.path()), NativePath(folder_ + "\\linked"), error);
  const bool links = !error;
  const struct {
    const char* name;
    int expected;
    bool needsLinks;
  } cases[] = {
      {"plain", 0, false},
      {"file", ENOTDIR, false},
      {"missing", ENOENT, false},
      {"linked", ELOOP, true},
  };
  for (bool inside : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (inside ? " inside a trusted folder" : " as a root"));
      if (c.needsLinks && !links) continue;
      platform::FolderTrust trust;
      if (inside) {
        ASSERT_EQ(Fs().TrustFolder(folder_), 0);
      }
      EXPECT_EQ(Fs().TrustFolder(folder_ + "\\" + c.name), c.expected);
    }
  }
}

// Links made from outside the program (make_links.cmake): the same refusals under Wine, which
// shows a Unix symbolic link to a folder as a reparse point in its folder's listing only, and
// follows every Unix symbolic link when it opens a name.
TEST(SeamLinksMadeOutside, AreNeverTrustedNorRemovedThrough) {
  const char* dir = std::getenv("TVEX_LINKS_DIR");
  if (dir == nullptr) GTEST_SKIP() << "TVEX_LINKS_DIR is not set (ctest sets it)";
  const std::string root = dir;
  const std::string trusted = root + "\\trusted", outside = root + "\\outside";
  const auto before = ReadTree(outside);
  ASSERT_FALSE(before.empty()) << "the fixture is missing";
  {
    platform::FolderTrust trust;
    EXPECT_EQ(Fs().TrustFolder(root + "\\root-link"), ELOOP);
    ASSERT_EQ(Fs().TrustFolder(trusted), 0);
    EXPECT_EQ(Fs().TrustFolder(trusted + "\\plain"), 0);
    EXPECT_EQ(Fs().TrustFolder(trusted + "\\folder-link"), ELOOP);
    std::FILE* f = Fs().CreateNew(trusted + "\\file-link");
    EXPECT_EQ(f, nullptr) << "created through the link";
    if (f) Fs().Close(f);
    EXPECT_EQ(Fs().RemoveFolder(trusted + "\\folder-link"), ELOOP);
    std::string moved;
    EXPECT_EQ(Fs().CheckTrustedFolders(moved), 0) << moved;
  }
  EXPECT_EQ(ReadTree(outside), before);
}

// Trusted folders are found under their paths (without regard to case where the platform
// ignores it), and each scope forgets only what it trusted, the last first.
TEST(TrustedFolders, FindsByPathAndForgetsByScope) {
  for (bool foldCase : {false, true}) {
    SCOPED_TRACE(foldCase ? "folding case" : "keeping case");
    platform::TrustedFolders folders(foldCase);
    folders.Add("C:\\Tvex", 1);
    const std::size_t mark = folders.Mark();
    folders.Add("C:\\Tvex\\lib\\", 2);
    folders.Add("C:\\Tvex\\lib\\cmp", 3);
    ASSERT_NE(folders.Find("C:\\Tvex\\lib"), nullptr);
    EXPECT_EQ(folders.Find("C:\\Tvex\\lib")->path, "C:\\Tvex\\lib");
    EXPECT_EQ(folders.Find("C:/Tvex/lib/")->native, 2);
    EXPECT_EQ(folders.Find("c:\\tvex\\LIB") != nullptr, foldCase);
    EXPECT_EQ(folders.Find("C:\\Tvex\\li"), nullptr);
    EXPECT_EQ(folders.TakeSince(mark), (std::vector<platform::NativeFolder>{3, 2}));
    EXPECT_EQ(folders.Find("C:\\Tvex\\lib"), nullptr);
    EXPECT_NE(folders.Find("C:\\Tvex"), nullptr);
    EXPECT_EQ(folders.Take("C:\\Tvex"), 1);
    EXPECT_EQ(folders.Take("C:\\Tvex"), -1);
  }
}

TEST(SplitPath, FolderAndNameOfEveryForm) {
  const struct {
    const char* path;
    const char* folder;
    const char* name;
  } cases[] = {
      {"C:\\Tvex\\lib\\cap.asy", "C:\\Tvex\\lib", "cap.asy"},
      {"C:\\cap.asy", "C:\\", "cap.asy"},
      {"\\\\server\\share\\cap.asy", "\\\\server\\share", "cap.asy"},
      {"/tmp/x/cap.asy", "/tmp/x", "cap.asy"},
      {"/cap.asy", "/", "cap.asy"},
      {"cap.asy", ".", "cap.asy"},
      {"C:\\Tvex\\", "C:\\Tvex", ""},
  };
  for (const auto& c : cases) {
    std::string folder, name;
    platform::SplitPath(c.path, folder, name);
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(name, c.name) << c.path;
  }
}

}  // namespace
