// tvex-extract built from the small test tree refuses a copy of itself with one byte damaged,
// wherever the byte lies in its payload, before it writes anything.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "payload/payload_check.h"
#include "tests/support/built_payload.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

struct Outcome {
  int exitCode = -1;
  std::string errors;
};

// Runs program with the install directory dir; its stderr is kept.
Outcome RunExtract(const std::string& program, const std::string& dir, const std::string& errors) {
  const std::string command = "'" + program + "' '" + dir + "' >/dev/null 2>'" + errors + "'";
  const int status = std::system(command.c_str());
  Outcome run;
  if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  run.errors = ReadAll(errors);
  return run;
}

class ExtractCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    image_ = ReadAll(TVEX_TEST_EXTRACT);
    ASSERT_FALSE(image_.empty());
  }

  // A runnable copy of the program made of bytes.
  std::string Copy(const std::string& bytes, const std::string& name) {
    const std::string path = NativePath(work_.Path(name));
    WriteAll(path, bytes);
    ::chmod(path.c_str(), 0755);
    return path;
  }

  // A runnable copy of the program with the byte at offset changed.
  std::string DamagedCopy(std::size_t offset) {
    std::string bytes = image_;
    EXPECT_LT(offset, bytes.size());
    if (offset < bytes.size()) bytes[offset] = static_cast<char>(bytes[offset] ^ 0x10);
    return Copy(bytes, "damaged");
  }

  WorkDir work_;
  std::string image_;
};

TEST_F(ExtractCheck, AnUndamagedCopyInstallsTheTree) {
  const std::string copy = Copy(image_, "intact");
  const Outcome run =
      RunExtract(copy, NativePath(work_.Path("out")), NativePath(work_.Path("err")));
  EXPECT_EQ(run.exitCode, 0) << run.errors;
  EXPECT_EQ(ReadAll(work_.Path("out\\Changelog.txt")),
            ReadAll(std::string(TVEX_TEST_TREE) + "/Changelog.txt"));
}

TEST_F(ExtractCheck, AnyDamagedByteIsRefusedBeforeAnythingIsWritten) {
  const BuiltEntry stored = FindBuiltEntry(image_, ".\\Changelog.txt");
  const BuiltEntry packed = FindBuiltEntry(image_, ".\\License.txt");
  const BuiltEntry edge = FindBuiltEntry(image_, ".\\lib\\sub\\edge1024.lib");
  ASSERT_NE(stored.record, BuiltEntry::npos) << "the stored entry's record was not found";
  ASSERT_NE(packed.record, BuiltEntry::npos);
  ASSERT_NE(edge.record, BuiltEntry::npos);
  // The entries are what the tree says they are.
  const std::string changelog = ReadAll(std::string(TVEX_TEST_TREE) + "/Changelog.txt");
  EXPECT_EQ(stored.packedSize, 0u);
  EXPECT_EQ(image_.substr(stored.data, changelog.size()), changelog);
  EXPECT_GT(packed.packedSize, 18u);
  EXPECT_EQ(image_.substr(packed.data, 3), "\x1F\x8B\x08");
  EXPECT_EQ(edge.size, 1024u);

  const struct {
    const char* what;
    std::size_t offset;
  } damages[] = {
      {"a byte of a stored entry", stored.data + changelog.size() / 2},
      {"a byte inside a packed entry's deflate data", packed.data + packed.packedSize / 2},
      {"the last byte of a packed entry's trailer", packed.data + packed.packedSize - 1},
      {"a letter of a name in the table", edge.name + 12},
      {"a size in the table", edge.record + kRecordSizeField},
  };
  for (const auto& damage : damages) {
    SCOPED_TRACE(damage.what);
    const std::string copy = DamagedCopy(damage.offset);
    const std::string out = NativePath(work_.Path("out"));
    const Outcome run = RunExtract(copy, out, NativePath(work_.Path("err")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, std::string("tvex-extract: ") + kDamagedPayloadText + "\n");
    EXPECT_FALSE(Exists(out)) << "nothing may be written, not even the directory";
  }
}

}  // namespace
