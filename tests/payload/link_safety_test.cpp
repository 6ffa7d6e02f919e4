// Links planted inside an existing installation, before the run or between its check and its
// use: the installation stops (undoing what it did), and nothing outside the install directory
// changes. Symbolic links are made natively only (Wine's CreateSymbolicLink makes nothing; the
// Links GUI scenario and the platform tests take links made from outside Wine); hard links are
// made everywhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "payload/extraction.h"
#include "payload/link_check.h"
#include "payload/undo.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/test_payload.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;
namespace fs = std::filesystem;

constexpr char kUndone[] = "\n\nThe installation has been undone: everything is as it was before.";
constexpr char kVictimBytes[] = "a file outside the installation";

// What a test plants at a name.
enum class Planted {
  kFileSymlink,    // a symbolic link to the victim file
  kFolderSymlink,  // a symbolic link to the folder outside
  kHardLink,       // a second name of the victim file
};

class LinkSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = work_.Path("Tvex");
    outside_ = work_.Path("outside");
    victim_ = outside_ + "\\victim.txt";
    ASSERT_TRUE(MakeDir(outside_));
    ASSERT_TRUE(WriteAll(victim_, kVictimBytes));
    for (TestPayload* payload : {&first_, &second_}) {
      const std::string version = payload == &first_ ? "1" : "2";
      payload->Add(".\\Changelog.txt", "log " + version);
      payload->Add(".\\lib\\cmp\\standard.cap", "caps " + version);
      payload->Add(".\\lib\\sym\\cap.asy", "symbol " + version, true);
      payload->Add(".\\tvex3.exe", "program " + version);
    }
  }

  // Runs the engine on payload (an update of the installation) under fs.
  ExtractionOutcome Install(const TestPayload& payload, ScriptedFileSystem& fs) {
    platform::ScopedFileSystem scoped(fs);
    ExtractionJob job;
    job.installDir = install_;
    job.update = true;
    job.payload = payload.Table();
    job.date = "2026-12-09";
    const ExtractionOutcome outcome = RunExtraction(job, report_);
    if (outcome == ExtractionOutcome::kInstalled && CommitExtraction(install_, report_))
      RemoveSetAsideFiles(install_);
    return outcome;
  }

  // Plants what at path (replacing what stands there); false where the platform makes none.
  bool Plant(Planted what, const std::string& path) {
    std::error_code error;
    // Windows removes no read-only file.
    fs::permissions(NativePath(path), fs::perms::owner_write,
                    fs::perm_options::add | fs::perm_options::nofollow, error);
    fs::remove(NativePath(path), error);
    if (what == Planted::kFileSymlink)
      fs::create_symlink(NativePath(victim_), NativePath(path), error);
    else if (what == Planted::kFolderSymlink)
      fs::create_directory_symlink(NativePath(outside_), NativePath(path), error);
    else
      fs::create_hard_link(NativePath(victim_), NativePath(path), error);
    return !error && Exists(path);
  }

  // Whether the platform lets the test plant what (Wine makes no symbolic links).
  bool CanPlant(Planted what) {
    const std::string probe = work_.Path("probe");
    const bool made = Plant(what, probe);
    std::error_code error;
    fs::remove(NativePath(probe), error);
    return made;
  }

  // What the tree shows at a name where what was planted.
  std::string Shown(Planted what) const {
    return what == Planted::kHardLink ? std::string("w ") + kVictimBytes : "link";
  }

  std::string At(const std::string& rel) const { return install_ + "\\" + rel; }

  // Runs the update under fs, which must stop with text alone, and leave the installation as
  // expected and everything outside it as it was.
  void ExpectStopped(ScriptedFileSystem& fs, const std::string& text,
                     const std::map<std::string, std::string>& expected) {
    const auto outside = ReadTree(outside_);
    BoxCapture boxes;
    EXPECT_EQ(Install(second_, fs), ExtractionOutcome::kFailed);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{text});
    EXPECT_EQ(ReadTree(install_), expected);
    EXPECT_EQ(ReadTree(outside_), outside) << "written through the link";
    EXPECT_EQ(ReadAll(victim_), kVictimBytes);
    EXPECT_FALSE(IsReadOnly(victim_));
  }

  WorkDir work_;
  std::string install_, outside_, victim_;
  TestPayload first_, second_;
  TestReport report_;
};

// Links that stand at a name before the run: a symbolic link is refused before anything changes,
// a hard link (which no listing shows) when the run comes to move the file aside; either way the
// tree is as it was, and the victim is untouched.
TEST_F(LinkSafety, ALinkAtAFileNameStopsTheInstallation) {
  const struct {
    const char* what;
    Planted planted;
    const char* name;
  } cases[] = {
      {"a symbolic link at a program's name", Planted::kFileSymlink, "tvex3.exe"},
      {"a symbolic link at a database's name", Planted::kFileSymlink, "lib\\cmp\\standard.cap"},
      {"a symbolic link at a read-only symbol's name", Planted::kFileSymlink, "lib\\sym\\cap.asy"},
      {"a symbolic link to a folder at a file's name", Planted::kFolderSymlink, "Changelog.txt"},
      {"a hard link at a program's name", Planted::kHardLink, "tvex3.exe"},
      {"a hard link at a database's name", Planted::kHardLink, "lib\\cmp\\standard.cap"},
      {"a hard link at a read-only symbol's name", Planted::kHardLink, "lib\\sym\\cap.asy"},
  };
  int tried = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveTree(install_);
    ScriptedFileSystem fs;
    ASSERT_EQ(Install(first_, fs), ExtractionOutcome::kInstalled);
    if (!CanPlant(c.planted)) continue;
    ++tried;
    ASSERT_TRUE(Plant(c.planted, At(c.name)));
    // A symbolic link is seen in the folder's listing, a hard link only on the file opened.
    ExpectStopped(fs, LinkedFileText(At(c.name)) + (c.planted == Planted::kHardLink ? kUndone : ""),
                  ReadTree(install_));
  }
  EXPECT_GT(tried, 0);
}

// A link put at a name after the plan, just before the run uses the name: the run stops at it
// and undoes itself; the link stays where it was put, and the victim is untouched.
TEST_F(LinkSafety, ALinkSwappedInAfterTheCheckIsNeverFollowed) {
  const struct {
    const char* what;
    Planted planted;
    const char* call;  // the call of the run that the link is put before
    const char* name;
    bool staysPlanted;  // the name was the user's: the link stays; else the undo removes it
  } cases[] = {
      {"a file to move aside becomes a symbolic link", Planted::kFileSymlink, "Rename", "tvex3.exe",
       true},
      {"a file to move aside becomes a hard link", Planted::kHardLink, "Rename", "tvex3.exe", true},
      {"a database to move aside becomes a hard link", Planted::kHardLink, "Rename",
       "lib\\cmp\\standard.cap", true},
      {"a new read-only file becomes a symbolic link", Planted::kFileSymlink, "SetReadOnly",
       "lib\\sym\\cap.asy", false},
      {"a new read-only file becomes a hard link", Planted::kHardLink, "SetReadOnly",
       "lib\\sym\\cap.asy", false},
  };
  int tried = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveTree(install_);
    if (!CanPlant(c.planted)) continue;
    ++tried;
    ScriptedFileSystem fs;
    ASSERT_EQ(Install(first_, fs), ExtractionOutcome::kInstalled);
    auto expected = ReadTree(install_);
    if (c.staysPlanted) expected[c.name] = Shown(c.planted);
    bool planted = false;
    fs.beforeChange = [&](const std::string& call, const std::string& path) {
      if (planted || call != c.call || path != At(c.name)) return;
      planted = Plant(c.planted, path);
    };
    ExpectStopped(fs, LinkedFileText(At(c.name)) + kUndone, expected);
    EXPECT_TRUE(planted);
  }
  EXPECT_GT(tried, 0);
}

// A folder of the installation moved away and replaced by a link to a folder outside, after the
// run opened it and before it writes there: the files go into the folder the run opened (not
// through the link), the run finds at its end that the folder is no longer at its name, and
// undoes itself. (Windows refuses to move a folder the run holds open: see the platform tests.)
TEST_F(LinkSafety, AFolderSwappedForALinkGetsNothingThroughIt) {
  if (!CanPlant(Planted::kFolderSymlink)) GTEST_SKIP() << "no symbolic links can be made here";
  ScriptedFileSystem fs;
  ASSERT_EQ(Install(first_, fs), ExtractionOutcome::kInstalled);
  std::map<std::string, std::string> expected;
  for (const auto& [name, content] : ReadTree(install_))
    expected[name.rfind("lib\\sym\\", 0) == 0 ? "lib\\sym.moved\\" + name.substr(8) : name] =
        content;
  expected["lib\\sym"] = "link";
  bool planted = false;
  fs.beforeChange = [&](const std::string& call, const std::string& path) {
    if (planted || call != "CreateNew" || path != At("lib\\sym\\cap.asy")) return;
    std::error_code error;
    fs::rename(NativePath(At("lib\\sym")), NativePath(At("lib\\sym.moved")), error);
    if (!error)
      fs::create_directory_symlink(NativePath(outside_), NativePath(At("lib\\sym")), error);
    planted = !error;
  };
  ExpectStopped(fs, LinkedDirectoryText(At("lib\\sym")) + kUndone, expected);
  EXPECT_TRUE(planted);
}

}  // namespace
