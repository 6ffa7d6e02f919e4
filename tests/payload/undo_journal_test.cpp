// The undo journal: what a run writes, and what the next run trusts of a journal it finds.
#include "payload/undo_journal.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>

#include "payload/undo.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/test_payload.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

// Journal lines with a correct last line, so that what fails is the line under test.
std::string Sealed(const std::string& lines) {
  std::size_t count = 0;
  for (char c : lines) count += c == '\n';
  char end[64];
  std::snprintf(
      end, sizeof end, "end %zu %08lx\n", count,
      crc32(0, reinterpret_cast<const Bytef*>(lines.data()), static_cast<uInt>(lines.size())));
  return lines + end;
}

// A sealed journal whose count of lines says count.
std::string WithCount(const std::string& sealed, std::size_t count) {
  const std::size_t at = sealed.rfind("end ") + 4;
  return sealed.substr(0, at) + std::to_string(count) + sealed.substr(sealed.find(' ', at));
}

const std::string kHead = "Tvex III undo journal 1\n";

TEST(UndoJournal, ReadsBackWhatItWrote) {
  UndoJournal journal;
  journal.madeInstallDirectory = true;
  journal.folders = {"lib", "lib\\sub dir"};
  journal.files = {{"lib\\sub dir\\a b.txt", ""},
                   {"tvex3.exe", "~tvexundo\\0\\1"},
                   {"lib\\cmp\\standard.cap.bak", "~tvexundo\\0\\22"}};
  const std::string text = FormatUndoJournal(journal);
  EXPECT_EQ(text,
            Sealed(kHead + "made-install-directory\nfolder lib\nfolder lib\\sub dir\nnew lib\\sub "
                           "dir\\a b.txt\nreplace tvex3.exe\t~tvexundo\\0\\1\nreplace "
                           "lib\\cmp\\standard.cap.bak\t~tvexundo\\0\\22\n"));
  UndoJournal read;
  std::string problem;
  ASSERT_TRUE(ParseUndoJournal(text, read, problem)) << problem;
  EXPECT_TRUE(read.madeInstallDirectory);
  EXPECT_EQ(read.folders, journal.folders);
  ASSERT_EQ(read.files.size(), 3u);
  EXPECT_EQ(read.files[1].path, "tvex3.exe");
  EXPECT_EQ(read.files[1].setAside, "~tvexundo\\0\\1");
  EXPECT_EQ(read.files[0].setAside, "");
}

TEST(UndoJournal, RefusesEveryHostileOrDamagedJournal) {
  const std::string longPath(260, 'x');
  const struct {
    std::string text;
    const char* problem;
  } cases[] = {
      {"", "ends without"},
      {Sealed("Tvex III undo journal 2\n"), "not an undo journal"},
      {kHead + "new a.txt\n", "ends without"},
      {kHead + "new a.txt", "middle of a line"},
      {Sealed(kHead + "new a.txt\n") + "new b.txt\n", "after the last line"},
      {kHead + "new a.txt\nend 2 00000000\n", "check sum"},
      {WithCount(Sealed(kHead + "new a.txt\n"), 3), "check sum"},
      {Sealed(kHead + "new ..\\windows\\x.dll\n"), "\"..\""},
      {Sealed(kHead + "new a\\..\\..\\x\n"), "\"..\""},
      {Sealed(kHead + "new .\\x\n"), "\"..\""},
      {Sealed(kHead + "new C:\\Windows\\x.dll\n"), "forbids"},
      {Sealed(kHead + "new \\Windows\\x.dll\n"), "backslash"},
      {Sealed(kHead + "new \\\\server\\share\\x\n"), "backslash"},
      {Sealed(kHead + "new a\\\\b\n"), "empty name"},
      {Sealed(kHead + "new a/../../x\n"), "forbids"},
      {Sealed(kHead + "new lib\\con\\x\n"), "device"},
      {Sealed(kHead + "new nul.txt\n"), "device"},
      {Sealed(kHead + "new a.txt:stream\n"), "forbids"},
      {Sealed(kHead + "new a.\n"), "dot"},
      {Sealed(kHead + "new caf\xC3\xA9.txt\n"), "printable ASCII"},
      {Sealed(kHead + "new a\x01.txt\n"), "printable ASCII"},
      {Sealed(kHead + "new " + longPath + "\n"), "longer than 259"},
      {Sealed(kHead + "new \n"), "empty path"},
      {Sealed(kHead + "new ~tvexundo\\1\n"), "set-aside folder"},
      {Sealed(kHead + "new ~TVEXUNDO.JNL\n"), "set-aside folder"},
      {Sealed(kHead + "replace a.txt\n"), "without its place"},
      {Sealed(kHead + "replace a.txt\t..\\x\n"), "not of the form"},
      {Sealed(kHead + "replace a.txt\t~tvexundo\\1\n"), "not of the form"},
      {Sealed(kHead + "replace a.txt\t~tvexundo\\0\\01\n"), "not of the form"},
      {Sealed(kHead + "replace a.txt\t~tvexundo\\0\\1\\x\n"), "not of the form"},
      {Sealed(kHead + "replace a.txt\t~tvexundo\\..\\1\n"), "not of the form"},
      {Sealed(kHead + "replace a.txt\t~tvexundo\\0\\\n"), "not of the form"},
      {Sealed(kHead + "replace a.txt\t~tvexundo\\0\\1\nreplace b.txt\t~tvexundo\\0\\1\n"), "twice"},
      {Sealed(kHead + "new a.txt\nnew A.TXT\n"), "twice"},
      {Sealed(kHead + "new a.txt\nfolder lib\n"), "folder after the files"},
      {Sealed(kHead + "new a.txt\nmade-install-directory\n"), "out of its place"},
      {Sealed(kHead + "delete a.txt\n"), "no known kind"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    UndoJournal journal;
    journal.folders = {"untouched"};
    std::string problem;
    EXPECT_FALSE(ParseUndoJournal(c.text, journal, problem));
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    EXPECT_EQ(journal.folders, std::vector<std::string>{"untouched"});
  }
}

class Recovery : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = work_.path() + "\\inst";
    ASSERT_TRUE(MakeDir(install_));
  }
  std::string At(const std::string& rel) const { return install_ + "\\" + rel; }

  // RecoverInterruptedRun on the install directory as it is now.
  bool Recover(bool& made) {
    made = false;
    return RecoverInterruptedRun(install_, report_, made);
  }

  WorkDir work_;
  std::string install_;
  TestReport report_;
  BoxCapture boxes_;
};

TEST_F(Recovery, UndoesWhatTheJournalListsAndNothingElse) {
  ASSERT_TRUE(MakeDir(At("lib")));
  ASSERT_TRUE(MakeDir(At("new")));
  ASSERT_TRUE(MakeDir(At("~tvexundo")));
  ASSERT_TRUE(MakeDir(At("~tvexundo\\0")));
  WriteAll(At("tvex3.exe"), "half of the new program");
  WriteAll(At("~tvexundo\\0\\1"), "the old program");
  WriteAll(At("new\\a.txt"), "new");
  WriteAll(At("lib\\mine.txt"), "the user's");
  WriteAll(At("~tvex0badf00d.tmp"), "half a journal of a later run");
  WriteAll(At(kUndoJournalName),
           Sealed(kHead + "made-install-directory\nfolder new\nnew new\\a.txt\nnew "
                          "never.txt\nreplace tvex3.exe\t~tvexundo\\0\\1\n"));
  bool made = false;
  ASSERT_TRUE(Recover(made));
  EXPECT_TRUE(made) << "the interrupted run had made the directory";
  EXPECT_TRUE(boxes_.Texts().empty());
  EXPECT_EQ(
      ReadTree(install_),
      (std::map<std::string, std::string>{
          {"lib\\", ""}, {"lib\\mine.txt", "w the user's"}, {"tvex3.exe", "w the old program"}}));
  // Nothing left to undo: a second recovery changes nothing.
  ASSERT_TRUE(Recover(made));
  EXPECT_FALSE(made);
}

TEST_F(Recovery, AHostileJournalIsReportedAndActedOnNotAtAll) {
  const std::string outside = work_.Path("outside.txt");
  WriteAll(outside, "a file elsewhere");
  WriteAll(At("keep.txt"), "the user's");
  const std::string hostile[] = {
      Sealed(kHead + "new keep.txt\nnew ..\\outside.txt\n"),
      Sealed(kHead + "new keep.txt\nreplace keep2.txt\t~tvexundo\\..\\outside.txt\n"),
      "not a journal at all",
  };
  for (const std::string& text : hostile) {
    SCOPED_TRACE(text);
    WriteAll(At(kUndoJournalName), text);
    const auto before = ReadTree(install_);
    BoxCapture boxes;
    bool made = false;
    EXPECT_FALSE(Recover(made));
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0].rfind("The undo journal \"" + At(kUndoJournalName) +
                                         "\" of an interrupted installation cannot be trusted: ",
                                     0),
              0u)
        << boxes.Texts()[0];
    EXPECT_EQ(ReadTree(install_), before);
    EXPECT_EQ(ReadAll(outside), "a file elsewhere");
  }
}

TEST_F(Recovery, AJournalWhosePathsLeadThroughALinkIsRefused) {
  namespace fs = std::filesystem;
  const std::string elsewhere = work_.Path("elsewhere");
  ASSERT_TRUE(MakeDir(elsewhere));
  WriteAll(elsewhere + "\\victim.txt", "not the installer's");
  std::error_code error;
  fs::create_directory_symlink(NativePath(elsewhere), NativePath(At("lib")), error);
  // Wine's CreateSymbolicLink reports success and makes nothing; the GUI tests cover Windows.
  if (error || !Exists(At("lib"))) GTEST_SKIP() << "no symbolic links here";
  WriteAll(At(kUndoJournalName), Sealed(kHead + "new lib\\victim.txt\n"));
  bool made = false;
  EXPECT_FALSE(Recover(made));
  ASSERT_EQ(boxes_.Texts().size(), 1u);
  EXPECT_NE(boxes_.Texts()[0].find("is a link"), std::string::npos) << boxes_.Texts()[0];
  EXPECT_EQ(ReadAll(elsewhere + "\\victim.txt"), "not the installer's");
}

TEST_F(Recovery, ACommittedRunsSetAsideFilesAreCleared) {
  ASSERT_TRUE(MakeDir(At("~tvexundo")));
  ASSERT_TRUE(MakeDir(At("~tvexundo\\0")));
  WriteAll(At("~tvexundo\\0\\1"), "old");
  WriteAll(At("~tvexundo\\0\\2"), "old");
  bool made = false;
  ASSERT_TRUE(Recover(made));
  EXPECT_FALSE(Exists(At("~tvexundo")));
}

}  // namespace
