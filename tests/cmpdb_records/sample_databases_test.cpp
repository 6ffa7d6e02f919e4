#include "tools/sampletree/sample_databases.h"

#include <gtest/gtest.h>

#include <set>

#include "cmpdb/record_document.h"
#include "cmpdb/record_merge.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

class SampleDatabases : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(WriteSampleRecordDatabases(dir_.Path(""))); }

  template <class Doc>
  std::unique_ptr<Doc> Open(const std::string& name) {
    auto doc = std::make_unique<Doc>();
    EXPECT_TRUE(doc->Open(dir_.Path(name), BoxReport()));
    return doc;
  }

  // Merges the file into a copy of itself, as an update that finds the database unchanged.
  template <class Doc>
  std::unique_ptr<Doc> MergedIntoItself(const std::string& name,
                                        MergeResult (*merge)(const char*, const char*, const char*,
                                                             platform::Reporter&)) {
    std::string user = dir_.Path("user-" + name);
    WriteAll(user, ReadAll(dir_.Path(name)));
    EXPECT_EQ(merge(user.c_str(), dir_.Path(name).c_str(), user.c_str(), BoxReport()),
              MergeResult::kMerged);
    EXPECT_EQ(ReadAll(user + ".bak"), ReadAll(dir_.Path(name)));
    return Open<Doc>("user-" + name);
  }

  template <class Doc>
  static void ExpectStrictlyOrdered(const Doc& doc) {
    for (std::size_t i = 0; i + 1 < doc.m_records.size(); ++i) {
      ASSERT_LT(CompareRecs(*doc.m_records[i], *doc.m_records[i + 1]), 0) << i;
    }
  }

  WorkDir dir_;
};

TEST_F(SampleDatabases, ShapeOfEachFile) {
  auto caps = Open<CCapacitorDoc>("standard.cap");
  ASSERT_EQ(caps->m_records.size(), 1296u);
  ExpectStrictlyOrdered(*caps);
  std::set<std::string> makers;
  int upl = 0;
  for (const auto& r : caps->m_records) {
    makers.insert(r->m_strManufacturer);
    if (r->m_strPartNumber == "UPL0J102MRH6") ++upl;
  }
  EXPECT_EQ(makers, (std::set<std::string>{"Nichicon", "KEMET", "Panasonic", "United Chemi-Con",
                                           "AVX", "TDK", "SANYO"}));
  EXPECT_EQ(upl, 2);

  auto res = Open<CResistorDoc>("standard.res");
  ASSERT_EQ(res->m_records.size(), 481u);
  ExpectStrictlyOrdered(*res);
  EXPECT_EQ(res->m_records.front()->m_fResistance, 10.0f);
  EXPECT_EQ(res->m_records.back()->m_fResistance, 1000000.0f);

  auto inds = Open<CInductorDoc>("standard.ind");
  ASSERT_EQ(inds->m_records.size(), 1022u);
  ExpectStrictlyOrdered(*inds);
  makers.clear();
  for (const auto& r : inds->m_records) makers.insert(r->m_strManufacturer);
  EXPECT_EQ(makers.size(), 8u);

  // The bead file is stored by part number, with the maker's long name.
  std::string beads = ReadAll(dir_.Path("standard.bead"));
  EXPECT_NE(beads.find("Wurth Elektronik eiSos"), std::string::npos);
  auto beadDoc = Open<CInductorDoc>("standard.bead");
  ASSERT_EQ(beadDoc->m_records.size(), 116u);
  for (std::size_t i = 0; i + 1 < beadDoc->m_records.size(); ++i) {
    EXPECT_LT(beadDoc->m_records[i]->m_strPartNumber, beadDoc->m_records[i + 1]->m_strPartNumber);
  }
}

TEST_F(SampleDatabases, ReadingThenWritingReproducesTheFiles) {
  for (const char* name : {"standard.cap", "standard.res", "standard.ind"}) {
    std::string copy = dir_.Path(std::string("copy-") + name);
    std::string original = ReadAll(dir_.Path(name));
    bool saved = name[9] == 'c'   ? Open<CCapacitorDoc>(name)->Save(copy, BoxReport())
                 : name[9] == 'r' ? Open<CResistorDoc>(name)->Save(copy, BoxReport())
                                  : Open<CInductorDoc>(name)->Save(copy, BoxReport());
    ASSERT_TRUE(saved) << name;
    EXPECT_EQ(ReadAll(copy), original) << name;
  }
  std::string beadCopy = dir_.Path("copy.bead");
  ASSERT_TRUE(Open<CInductorDoc>("standard.bead")->Save(beadCopy, BoxReport()));
  EXPECT_NE(ReadAll(beadCopy), ReadAll(dir_.Path("standard.bead")));
}

TEST_F(SampleDatabases, MergingIntoItself) {
  auto caps = MergedIntoItself<CCapacitorDoc>("standard.cap", MergeCapacitorDatabase);
  ASSERT_EQ(caps->m_records.size(), 1295u);
  ExpectStrictlyOrdered(*caps);
  for (const auto& r : caps->m_records) {
    if (r->m_strPartNumber == "UPL0J102MRH6") {
      EXPECT_EQ(r->m_fCapacitance, 0.01f);
    }
  }

  MergedIntoItself<CResistorDoc>("standard.res", MergeResistorDatabase);
  EXPECT_EQ(ReadAll(dir_.Path("user-standard.res")), ReadAll(dir_.Path("standard.res")));

  auto inds = MergedIntoItself<CInductorDoc>("standard.ind", MergeInductorDatabase);
  ASSERT_EQ(inds->m_records.size(), 1021u);
  ExpectStrictlyOrdered(*inds);
  for (const auto& r : inds->m_records) {
    if (r->m_strPartNumber == "LPO4815-332MX") {
      EXPECT_EQ(r->m_fInductance, 3.9e-6f);
    }
  }

  auto beads = MergedIntoItself<CInductorDoc>("standard.bead", MergeInductorDatabase);
  ASSERT_EQ(beads->m_records.size(), 116u);
  ExpectStrictlyOrdered(*beads);
  for (const auto& r : beads->m_records) EXPECT_EQ(r->m_strManufacturer, "Wurth Elektronik");
  EXPECT_EQ(ReadAll(dir_.Path("user-standard.bead")).find("eiSos"), std::string::npos);
}

TEST_F(SampleDatabases, UserRecordsSurviveAnUpdate) {
  auto user = Open<CCapacitorDoc>("standard.cap");
  auto mine = std::make_unique<CCapacitorRec>();
  mine->m_strManufacturer = "My Own";
  mine->m_strPartNumber = "C-1";
  mine->m_fCapacitance = 3.3e-5f;
  user->m_records.push_back(std::move(mine));
  std::string path = dir_.Path("user.cap");
  ASSERT_TRUE(user->Save(path, BoxReport()));
  ASSERT_EQ(MergeCapacitorDatabase(path.c_str(), dir_.Path("standard.cap").c_str(), path.c_str(),
                                   BoxReport()),
            MergeResult::kMerged);
  auto merged = Open<CCapacitorDoc>("user.cap");
  EXPECT_EQ(merged->m_records.size(), 1296u);
  ExpectStrictlyOrdered(*merged);
}

TEST_F(SampleDatabases, DamagedCopiesAreRefused) {
  std::string original = ReadAll(dir_.Path("standard.ind"));
  BoxCapture log;
  // Cut at many places, and with single bytes of the stream's structure changed.
  for (std::size_t cut = 1; cut < original.size(); cut += 97) {
    WriteAll(dir_.Path("cut.ind"), original.substr(0, cut));
    CInductorDoc doc;
    EXPECT_FALSE(doc.Open(dir_.Path("cut.ind"), BoxReport())) << cut;
    EXPECT_TRUE(doc.m_records.empty());
  }
  for (std::size_t at : {std::size_t(2), std::size_t(4), std::size_t(6), std::size_t(8)}) {
    std::string damaged = original;
    damaged[at] ^= 0x40;
    WriteAll(dir_.Path("damaged.ind"), damaged);
    CInductorDoc doc;
    EXPECT_FALSE(doc.Open(dir_.Path("damaged.ind"), BoxReport())) << at;
  }
  for (const std::string& text : log.Texts()) EXPECT_EQ(text, "Unexpected file format.");
}

}  // namespace
