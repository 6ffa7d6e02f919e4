#include "payload/extraction.h"

#include <gtest/gtest.h>

#include "payload/install_state.h"
#include "payload/paths.h"
#include "payload_test_support.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/work_dir.h"

namespace {

using namespace payload_test;
using namespace tvex_test;

constexpr char kWriteTrouble[] = "Trouble writing file.\nOut of disk space?  Permission problem?";
constexpr char kCap[] = ".\\lib\\cmp\\standard.cap";
constexpr char kCapFailure[] = "Trouble merging capacitor databases.\n    ...overwriting";

// A merge operation that records what it was given and what the shipped copy held.
struct MergeCall {
  std::string output, shipped, existing, shippedContent;
};
std::vector<MergeCall> g_mergeCalls;
int g_mergeResult = 1;

int RecordingMerge(const char* output, const char* shipped, const char* existing) {
  g_mergeCalls.push_back({output, shipped, existing, ReadAll(shipped)});
  return g_mergeResult;
}

const DatabaseMergeRow kTestRows[] = {
    {".\\lib\\cmp\\standard.bjt", RecordingMerge,
     "Trouble merging BJT databases.\n    ...overwriting"},
    {kCap, RecordingMerge, kCapFailure},
};
const DatabaseMergeTable kTestMerges{kTestRows, std::size(kTestRows)};

class Extraction : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = work_.path() + "\\Tvex III";
    StartFreshInstall(install_);
    g_szStatus.Set("stale");
    g_mergeCalls.clear();
    g_mergeResult = 1;
  }

  std::string At(const char* name) const { return JoinPath(install_.c_str(), name); }

  // Runs the engine on payload under the scripted file system.
  void Run(const TestPayload& payload) {
    platform::ScopedFileSystem scoped(fs_);
    RunExtraction(payload.Table(), kTestMerges);
  }

  WorkDir work_;
  std::string install_;
  ScriptedFileSystem fs_;
  BoxCapture boxes_;
};

TEST_F(Extraction, InstallsEveryEntryByteForByte) {
  TestPayload payload;
  const std::string at1024 = TextBytes(1024), at1025 = NoiseBytes(1025, 7);
  const std::string large = TextBytes(2 * 1024 * 1024 + 17);
  payload.Add(".\\Changelog.txt", large);
  payload.Add(".\\empty.txt", "");
  payload.Add(".\\examples\\jigs\\deep\\er\\still\\1563.asc", at1024);
  payload.Add(".\\examples\\jigs\\deep\\er\\still\\160.asc", at1025);
  payload.Add(".\\lib\\sym\\cap.asy", TextBytes(353), true);
  payload.Add(".\\tvex3.exe", NoiseBytes(70000, 8));  // packed: the line still says .gz
  Run(payload);

  EXPECT_EQ(g_bInstallDone.load(), 1);
  EXPECT_EQ(g_szStatus.Get(), "Extracting: .\\tvex3.exe.gz\n");
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
  Run(payload);
  EXPECT_TRUE(boxes_.Texts().empty());
  EXPECT_EQ(ReadAll(symbol), "new");
  EXPECT_TRUE(IsReadOnly(symbol));

  // And once more over both read-only files, the packed one included.
  Run(payload);
  EXPECT_TRUE(boxes_.Texts().empty());
  EXPECT_TRUE(ReadAll(At(".\\lib\\sym\\big.asy")) == TextBytes(3000));
  EXPECT_TRUE(IsReadOnly(At(".\\lib\\sym\\big.asy")));
}

using ExtractionDeathTest = Extraction;

TEST_F(ExtractionDeathTest, AFileBlockingADirectoryEndsTheInstallation) {
  int counter = 0;
  CreateDirectoryTree(install_.c_str(), counter);
  WriteAll(At(".\\examples"), "a file where a directory belongs");
  TestPayload payload;
  payload.Add(".\\Changelog.txt", "first");
  payload.Add(".\\examples\\jigs\\1.asc", "jig");
  payload.Add(".\\zz.txt", "never");
  EXPECT_EXIT(Run(payload), ::testing::ExitedWithCode(0), BoxPattern(kWriteTrouble));
  EXPECT_EQ(ReadAll(At(".\\Changelog.txt")), "first");
  EXPECT_EQ(ReadAll(At(".\\examples")), "a file where a directory belongs");
  EXPECT_FALSE(FileExists(At(".\\zz.txt").c_str()));
  EXPECT_EQ(g_bInstallDone.load(), 0);
}

TEST_F(ExtractionDeathTest, AnEntryNamedLikeADirectoryEndsTheInstallation) {
  int counter = 0;
  CreateDirectoryTree(At(".\\lib\\sub").c_str(), counter);
  TestPayload payload;
  payload.Add(".\\lib\\sub", "collides");
  EXPECT_EXIT(Run(payload), ::testing::ExitedWithCode(0), BoxPattern(kWriteTrouble));
}

TEST_F(ExtractionDeathTest, ACorruptStreamShowsZlibsText) {
  TestPayload payload;
  std::string stream = Gzip(TextBytes(4000));
  stream[stream.size() - 6] ^= 0x20;  // inside the CRC-32
  payload.AddRaw(".\\lib\\sub\\bad.sub", stream, 4000, static_cast<std::uint32_t>(stream.size()));
  const std::string path = At(".\\lib\\sub\\bad.sub");
  EXPECT_EXIT(Run(payload), ::testing::ExitedWithCode(0),
              BoxPattern("Trouble writing: " + path + "\n" + path + ": incorrect data check"));
}

TEST_F(ExtractionDeathTest, DiskFullOnTheNthWrite) {
  TestPayload payload;
  payload.Add(".\\1.txt", "one");
  payload.Add(".\\2.txt", "two");
  payload.Add(".\\3.txt", "three");
  fs_.failWrite = 2;
  EXPECT_EXIT(Run(payload), ::testing::ExitedWithCode(0), BoxPattern(kWriteTrouble));
  EXPECT_EQ(ReadAll(At(".\\1.txt")), "one");
  EXPECT_FALSE(FileExists(At(".\\3.txt").c_str()));
}

TEST_F(ExtractionDeathTest, DiskFullWhileExpanding) {
  TestPayload payload;
  payload.Add(".\\big.txt", TextBytes(100000));
  fs_.failWrite = 2;  // 1 writes the stream, 2 the first expanded block
  const std::string path = At(".\\big.txt");
  EXPECT_EXIT(Run(payload), ::testing::ExitedWithCode(0),
              BoxPattern("Trouble writing: " + path + "\ngz_uncompress(): failed fwrite"));
}

TEST_F(ExtractionDeathTest, AFailedCloseIsAFailedWrite) {
  TestPayload payload;
  payload.Add(".\\1.txt", "one");
  fs_.failClose = 1;
  EXPECT_EXIT(Run(payload), ::testing::ExitedWithCode(0), BoxPattern(kWriteTrouble));
}

class UpdateMode : public Extraction {
 protected:
  void SetUp() override {
    Extraction::SetUp();
    g_bUpdateMode = 1;
    database_ = At(kCap);
    int counter = 0;
    CreateDirectoryTree(ParentDirectory(database_.c_str()).c_str(), counter);
    WriteAll(database_, "the user's own parts");
    shipped_ = TextBytes(85996);
    payload_.Add(".\\Changelog.txt", "log");
    payload_.Add(kCap, shipped_);
  }
  std::string database_, shipped_;
  TestPayload payload_;
};

TEST_F(UpdateMode, AMergedDatabaseIsNotExtracted) {
  Run(payload_);
  ASSERT_EQ(g_mergeCalls.size(), 1u);
  EXPECT_EQ(g_mergeCalls[0].output, database_);
  EXPECT_EQ(g_mergeCalls[0].existing, database_);
  EXPECT_NE(g_mergeCalls[0].shipped, database_);
  EXPECT_TRUE(g_mergeCalls[0].shippedContent == shipped_) << "the merge gets the expanded copy";
  EXPECT_EQ(ReadAll(database_), "the user's own parts");
  EXPECT_EQ(g_szStatus.Get(), "Merging: .\\lib\\cmp\\standard.cap.gz\n");
  EXPECT_TRUE(boxes_.Texts().empty());
  EXPECT_EQ(g_bInstallDone.load(), 1);
  ASSERT_EQ(fs_.temps.size(), 2u) << "one for the shipped copy, one for its expansion";
  EXPECT_EQ(fs_.temps[0], g_mergeCalls[0].shipped);
  EXPECT_TRUE(fs_.LeftoverTemps().empty());
}

TEST_F(UpdateMode, AFailedMergeOverwritesWithTheShippedCopy) {
  g_mergeResult = 0;
  Run(payload_);
  ASSERT_EQ(g_mergeCalls.size(), 1u);
  EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{kCapFailure});
  EXPECT_TRUE(ReadAll(database_) == shipped_);
  EXPECT_EQ(g_szStatus.Get(), "Extracting: .\\lib\\cmp\\standard.cap.gz\n");
  EXPECT_TRUE(fs_.LeftoverTemps().empty());
}

TEST_F(UpdateMode, AStoredDatabaseIsMergedAsItIs) {
  TestPayload payload;
  payload.Add(".\\lib\\cmp\\Standard.BJT", ".model Q1 NPN");
  payload.Add(kCap, "small");
  WriteAll(At(".\\lib\\cmp\\Standard.BJT"), "user");
  Run(payload);
  ASSERT_EQ(g_mergeCalls.size(), 2u) << "names compare without case";
  EXPECT_EQ(g_mergeCalls[0].shippedContent, ".model Q1 NPN");
  EXPECT_EQ(g_mergeCalls[1].shippedContent, "small");
  EXPECT_EQ(fs_.temps.size(), 2u) << "stored entries need no expansion";
  EXPECT_TRUE(fs_.LeftoverTemps().empty());
}

TEST_F(UpdateMode, WithoutAnExistingCopyTheDatabaseIsExtracted) {
  ASSERT_EQ(platform::Fs().Remove(database_), 0);
  Run(payload_);
  EXPECT_TRUE(g_mergeCalls.empty());
  EXPECT_TRUE(ReadAll(database_) == shipped_);
}

TEST_F(UpdateMode, OverwriteModeNeverMerges) {
  g_bUpdateMode = 0;
  Run(payload_);
  EXPECT_TRUE(g_mergeCalls.empty());
  EXPECT_TRUE(ReadAll(database_) == shipped_);
}

TEST_F(UpdateMode, ADatabaseWithoutARowIsExtracted) {
  TestPayload payload;
  payload.Add(".\\lib\\cmp\\standard.res", "resistors");
  WriteAll(At(".\\lib\\cmp\\standard.res"), "user");
  Run(payload);
  EXPECT_TRUE(g_mergeCalls.empty());
  EXPECT_EQ(ReadAll(At(".\\lib\\cmp\\standard.res")), "resistors");
}

using UpdateModeDeathTest = UpdateMode;

TEST_F(UpdateModeDeathTest, NoTemporaryFile) {
  fs_.refuseTemp = true;
  EXPECT_EXIT(Run(payload_), ::testing::ExitedWithCode(0),
              BoxPattern("Trouble creating temporary file.\nOut of disk space?  Permission "
                         "problem?"));
  EXPECT_EQ(ReadAll(database_), "the user's own parts");
}

TEST_F(UpdateModeDeathTest, TemporaryFileCannotBeWritten) {
  fs_.failWrite = 2;  // 1 is the change log, 2 the shipped database
  EXPECT_EXIT(Run(payload_), ::testing::ExitedWithCode(0), BoxPattern(kWriteTrouble));
}

TEST_F(UpdateModeDeathTest, ACorruptShippedDatabase) {
  TestPayload payload;
  std::string stream = Gzip(shipped_);
  stream[stream.size() - 1] ^= 0x01;  // inside the length
  payload.AddRaw(kCap, stream, 85996, static_cast<std::uint32_t>(stream.size()));
  EXPECT_EXIT(Run(payload), ::testing::ExitedWithCode(0),
              BoxPattern("Trouble un-gziping tmpfile: ", ": incorrect length check"));
  EXPECT_EQ(ReadAll(database_), "the user's own parts");
}

}  // namespace
