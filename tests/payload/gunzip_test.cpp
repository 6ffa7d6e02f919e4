#include "payload/gunzip.h"

#include <gtest/gtest.h>

#include "payload_test_support.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/work_dir.h"

namespace {

using namespace payload_test;
using namespace tvex_test;

class Gunzip : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = work_.path();
    path_ = dir_ + "\\packed.asc";
  }

  // Expands stream in place under the scripted file system; the message, if any.
  Failure Expand(const std::string& stream) {
    WriteAll(path_, stream);
    platform::ScopedFileSystem scoped(fs_);
    return GunzipInPlace(path_.c_str());
  }

  WorkDir work_;
  std::string dir_;
  std::string path_;
  ScriptedFileSystem fs_;
};

TEST_F(Gunzip, ExpandsInPlaceByteForByte) {
  const std::string contents[] = {
      std::string(),
      std::string("x"),
      TextBytes(1025),
      NoiseBytes(1357, 1),            // its stream is larger than the content
      TextBytes(256 * 1024),          // exactly one full output buffer
      TextBytes(3 * 256 * 1024 + 1),  // one small input chunk expands to many buffers
      NoiseBytes(700 * 1024 + 3, 2),  // many input chunks
  };
  for (const std::string& content : contents) {
    const Failure failure = Expand(Gzip(content));
    ASSERT_FALSE(failure) << *failure;
    EXPECT_TRUE(ReadAll(path_) == content) << "size " << content.size();
  }
  EXPECT_EQ(fs_.temps.size(), std::size(contents));
  EXPECT_TRUE(fs_.LeftoverTemps().empty());
}

TEST_F(Gunzip, CorruptStreamsGiveZlibsText) {
  const std::string content = TextBytes(5000);
  const std::string good = Gzip(content);

  std::string badCrc = good;
  badCrc[badCrc.size() - 8] ^= 0x55;
  std::string badLength = good;
  badLength[badLength.size() - 4] ^= 0x01;
  const std::string truncated = good.substr(0, good.size() - 6);
  const std::string headerOnly = good.substr(0, 10);
  std::string badData = good;
  badData[10] = static_cast<char>(0xFF);  // a reserved block type

  const std::pair<std::string, std::string> cases[] = {
      {badCrc, "incorrect data check"},
      {badLength, "incorrect length check"},
      {truncated, "unexpected end of file"},
      {headerOnly, "unexpected end of file"},
      {std::string(), "unexpected end of file"},
      {content, "incorrect header check"},  // a plain file is not copied through
      {badData, "invalid block type"},
  };
  for (const auto& [stream, text] : cases) {
    const Failure failure = Expand(stream);
    ASSERT_TRUE(failure) << text;
    EXPECT_EQ(*failure, path_ + ": " + text);
    EXPECT_TRUE(ReadAll(path_) == stream) << "the packed file is left as it was: " << text;
  }
  EXPECT_TRUE(fs_.LeftoverTemps().empty());
}

TEST_F(Gunzip, BytesAfterTheStreamAreIgnored) {
  const Failure failure = Expand(Gzip("abc") + "trailing");
  ASSERT_FALSE(failure) << *failure;
  EXPECT_EQ(ReadAll(path_), "abc");
}

TEST_F(Gunzip, OpenFailuresNameTheFile) {
  const std::string missing = dir_ + "\\missing.gz";
  EXPECT_EQ(GunzipToFile(missing.c_str(), (dir_ + "\\out").c_str()),
            "Could not open uncompression input file: \"" + missing + "\"");
  WriteAll(path_, Gzip("abc"));
  const std::string nowhere = dir_ + "\\no\\such\\dir\\out";
  EXPECT_EQ(GunzipToFile(path_.c_str(), nowhere.c_str()),
            "Could not open uncompression output file: \"" + nowhere + "\"");
}

TEST_F(Gunzip, ShortWriteAndFailedCloseOfTheExpansion) {
  // Write 1 is the first expanded block of GunzipToFile.
  fs_.failWrite = 1;
  EXPECT_EQ(Expand(Gzip(TextBytes(4000))), "gz_uncompress(): failed fwrite");
  fs_.failWrite = 0;
  // Close 1 is the expanded output.
  fs_.closes = 0;
  fs_.failClose = 1;
  EXPECT_EQ(Expand(Gzip(TextBytes(4000))), "gz_uncompress(): failed fwrite");
  EXPECT_TRUE(fs_.LeftoverTemps().empty());
}

TEST_F(Gunzip, FailedCopyBackNamesThePath) {
  fs_.refuseWritePath = path_;
  const std::string stream = Gzip(TextBytes(4000));
  EXPECT_EQ(Expand(stream),
            "Trouble uncompressing file: \"" + path_ + "\"\n    Disk full?  Permission problem?");
  EXPECT_TRUE(ReadAll(path_) == stream);
  EXPECT_TRUE(fs_.LeftoverTemps().empty());
}

TEST_F(Gunzip, NoTemporaryFileNoExpansion) {
  fs_.refuseTemp = true;
  const std::string stream = Gzip("abc");
  const Failure failure = Expand(stream);
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find(path_), std::string::npos) << *failure;
  EXPECT_TRUE(ReadAll(path_) == stream);
}

TEST_F(Gunzip, ATemporaryNameEqualToThePathStops) {
  tvex_test::BoxCapture boxes;
  fs_.forcedTemp = path_;
  const std::string stream = Gzip("abc");
  EXPECT_EQ(Expand(stream), "Internal Error: duplicate tmp file names.");
  EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Internal Error: duplicate tmp file names."});
  EXPECT_TRUE(ReadAll(path_) == stream);
}

class CopyBytes : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = work_.path();
    source_ = dir_ + "\\source";
    target_ = dir_ + "\\target";
  }
  WorkDir work_;
  std::string dir_, source_, target_;
};

TEST_F(CopyBytes, CopiesOverAReadOnlyTarget) {
  const std::string content = NoiseBytes(600 * 1024 + 5, 3);
  WriteAll(source_, content);
  WriteAll(target_, "an older and longer backup that must go entirely");
  ASSERT_EQ(platform::Fs().SetReadOnly(target_, true), 0);
  EXPECT_TRUE(CopyFileBytes(source_.c_str(), target_.c_str()));
  EXPECT_TRUE(ReadAll(target_) == content);

  WriteAll(source_, "");
  EXPECT_TRUE(CopyFileBytes(source_.c_str(), target_.c_str()));
  EXPECT_EQ(ReadAll(target_), "");
}

TEST_F(CopyBytes, ReportsEveryFailure) {
  EXPECT_FALSE(CopyFileBytes((dir_ + "\\missing").c_str(), target_.c_str()));
  EXPECT_FALSE(CopyFileBytes(nullptr, target_.c_str()));
  WriteAll(source_, TextBytes(700 * 1024));
  EXPECT_FALSE(CopyFileBytes(source_.c_str(), (dir_ + "\\no\\dir\\target").c_str()));
  EXPECT_FALSE(CopyFileBytes(source_.c_str(), dir_.c_str())) << "a directory is no target";

  ScriptedFileSystem fs;
  platform::ScopedFileSystem scoped(fs);
  fs.failWrite = 2;
  EXPECT_FALSE(CopyFileBytes(source_.c_str(), target_.c_str())) << "short write";
  fs.failWrite = 0;
  fs.failClose = fs.closes + 1;  // the target is closed first
  EXPECT_FALSE(CopyFileBytes(source_.c_str(), target_.c_str())) << "failed close";
  fs.failClose = 0;
  EXPECT_TRUE(CopyFileBytes(source_.c_str(), target_.c_str()));
}

TEST(MakeTempName, CreatesDistinctEmptyFiles) {
  const std::string a = MakeTempName("tmp");
  const std::string b = MakeTempName("tmp");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  EXPECT_NE(a, b);
  EXPECT_EQ(ReadAll(a), "");
  EXPECT_NE(a.find("tmp"), std::string::npos);
  EXPECT_EQ(platform::Fs().Remove(a), 0);
  EXPECT_EQ(platform::Fs().Remove(b), 0);
}

}  // namespace
