#include "payload/gunzip.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/test_payload.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

class Gunzip : public ::testing::Test {
 protected:
  void SetUp() override { path_ = work_.Path("expanded.asc"); }

  // Expands stream into the file at path_ under the scripted file system.
  Failure Expand(const std::string& stream) {
    platform::ScopedFileSystem scoped(fs_);
    std::unique_ptr<std::FILE, platform::FileCloser> out(platform::Fs().Open(path_, "wb"));
    if (!out) return std::string("cannot open ") + path_;
    return expander_.Expand(reinterpret_cast<const unsigned char*>(stream.data()), stream.size(),
                            path_, out.get());
  }

  WorkDir work_;
  std::string path_;
  ScriptedFileSystem fs_;
  GzipExpander expander_;  // one for the whole test, as for a whole installation
};

TEST_F(Gunzip, ExpandsByteForByteWithOneStateForManyStreams) {
  const std::string contents[] = {
      std::string(),
      std::string("x"),
      TextBytes(1025),
      NoiseBytes(1357, 1),                 // its stream is larger than the content
      TextBytes(1024 * 1024),              // exactly one full output block
      TextBytes(3 * 1024 * 1024 + 1),      // a small stream that expands to many blocks
      NoiseBytes(2 * 1024 * 1024 + 3, 2),  // many blocks of stream
  };
  for (const std::string& content : contents) {
    const Failure failure = Expand(Gzip(content));
    ASSERT_FALSE(failure) << *failure;
    EXPECT_TRUE(ReadAll(path_) == content) << "size " << content.size();
  }
  EXPECT_EQ(fs_.writes, 0 + 1 + 1 + 1 + 1 + 4 + 3) << "one write per block, none when empty";
}

TEST_F(Gunzip, AFailedStreamLeavesTheStateReadyForTheNext) {
  std::string bad = Gzip(TextBytes(5000));
  bad[bad.size() - 8] ^= 0x55;  // the CRC-32
  EXPECT_EQ(Expand(bad), path_ + ": incorrect data check");
  const Failure failure = Expand(Gzip(TextBytes(7000)));
  ASSERT_FALSE(failure) << *failure;
  EXPECT_TRUE(ReadAll(path_) == TextBytes(7000));
}

TEST_F(Gunzip, AShortWriteIsAFailedFwrite) {
  fs_.failWrite = 2;
  EXPECT_EQ(Expand(Gzip(NoiseBytes(3 * 1024 * 1024, 5))), "gz_uncompress(): failed fwrite");
}

}  // namespace
