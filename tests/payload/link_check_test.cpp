#include "payload/link_check.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "payload/extraction.h"
#include "platform/file_system.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/test_payload.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;
namespace fs = std::filesystem;

class LinkCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = work_.Path("Tvex");
    outside_ = work_.Path("outside");
    ASSERT_TRUE(MakeDir(install_));
    ASSERT_TRUE(MakeDir(outside_));
    payload_.Add(".\\Changelog.txt", "log");
    payload_.Add(".\\lib\\cmp\\standard.cap", "caps");
    payload_.Add(".\\lib\\sym\\cap.asy", "symbol");
    payload_.Add(".\\tvex3.exe", "program");
  }

  // The first folder that TrustInstallFolders finds to be a link below dir; "" when there is none.
  std::string Linked(const std::string& dir) {
    platform::FolderTrust trust;
    const FolderFault fault = TrustInstallFolders(dir, payload_.Table());
    EXPECT_TRUE(fault.error == 0 || fault.error == ELOOP) << fault.folder << ": " << fault.error;
    return fault.folder;
  }

  // Makes link a symbolic link to target; false where the platform makes none (Wine's
  // CreateSymbolicLink reports success and makes nothing; the driver's tests cover Windows).
  bool Link(const std::string& target, const std::string& link) {
    std::error_code error;
    fs::create_directory_symlink(NativePath(target), NativePath(link), error);
    return !error && Exists(link);
  }

  WorkDir work_;
  std::string install_, outside_;
  TestPayload payload_;
};

TEST_F(LinkCheck, PlainAndMissingFoldersPass) {
  EXPECT_EQ(Linked(install_), "");
  ASSERT_TRUE(MakeDir(install_ + "\\lib"));
  EXPECT_EQ(Linked(install_ + "\\"), "");
  EXPECT_EQ(Linked(work_.Path("not yet made")), "");
}

TEST_F(LinkCheck, FindsTheFirstLinkOnTheWayDown) {
  ASSERT_TRUE(MakeDir(install_ + "\\lib"));
  if (!Link(outside_, install_ + "\\lib\\sym")) GTEST_SKIP() << "no symbolic links here";
  EXPECT_EQ(Linked(install_), install_ + "\\lib\\sym");

  // One level up, above folders that the installation would use through it.
  RemoveTree(install_ + "\\lib");
  ASSERT_TRUE(Link(outside_, install_ + "\\lib"));
  EXPECT_EQ(Linked(install_ + "\\"), install_ + "\\lib");
}

TEST_F(LinkCheck, TheInstallDirectoryItselfMayNotBeALink) {
  const std::string linked = work_.Path("Linked Tvex");
  if (!Link(install_, linked)) GTEST_SKIP() << "no symbolic links here";
  EXPECT_EQ(Linked(linked), linked);
  EXPECT_EQ(Linked(linked + "\\"), linked);
  // Folders above the install directory are the user's choice, links or not.
  EXPECT_EQ(Linked(linked + "\\inner"), "");
}

// A folder that cannot be read is no answer: it stops the installation as a link does, naming
// the folder and the reason, before anything changes.
TEST_F(LinkCheck, AFolderThatCannotBeReadIsAFailureNotAPlainFolder) {
  ASSERT_TRUE(MakeDir(install_ + "\\lib"));
  WriteAll(install_ + "\\tvex3.exe", "the previous program");
  const auto before = ReadTree(install_);
  for (const std::string& refused : {install_, install_ + "\\lib"}) {
    SCOPED_TRACE(refused);
    tvex_test::ScriptedFileSystem fs;
    fs.refuseFolder = refused;
    platform::ScopedFileSystem scoped(fs);
    {
      platform::FolderTrust trust;
      const FolderFault fault = TrustInstallFolders(install_, payload_.Table());
      EXPECT_EQ(fault.folder, refused);
      EXPECT_EQ(fault.error, EACCES);
    }
    BoxCapture boxes;
    TestReport report;
    ExtractionJob job;
    job.installDir = install_;
    job.payload = payload_.Table();
    EXPECT_EQ(RunExtraction(job, report), ExtractionOutcome::kFailed);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Trouble reading the folder " + refused +
                                                      ": access is denied\nNothing has been "
                                                      "changed. Permission problem?"});
    EXPECT_EQ(ReadTree(install_), before);
  }
}

TEST_F(LinkCheck, TheEngineStopsBeforeWritingAnything) {
  ASSERT_TRUE(MakeDir(install_ + "\\lib"));
  if (!Link(outside_, install_ + "\\lib\\cmp")) GTEST_SKIP() << "no symbolic links here";
  WriteAll(install_ + "\\tvex3.exe", "the previous program");
  TestReport report;
  for (bool update : {false, true}) {
    SCOPED_TRACE(update ? "update" : "overwrite");
    BoxCapture boxes;
    ExtractionJob job;
    job.installDir = install_;
    job.update = update;
    job.payload = payload_.Table();
    EXPECT_EQ(RunExtraction(job, report), ExtractionOutcome::kFailed);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{LinkedDirectoryText(install_ + "\\lib\\cmp")});
    // Not even the files that come before the link in table order were written.
    EXPECT_FALSE(Exists(install_ + "\\Changelog.txt"));
    EXPECT_EQ(ReadAll(install_ + "\\tvex3.exe"), "the previous program");
    EXPECT_FALSE(Exists(install_ + "\\lib\\sym"));
    EXPECT_FALSE(Exists(outside_ + "\\standard.cap"));
  }
}

}  // namespace
