#include "tools/cmpdb/database_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"
#include "tools/sampletree/sample_databases.h"

namespace {

using namespace tvex_test;

class DatabaseReport : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WriteSampleRecordDatabases(dir_.Path(""))); }

  // What the report writes for the file.
  std::string Report(bool (*report)(DatabaseKind, const std::string&, std::FILE*,
                                    platform::Reporter&),
                     DatabaseKind kind, const std::string& name, bool* ok = nullptr) {
    std::string out = dir_.Path("report.txt");
    std::FILE* f = std::fopen(NativePath(out).c_str(), "wb");
    bool result = report(kind, dir_.Path(name), f, BoxReport());
    std::fclose(f);
    if (ok) *ok = result;
    return ReadAll(out);
  }

  WorkDir dir_;
};

TEST_F(DatabaseReport, KindsByNameAndExtension) {
  EXPECT_EQ(KindFromName("bead"), DatabaseKind::kBead);
  EXPECT_EQ(KindFromName("BEAD"), std::nullopt);
  EXPECT_EQ(KindFromPath("C:\\x\\standard.CAP"), DatabaseKind::kCap);
  EXPECT_EQ(KindFromPath("lib/cmp/standard.jft"), DatabaseKind::kJft);
  EXPECT_EQ(KindFromPath("lib.cap/standard"), std::nullopt);
  EXPECT_EQ(KindFromPath("standard.txt"), std::nullopt);
}

TEST_F(DatabaseReport, CheckCountsOrderAndSharedKeys) {
  EXPECT_EQ(Report(CheckDatabase, DatabaseKind::kCap, "standard.cap"),
            "records: 1296\nout of order: 0\nequal to the next: 0\nsharing a key: 2\n");
  std::string beads = Report(CheckDatabase, DatabaseKind::kBead, "standard.bead");
  EXPECT_EQ(beads.find("records: 116\nout of order: 0\n"), std::string::npos)
      << "stored by part number, not in the inductor order";
  EXPECT_NE(beads.find("sharing a key: 0\n"), std::string::npos);
  BoxCapture log;
  bool ok = true;
  Report(CheckDatabase, DatabaseKind::kCap, "missing.cap", &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(log.Texts(), std::vector<std::string>{dir_.Path("missing.cap") + " was not found."});
}

TEST_F(DatabaseReport, DumpWritesOneLinePerRecord) {
  std::string lines = Report(DumpDatabase, DatabaseKind::kRes, "standard.res");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 481);
  EXPECT_EQ(lines.substr(0, lines.find('\n')), "\t\t10\t0.100000001\t0.00999999978");
}

TEST_F(DatabaseReport, BeadsMergeThroughTheInductorMerge) {
  std::string user = dir_.Path("user.bead");
  WriteAll(user, ReadAll(dir_.Path("standard.bead")));
  EXPECT_EQ(MergeDatabase(DatabaseKind::kBead, user.c_str(), dir_.Path("standard.bead").c_str(),
                          user.c_str(), BoxReport()),
            MergeResult::kMerged);
  EXPECT_EQ(Report(CheckDatabase, DatabaseKind::kBead, "user.bead"),
            "records: 116\nout of order: 0\nequal to the next: 0\nsharing a key: 0\n");
}

}  // namespace
