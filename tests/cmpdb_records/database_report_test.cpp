#include "tools/cmpdb/database_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "cmpdb/model_database.h"
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

TEST_F(DatabaseReport, DumpOfAModelDatabaseShowsWhatEachRecordTakesFromItsStatement) {
  struct Case {
    const char* file;
    DatabaseKind kind;
    const char* text;
    const char* dump;
  };
  const Case cases[] = {
      {"q.bjt", DatabaseKind::kBjt,
       "* header\r\n.model QX1 ako:Q2 PNP(Bf=90 Vceo=30 Icrating=800m mfg=Big_Parts)\r\n"
       ".model Q3 NPN(Bf=100 Vceo=40)\r\n",
       "QX1\t.model QX1 ako:Q2 PNP(Bf=90 Vceo=30 Icrating=800m mfg=Big_Parts)"
       "\tpnp\tBig Parts\t30\t0.8\n"
       "Q3\t.model Q3 NPN(Bf=100 Vceo=40)\tnpn\t\t40\t0\n"},
      {"m.mos", DatabaseKind::kMos,
       ".model M2 VDMOS(pchan Rg=3 Vds=-60 Ron=85m Qg=22n mfg=Harwick_Power)\r\n"
       ".model M3 NMOS\r\n",
       "M2\t.model M2 VDMOS(pchan Rg=3 Vds=-60 Ron=85m Qg=22n mfg=Harwick_Power)"
       "\tP-chan\tHarwick Power\t-60\t0.085\t2.2e-08\n"
       "M3\t.model M3 NMOS\tN-chan\t\t0\t0\t0\n"},
      {"j.jft", DatabaseKind::kJft, ".model J1 PJF(Beta=1m mfg=X)\r\n",
       "J1\t.model J1 PJF(Beta=1m mfg=X)\tpjf\tX\n"},
      // Bytes that would break a line or a column apart are written as \xHH.
      {"d.dio", DatabaseKind::kDio,
       ".model D\x01\\ D(Is=1n Iave=200m Vpk=75 mfg=Y type=silicon)\r\n",
       "D\\x01\\x5C\t.model D\\x01\\x5C D(Is=1n Iave=200m Vpk=75 mfg=Y type=silicon)"
       "\tsilicon\tY\t0.2\t75\n"},
  };
  for (const Case& c : cases) {
    WriteAll(dir_.Path(c.file), c.text);
    EXPECT_EQ(Report(DumpDatabase, c.kind, c.file), c.dump) << c.file;
  }
}

TEST_F(DatabaseReport, EveryModelOfTheSampleDatabasesDumpsWithTheColumnsOfItsKind) {
  ASSERT_TRUE(WriteSampleModelDatabases(dir_.Path("")));
  struct Database {
    const char* name;
    DatabaseKind kind;
    ModelKind models;
    std::size_t columns;
  };
  for (const Database& d : {Database{"standard.bjt", DatabaseKind::kBjt, ModelKind::kBjt, 6},
                            Database{"standard.mos", DatabaseKind::kMos, ModelKind::kMosfet, 7},
                            Database{"standard.jft", DatabaseKind::kJft, ModelKind::kJfet, 4},
                            Database{"standard.dio", DatabaseKind::kDio, ModelKind::kDiode, 6}}) {
    CRecordList models;
    ASSERT_TRUE(LoadModelDatabase(dir_.Path(d.name).c_str(), d.models, models));
    const std::string lines = Report(DumpDatabase, d.kind, d.name);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), models.Count()) << d.name;
    int i = 0;
    for (std::size_t at = 0; at < lines.size(); ++i) {
      const std::size_t end = lines.find('\n', at);
      const std::string line = lines.substr(at, end - at);
      EXPECT_EQ(std::size_t(std::count(line.begin(), line.end(), '\t')) + 1, d.columns) << line;
      ASSERT_LT(i, models.Count());
      EXPECT_EQ(line.substr(0, line.find('\t')), models.At(i)->m_strName) << d.name;
      at = end + 1;
    }
  }
  BoxCapture log;
  bool ok = true;
  Report(DumpDatabase, DatabaseKind::kBjt, "missing.bjt", &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(log.Texts(), std::vector<std::string>{"cannot read " + dir_.Path("missing.bjt")});
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
