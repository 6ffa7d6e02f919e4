#include "payload/extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "payload/undo.h"
#include "platform/file_errors.h"
#include "platform/file_ops.h"
#include "platform/paths.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/test_payload.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

constexpr char kWriteTrouble[] = "Trouble writing file.\nOut of disk space?  Permission problem?";
constexpr char kUndone[] = "\n\nThe installation has been undone: everything is as it was before.";
constexpr char kCap[] = ".\\lib\\cmp\\standard.cap";
constexpr char kCapFailure[] = "Trouble merging capacitor databases.\n    ...overwriting";

// A merge operation that records what it was given and what the shipped copy held.
struct MergeCall {
  std::string output, shipped, existing, shippedContent;
};
std::vector<MergeCall> g_mergeCalls;
MergeOutcome g_mergeResult = MergeOutcome::kMerged;

MergeOutcome RecordingMerge(const char* output, const char* shipped, const char* existing,
                            platform::Reporter&) {
  g_mergeCalls.push_back({output, shipped, existing, ReadAll(shipped)});
  // A merge that succeeds writes its output; the user's entries are all it keeps here.
  if (g_mergeResult == MergeOutcome::kMerged) CopyFileBytes(existing, output);
  return g_mergeResult;
}

const DatabaseMergeRow kTestRows[] = {
    {".\\lib\\cmp\\standard.bjt", RecordingMerge,
     "Trouble merging BJT databases.\n    ...overwriting"},
    {kCap, RecordingMerge, kCapFailure},
};
const DatabaseMergeTable kTestMerges{kTestRows, std::size(kTestRows)};

// A backup operation that records the paths it was given and keeps a copy beside each.
std::vector<std::string> g_backups;
bool g_backupResult = true;

bool RecordingBackup(const char* path, const char* source, platform::Reporter&) {
  g_backups.push_back(path);
  return CopyFileBytes(source, (std::string(path) + ".bak").c_str()) && g_backupResult;
}

class Extraction : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = work_.path() + "\\Tvex III";
    g_mergeCalls.clear();
    g_mergeResult = MergeOutcome::kMerged;
    g_backups.clear();
    g_backupResult = true;
  }

  std::string At(const char* name) const { return JoinPath(install_.c_str(), name); }

  // Runs the engine on payload under the scripted file system and commits what it installed;
  // true when it installed all.
  bool Run(const TestPayload& payload) {
    platform::ScopedFileSystem scoped(fs_);
    ExtractionJob job;
    job.installDir = install_;
    job.update = update_;
    job.payload = payload.Table();
    job.merges = kTestMerges;
    job.backup = backup_;
    job.date = "2026-12-09";
    return InstallAndCommit(job, report_);
  }

  // What is below the install directory: each file's bytes by relative path.
  std::map<std::string, std::string> Tree() const { return ReadTree(install_); }

  WorkDir work_;
  std::string install_;
  bool update_ = false;
  BackupOperation backup_ = nullptr;
  ScriptedFileSystem fs_;
  TestReport report_;
  BoxCapture boxes_;
};

TEST_F(Extraction, InstallsEveryEntryByteForByte) {
  TestPayload payload;
  const std::string at1024 = TextBytes(1024), at1025 = NoiseBytes(1025, 7);
  const std::string large = TextBytes(2 * 1024 * 1024 + 17);  // more than one output block
  payload.Add(".\\Changelog.txt", large);
  payload.Add(".\\empty.txt", "");
  payload.Add(".\\examples\\jigs\\deep\\er\\still\\1563.asc", at1024);
  payload.Add(".\\examples\\jigs\\deep\\er\\still\\160.asc", at1025);
  payload.Add(".\\lib\\sym\\cap.asy", TextBytes(353), true);
  payload.Add(".\\tvex3.exe", NoiseBytes(70000, 8));  // packed: the line still says .gz
  EXPECT_TRUE(Run(payload));

  EXPECT_EQ(report_.lastLine, "Extracting: .\\tvex3.exe.gz\n");
  EXPECT_TRUE(boxes_.Texts().empty());
  EXPECT_TRUE(ReadAll(At(".\\Changelog.txt")) == large);
  EXPECT_TRUE(FileExists(At(".\\empty.txt").c_str()));
  EXPECT_EQ(ReadAll(At(".\\empty.txt")), "");
  EXPECT_TRUE(ReadAll(At(".\\examples\\jigs\\deep\\er\\still\\1563.asc")) == at1024);
  EXPECT_TRUE(ReadAll(At(".\\examples\\jigs\\deep\\er\\still\\160.asc")) == at1025);
  EXPECT_TRUE(ReadAll(At(".\\tvex3.exe")) == NoiseBytes(70000, 8));
  EXPECT_TRUE(IsReadOnly(At(".\\lib\\sym\\cap.asy")));
  EXPECT_FALSE(IsReadOnly(At(".\\tvex3.exe")));
  EXPECT_TRUE(fs_.LeftoverTemps().empty());
  EXPECT_FALSE(Exists(At(kUndoJournalName))) << "committed";
  EXPECT_FALSE(Exists(At(kSetAsideFolderName)));
}

TEST_F(Extraction, AFreshInstallOpensEachFileOnceAndWritesNothingElsewhere) {
  TestPayload payload;
  std::vector<std::string> names;
  for (int i = 0; i < 20; ++i) {
    names.push_back(".\\examples\\set" + std::to_string(i % 3) + "\\" + std::to_string(i) + ".asc");
    payload.Add(names.back(), i % 2 ? TextBytes(3000 + i) : TextBytes(100));
  }
  names.push_back(".\\tvex3.exe");
  payload.Add(names.back(), NoiseBytes(5000, 1));
  EXPECT_TRUE(Run(payload));

  std::map<std::string, int> opens;
  for (const std::string& path : fs_.written) {
    EXPECT_EQ(path.rfind(install_, 0), 0u) << path << " lies outside the install directory";
    ++opens[path];
  }
  for (const std::string& name : names) EXPECT_EQ(opens[At(name.c_str())], 1) << name;
}

TEST_F(Extraction, OverwritesAReadOnlySymbolAndMakesItReadOnlyAgain) {
  int counter = 0;
  CreateDirectoryTree(At(".\\lib\\sym").c_str(), counter);
  const std::string symbol = At(".\\lib\\sym\\zener.asy");
  WriteAll(symbol, "an older and longer symbol from the previous installation");
  ASSERT_EQ(platform::Fs().SetReadOnly(symbol, true), 0);

  TestPayload payload;
  payload.Add(".\\lib\\sym\\zener.asy", "new", true);
  payload.Add(".\\lib\\sym\\big.asy", TextBytes(3000), true);
  EXPECT_TRUE(Run(payload));
  EXPECT_TRUE(boxes_.Texts().empty());
  EXPECT_EQ(ReadAll(symbol), "new");
  EXPECT_TRUE(IsReadOnly(symbol));

  // And once more over both read-only files, the packed one included.
  EXPECT_TRUE(Run(payload));
  EXPECT_TRUE(boxes_.Texts().empty());
  EXPECT_TRUE(ReadAll(At(".\\lib\\sym\\big.asy")) == TextBytes(3000));
  EXPECT_TRUE(IsReadOnly(At(".\\lib\\sym\\big.asy")));
}

TEST_F(Extraction, AReadOnlyFileIsReplacedWhereTheRuleIsKeptOutsideTheDisk) {
  // Root ignores file modes natively: the read-only rule is kept by the file system here.
  fs_.simulateReadOnly = true;
  int counter = 0;
  CreateDirectoryTree(At(".\\lib\\sym").c_str(), counter);
  const std::string symbol = At(".\\lib\\sym\\diode.asy");
  WriteAll(symbol, "old symbol");
  fs_.readOnly.insert(symbol);
  TestPayload payload;
  payload.Add(".\\lib\\sym\\diode.asy", TextBytes(2000), true);
  EXPECT_TRUE(Run(payload));
  EXPECT_TRUE(ReadAll(symbol) == TextBytes(2000));
  EXPECT_EQ(fs_.readOnly.count(symbol), 1u) << "read-only again afterwards";
  EXPECT_FALSE(Exists(At(kSetAsideFolderName))) << "the old read-only file is removed";
}

TEST_F(Extraction, AFileBlockingADirectoryStopsTheInstallation) {
  int counter = 0;
  CreateDirectoryTree(install_.c_str(), counter);
  WriteAll(At(".\\examples"), "a file where a directory belongs");
  TestPayload payload;
  payload.Add(".\\Changelog.txt", "first");
  payload.Add(".\\examples\\jigs\\1.asc", "jig");
  payload.Add(".\\zz.txt", "never");
  const auto before = Tree();
  EXPECT_FALSE(Run(payload));
  EXPECT_EQ(boxes_.Texts(),
            std::vector<std::string>{std::string(kWriteTrouble) + "\n" + At(".\\examples") + ": " +
                                     platform::FileErrorReason(EEXIST) + kUndone});
  EXPECT_EQ(Tree(), before) << "undone";
}

TEST_F(Extraction, AnEntryNamedLikeADirectoryStopsTheInstallation) {
  int counter = 0;
  CreateDirectoryTree(At(".\\lib\\sub").c_str(), counter);
  TestPayload payload;
  payload.Add(".\\lib\\sub", "collides");
  EXPECT_FALSE(Run(payload));
  EXPECT_EQ(boxes_.Texts(),
            std::vector<std::string>{std::string(kWriteTrouble) + "\n" + At(".\\lib\\sub") + ": " +
                                     platform::FileErrorReason(EISDIR) + kUndone});
  EXPECT_TRUE(DirectoryExists(At(".\\lib\\sub").c_str()));
}

TEST_F(Extraction, ACorruptEntryInTheMiddleStopsThere) {
  TestPayload payload;
  payload.Add(".\\a.txt", TextBytes(4000));
  payload.Add(".\\b.txt", "stored");
  std::string stream = Gzip(TextBytes(4000));
  stream[stream.size() - 6] ^= 0x20;  // inside the CRC-32
  payload.AddRaw(".\\lib\\sub\\bad.sub", stream, 4000, static_cast<std::uint32_t>(stream.size()));
  payload.Add(".\\lib\\sub\\later.sub", TextBytes(5000));
  payload.Add(".\\z.txt", "never");
  int counter = 0;
  CreateDirectoryTree(install_.c_str(), counter);
  EXPECT_FALSE(Run(payload));
  const std::string path = At(".\\lib\\sub\\bad.sub");
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Trouble writing: " + path + "\n" + path +
                                                     ": incorrect data check" + kUndone});
  EXPECT_EQ(report_.lastLine, "Undoing: a.txt\n") << "undone, the first file last";
  EXPECT_TRUE(Tree().empty()) << "the files before it are gone again";
  EXPECT_FALSE(Exists(At(".\\lib"))) << "and the folders the run made";
}

TEST_F(Extraction, CorruptAndTruncatedStreamsGiveZlibsText) {
  const std::string good = Gzip(TextBytes(5000));
  std::string badLength = good;
  badLength[badLength.size() - 4] ^= 0x01;
  std::string badData = good;
  badData[10] = static_cast<char>(0xFF);  // a reserved block type
  const std::pair<std::string, std::string> cases[] = {
      {badLength, "incorrect length check"},
      {good.substr(0, good.size() - 6), "unexpected end of file"},
      {good.substr(0, 10), "unexpected end of file"},
      {TextBytes(5000), "incorrect header check"},  // plain data is not copied through
      {badData, "invalid block type"},
  };
  const std::string path = At(".\\f.sub");
  for (const auto& [stream, text] : cases) {
    TestPayload payload;
    payload.AddRaw(".\\f.sub", stream, 5000, static_cast<std::uint32_t>(stream.size()));
    BoxCapture boxes;
    EXPECT_FALSE(Run(payload)) << text;
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Trouble writing: " + path + "\n" + path +
                                                      ": " + text + kUndone});
  }
}

TEST_F(Extraction, BytesAfterTheGzipMemberAreIgnored) {
  TestPayload payload;
  const std::string stream = Gzip(TextBytes(3000)) + "trailing";
  payload.AddRaw(".\\f.sub", stream, 3000, static_cast<std::uint32_t>(stream.size()));
  EXPECT_TRUE(Run(payload));
  EXPECT_TRUE(ReadAll(At(".\\f.sub")) == TextBytes(3000));
}

TEST_F(Extraction, DiskFullOnTheNthWrite) {
  TestPayload payload;
  payload.Add(".\\1.txt", "one");
  payload.Add(".\\2.txt", "two");
  payload.Add(".\\3.txt", "three");
  fs_.failWrite = 3;  // the journal's write is the first
  EXPECT_FALSE(Run(payload));
  ASSERT_EQ(boxes_.Texts().size(), 1u);
  EXPECT_EQ(boxes_.Texts()[0].rfind(std::string(kWriteTrouble) + "\n" + At(".\\2.txt") + ": ", 0),
            0u)
      << boxes_.Texts()[0];
  EXPECT_FALSE(Exists(install_)) << "the run made the directory; undone, it goes too";
}

TEST_F(Extraction, AFailureUndoesEveryChangeAndTouchesNothingElse) {
  // Files after the failing one may already be open while it is written.
  int counter = 0;
  CreateDirectoryTree(At(".\\lib\\sym").c_str(), counter);
  WriteAll(At(".\\c.txt"), "from the previous installation");
  WriteAll(At(".\\lib\\sym\\diode.asy"), "an older symbol");
  ASSERT_EQ(platform::Fs().SetReadOnly(At(".\\lib\\sym\\diode.asy"), true), 0);
  WriteAll(At(".\\lib\\mine.txt"), "the user's own file");
  const auto before = Tree();
  TestPayload payload;
  payload.Add(".\\a.txt", TextBytes(3000));
  payload.Add(".\\b.txt", TextBytes(4000));  // its write fails
  payload.Add(".\\c.txt", "new c");
  payload.Add(".\\d.txt", "new d");
  for (int i = 0; i < 20; ++i) payload.Add(".\\e" + std::to_string(i) + ".txt", "e");
  payload.Add(".\\lib\\sym\\diode.asy", "new", true);
  payload.Add(".\\lib\\sym\\new\\zener.asy", "new", true);
  fs_.failWrite = 3;  // the journal's write is the first
  EXPECT_FALSE(Run(payload));
  const std::string b = At(".\\b.txt");
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Trouble writing: " + b +
                                                     "\ngz_uncompress(): failed fwrite" + kUndone});
  EXPECT_EQ(Tree(), before);
  EXPECT_TRUE(IsReadOnly(At(".\\lib\\sym\\diode.asy")));
  EXPECT_FALSE(Exists(At(".\\lib\\sym\\new")));
  EXPECT_FALSE(Exists(At(kUndoJournalName)));
  EXPECT_FALSE(Exists(At(kSetAsideFolderName)));
}

TEST_F(Extraction, AFailureAtTheLastEntryOfAnUpdateUndoesItToTheByte) {
  int counter = 0;
  CreateDirectoryTree(At(".\\lib\\sym").c_str(), counter);
  CreateDirectoryTree(At(".\\lib\\cmp").c_str(), counter);
  WriteAll(At(".\\Changelog.txt"), "old log");
  WriteAll(At(".\\lib\\sym\\cap.asy"), "old symbol");
  ASSERT_EQ(platform::Fs().SetReadOnly(At(".\\lib\\sym\\cap.asy"), true), 0);
  WriteAll(At(kCap), "the user's capacitors");
  WriteAll(At(".\\lib\\cmp\\standard.cap.bak"), "an older backup");
  WriteAll(At(".\\same.txt"), "unchanged");
  WriteAll(At(".\\lib\\my notes.txt"), "the user's");
  const auto before = Tree();
  update_ = true;
  backup_ = RecordingBackup;
  TestPayload payload;
  payload.Add(".\\Changelog.txt", TextBytes(5000));
  payload.Add(kCap, TextBytes(4000));
  payload.Add(".\\lib\\sym\\cap.asy", "new symbol", true);
  payload.Add(".\\lib\\sym\\new\\zener.asy", "new", true);
  payload.Add(".\\same.txt", "unchanged");
  std::string stream = Gzip(TextBytes(3000));
  stream[stream.size() - 6] ^= 0x20;
  payload.AddRaw(".\\tvex3.exe", stream, 3000, static_cast<std::uint32_t>(stream.size()));
  EXPECT_FALSE(Run(payload));
  ASSERT_EQ(g_mergeCalls.size(), 1u) << "the database was merged before the failure";
  EXPECT_EQ(Tree(), before);
  EXPECT_TRUE(IsReadOnly(At(".\\lib\\sym\\cap.asy")));
}

// The position goes forward by bytes (a database merge counts for a fixed share) to the whole,
// and back to nothing while a failed run is undone.
TEST_F(Extraction, ThePositionGoesForwardThenBackWhenUndone) {
  TestPayload payload;
  for (int i = 0; i < 6; ++i) payload.Add(".\\f" + std::to_string(i) + ".txt", TextBytes(100 * i));
  EXPECT_TRUE(Run(payload));
  ASSERT_GE(report_.positions.size(), 7u);
  const std::uint64_t total = report_.positions.back().second;
  EXPECT_EQ(total, 1500u);
  EXPECT_EQ(report_.positions.back().first, total);
  for (std::size_t i = 1; i < report_.positions.size(); ++i)
    EXPECT_GE(report_.positions[i].first, report_.positions[i - 1].first);

  report_.positions.clear();
  std::string stream = Gzip(TextBytes(3000));
  stream[stream.size() - 6] ^= 0x20;
  payload.AddRaw(".\\g.txt", stream, 3000, static_cast<std::uint32_t>(stream.size()));
  RemoveTree(install_);
  EXPECT_FALSE(Run(payload));
  auto peak = std::max_element(report_.positions.begin(), report_.positions.end());
  ASSERT_NE(peak, report_.positions.end());
  EXPECT_GT(peak->first, 0u);
  for (auto it = peak + 1; it != report_.positions.end(); ++it)
    EXPECT_LE(it->first, (it - 1)->first) << "backwards while undone";
  EXPECT_EQ(report_.positions.back().first, 0u);
}

TEST_F(Extraction, AShorterFileReplacesALongerOneWhole) {
  int counter = 0;
  CreateDirectoryTree(install_.c_str(), counter);
  WriteAll(At(".\\short.txt"), std::string(5000, 'o'));
  WriteAll(At(".\\packed.txt"), std::string(90000, 'o'));
  TestPayload payload;
  payload.Add(".\\short.txt", "new");
  payload.Add(".\\packed.txt", TextBytes(2000));
  EXPECT_TRUE(Run(payload));
  EXPECT_EQ(ReadAll(At(".\\short.txt")), "new");
  EXPECT_TRUE(ReadAll(At(".\\packed.txt")) == TextBytes(2000));
}

TEST_F(Extraction, DiskFullDuringAMultiBlockExpansion) {
  TestPayload payload;
  payload.Add(".\\small.txt", TextBytes(2000));
  payload.Add(".\\big.txt", NoiseBytes(3 * 1024 * 1024 + 5, 4));
  payload.Add(".\\after.txt", "never");
  fs_.bytesLeft = 2000 + 1024 * 1024 + 100;  // the big file's second block does not fit
  EXPECT_FALSE(Run(payload));
  const std::string path = At(".\\big.txt");
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Trouble writing: " + path +
                                                     "\ngz_uncompress(): failed fwrite" + kUndone});
  EXPECT_FALSE(Exists(install_));
}

TEST_F(Extraction, AFailedCloseIsAFailedWrite) {
  TestPayload payload;
  payload.Add(".\\1.txt", "one");
  fs_.failClose = 2;  // the journal's close is the first
  EXPECT_FALSE(Run(payload));
  ASSERT_EQ(boxes_.Texts().size(), 1u);
  EXPECT_EQ(boxes_.Texts()[0].rfind(std::string(kWriteTrouble) + "\n" + At(".\\1.txt"), 0), 0u);

  TestPayload packed;
  packed.Add(".\\2.txt", TextBytes(5000));
  fs_.closes = 0;
  BoxCapture boxes;
  EXPECT_FALSE(Run(packed));
  const std::string path = At(".\\2.txt");
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Trouble writing: " + path +
                                                    "\ngz_uncompress(): failed fwrite" + kUndone});
}

class UpdateMode : public Extraction {
 protected:
  void SetUp() override {
    Extraction::SetUp();
    update_ = true;
    database_ = At(kCap);
    int counter = 0;
    CreateDirectoryTree(ParentDirectory(database_.c_str()).c_str(), counter);
    WriteAll(database_, "the user's own parts");
    shipped_ = TextBytes(85996);
    payload_.Add(".\\Changelog.txt", "log");
    payload_.Add(kCap, shipped_);
  }

  // The temporary files made beside the database (the others are the journal's, in the
  // install directory).
  std::vector<std::string> DatabaseTemps() const {
    std::vector<std::string> temps;
    for (const std::string& temp : fs_.temps)
      if (ParentDirectory(temp.c_str()) == ParentDirectory(database_.c_str()))
        temps.push_back(temp);
      else
        EXPECT_EQ(ParentDirectory(temp.c_str()), install_ + "\\") << temp;
    return temps;
  }
  void ExpectNoTempsLeft() { EXPECT_TRUE(fs_.LeftoverTemps().empty()); }

  // The set-aside copy of the user's database, where the merge reads it.
  std::string Aside() const { return At(".\\~tvexundo\\0\\1"); }

  std::string database_, shipped_;
  TestPayload payload_;
};

TEST_F(UpdateMode, AMergedDatabaseIsNotExtracted) {
  EXPECT_TRUE(Run(payload_));
  ASSERT_EQ(g_mergeCalls.size(), 1u);
  EXPECT_EQ(g_mergeCalls[0].output, database_);
  EXPECT_EQ(g_mergeCalls[0].existing, Aside()) << "the user's database, set aside";
  EXPECT_NE(g_mergeCalls[0].shipped, database_);
  EXPECT_TRUE(g_mergeCalls[0].shippedContent == shipped_) << "the merge gets the expanded copy";
  EXPECT_EQ(ReadAll(database_), "the user's own parts");
  EXPECT_EQ(report_.lastLine, "Merging: .\\lib\\cmp\\standard.cap.gz\n");
  EXPECT_TRUE(boxes_.Texts().empty());
  // One file for the expanded shipped copy, one for the merge's result.
  ASSERT_EQ(DatabaseTemps().size(), 2u);
  EXPECT_EQ(DatabaseTemps()[0], g_mergeCalls[0].shipped);
  ExpectNoTempsLeft();
}

TEST_F(UpdateMode, AFailedMergeOverwritesWithTheShippedCopy) {
  g_mergeResult = MergeOutcome::kFailed;
  EXPECT_TRUE(Run(payload_));
  ASSERT_EQ(g_mergeCalls.size(), 1u);
  const std::string kept = database_ + ".unmerged-2026-12-09";
  EXPECT_EQ(boxes_.Texts(),
            std::vector<std::string>{std::string(kCapFailure) +
                                     "\nYour database as it was is kept as " + kept});
  EXPECT_EQ(ReadAll(kept), "the user's own parts");
  EXPECT_TRUE(ReadAll(database_) == shipped_);
  EXPECT_EQ(report_.lastLine, "Extracting: .\\lib\\cmp\\standard.cap.gz\n");
  ExpectNoTempsLeft();
}

TEST_F(UpdateMode, AStoppedMergeStopsTheInstallation) {
  g_mergeResult = MergeOutcome::kStopped;
  payload_.Add(".\\zz.txt", "never");
  const auto before = Tree();
  EXPECT_FALSE(Run(payload_));
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{kUndone + 2})
      << "the merge reported its own failure";
  EXPECT_EQ(Tree(), before);
  ExpectNoTempsLeft();
}

TEST_F(UpdateMode, AStoredDatabaseIsMergedAsItIs) {
  TestPayload payload;
  payload.Add(".\\lib\\cmp\\Standard.BJT", ".model Q1 NPN");
  payload.Add(kCap, "small");
  WriteAll(At(".\\lib\\cmp\\Standard.BJT"), "user");
  EXPECT_TRUE(Run(payload));
  ASSERT_EQ(g_mergeCalls.size(), 2u) << "names compare without case";
  EXPECT_EQ(g_mergeCalls[0].shippedContent, ".model Q1 NPN");
  EXPECT_EQ(g_mergeCalls[1].shippedContent, "small");
  EXPECT_EQ(DatabaseTemps().size(), 4u) << "the shipped copy and the result of each";
  ExpectNoTempsLeft();
}

TEST_F(UpdateMode, WithoutAnExistingCopyTheDatabaseIsExtracted) {
  ASSERT_EQ(platform::Fs().Remove(database_), 0);
  EXPECT_TRUE(Run(payload_));
  EXPECT_TRUE(g_mergeCalls.empty());
  EXPECT_TRUE(ReadAll(database_) == shipped_);
}

TEST_F(UpdateMode, OverwriteModeNeverMerges) {
  update_ = false;
  EXPECT_TRUE(Run(payload_));
  EXPECT_TRUE(g_mergeCalls.empty());
  EXPECT_TRUE(ReadAll(database_) == shipped_);
}

TEST_F(UpdateMode, ADatabaseWithoutARowIsExtracted) {
  TestPayload payload;
  payload.Add(".\\lib\\cmp\\standard.res", "resistors");
  WriteAll(At(".\\lib\\cmp\\standard.res"), "user");
  EXPECT_TRUE(Run(payload));
  EXPECT_TRUE(g_mergeCalls.empty());
  EXPECT_EQ(ReadAll(At(".\\lib\\cmp\\standard.res")), "resistors");
}

TEST_F(UpdateMode, NoTemporaryFile) {
  // The journal's own new file is made before any change; the first temporary file to fail is
  // the one beside the database.
  fs_.refuseTemp = true;
  EXPECT_FALSE(Run(payload_));
  ASSERT_EQ(boxes_.Texts().size(), 1u);
  EXPECT_EQ(boxes_.Texts()[0].rfind("Trouble writing file.\nOut of disk space?  Permission "
                                    "problem?\n" +
                                        At(kUndoJournalName),
                                    0),
            0u)
      << boxes_.Texts()[0];
  EXPECT_EQ(ReadAll(database_), "the user's own parts");
}

TEST_F(UpdateMode, TemporaryFileCannotBeWritten) {
  TestPayload payload;
  payload.Add(".\\Changelog.txt", "log");
  payload.Add(kCap, "a small shipped database");
  fs_.failWrite = 3;  // 1 is the journal, 2 the change log, 3 the shipped database
  EXPECT_FALSE(Run(payload));
  ASSERT_EQ(boxes_.Texts().size(), 1u);
  EXPECT_EQ(boxes_.Texts()[0].rfind(std::string(kWriteTrouble) + "\n", 0), 0u);
  EXPECT_EQ(ReadAll(database_), "the user's own parts");
  ExpectNoTempsLeft();
}

TEST_F(UpdateMode, ACorruptShippedDatabase) {
  TestPayload payload;
  std::string stream = Gzip(shipped_);
  stream[stream.size() - 1] ^= 0x01;  // inside the length
  payload.AddRaw(kCap, stream, 85996, static_cast<std::uint32_t>(stream.size()));
  EXPECT_FALSE(Run(payload));
  ASSERT_EQ(DatabaseTemps().size(), 1u);
  const std::string temp = DatabaseTemps()[0];
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{"Trouble un-gziping tmpfile: " + temp + "\n" +
                                                     temp + ": incorrect length check" + kUndone});
  EXPECT_EQ(ReadAll(database_), "the user's own parts");
  ExpectNoTempsLeft();
}

TEST_F(UpdateMode, TheUsersDatabaseIsReplacedInOneStepNeverWrittenInPlace) {
  g_mergeResult = MergeOutcome::kFailed;
  EXPECT_TRUE(Run(payload_));
  EXPECT_TRUE(ReadAll(database_) == shipped_);
  update_ = false;
  WriteAll(database_, "the user's own parts");
  EXPECT_TRUE(Run(payload_));
  EXPECT_TRUE(ReadAll(database_) == shipped_);
  for (const std::string& path : fs_.written) EXPECT_NE(path, database_) << "opened for writing";
  ExpectNoTempsLeft();
}

TEST_F(UpdateMode, OverwriteKeepsADifferingDatabaseAsItsBackup) {
  update_ = false;
  backup_ = RecordingBackup;
  EXPECT_TRUE(Run(payload_));
  EXPECT_EQ(g_backups, std::vector<std::string>{database_});
  EXPECT_EQ(ReadAll(database_ + ".bak"), "the user's own parts");
  EXPECT_TRUE(ReadAll(database_) == shipped_);

  // Now the database is the shipped copy: nothing of the user's to keep.
  g_backups.clear();
  EXPECT_TRUE(Run(payload_));
  EXPECT_TRUE(g_backups.empty());
  EXPECT_TRUE(g_mergeCalls.empty());
  EXPECT_EQ(ReadAll(database_ + ".bak"), "the user's own parts");
}

TEST_F(UpdateMode, AFailedBackupInOverwriteStopsBeforeTheDatabaseIsTouched) {
  update_ = false;
  backup_ = RecordingBackup;
  g_backupResult = false;
  payload_.Add(".\\zz.txt", "never");
  const auto before = Tree();
  EXPECT_FALSE(Run(payload_));
  EXPECT_EQ(Tree(), before);
  ExpectNoTempsLeft();
}

TEST_F(UpdateMode, LeftoversOfAnInterruptedRunAreRemovedFirst) {
  const std::string folder = ParentDirectory(database_.c_str());
  WriteAll(folder + "~tvex0badf00d.tmp", "half a merged database");
  WriteAll(folder + "~tvex-not-ours.tmp", "the user's");
  WriteAll(folder + "notes.txt", "the user's");
  EXPECT_TRUE(Run(payload_));
  EXPECT_FALSE(Exists(folder + "~tvex0badf00d.tmp"));
  EXPECT_TRUE(Exists(folder + "~tvex-not-ours.tmp"));
  EXPECT_TRUE(Exists(folder + "notes.txt"));
}

TEST_F(UpdateMode, AShippedCopyThatCannotTakeThePlaceIsUndoneByTheNextRun) {
  g_mergeResult = MergeOutcome::kFailed;
  fs_.failReplaceTo = database_;  // neither the shipped copy nor the user's goes back there
  EXPECT_FALSE(Run(payload_));
  ASSERT_EQ(boxes_.Texts().size(), 2u);
  EXPECT_NE(boxes_.Texts()[1].find("could not be undone completely: " + database_),
            std::string::npos)
      << boxes_.Texts()[1];
  EXPECT_TRUE(Exists(At(kUndoJournalName))) << "kept for the next run";

  fs_.failReplaceTo.clear();
  g_mergeResult = MergeOutcome::kMerged;
  EXPECT_TRUE(Run(payload_));
  EXPECT_EQ(ReadAll(database_), "the user's own parts");
  ExpectNoTempsLeft();
}

}  // namespace
