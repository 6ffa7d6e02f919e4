#include "cmpdb/record_merge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "cmpdb/record_document.h"
#include "cmpdb/record_order.h"
#include "platform/file_system.h"
#include "tests/cmpdb_records/document_bytes.h"
#include "tests/cmpdb_records/walking_merge.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

// Random records drawn from small pools, so that keys, equal records, empty names, letter-case
// variants, -0 and NaN all occur often.
class RecordMaker {
 public:
  explicit RecordMaker(unsigned seed) : random_(seed) {}

  std::string Text() {
    static const char* const kTexts[] = {"",  "",  "abc",   "ABC",   "Abc",
                                         "x", "X", "kemet", "KEMET", "\xE9t\xE9"};
    return kTexts[random_() % 10];
  }
  float Number() {
    static const float kNumbers[] = {0.0f, -0.0f, 1.0f,   1.0f,
                                     2.5f, 1e-6f, 100.0f, std::numeric_limits<float>::quiet_NaN()};
    return kNumbers[random_() % (random_() % 16 == 0 ? 8 : 7)];
  }
  void Fill(CCapacitorRec& r) {
    r.m_strManufacturer = Text();
    r.m_strPartNumber = Text();
    r.m_strType = random_() % 2 ? "X7R" : "x7r";
    r.m_fCapacitance = Number();
    r.m_fRatedVoltage = Number();
    r.m_fParam5 = Number();
    r.m_nParam7 = int(random_() % 3) - 1;
  }
  void Fill(CResistorRec& r) {
    r.m_strManufacturer = Text();
    r.m_strPartNumber = Text();
    r.m_fResistance = Number();
    r.m_fParam2 = Number();
    r.m_fParam3 = Number();
  }
  void Fill(CInductorRec& r) {
    r.m_strManufacturer = random_() % 5 == 0 ? "WE eiSos" : Text();
    r.m_strPartNumber = Text();
    r.m_fInductance = Number();
    r.m_fParam4 = Number();
  }
  template <class Doc>
  void FillDoc(Doc& doc, int n) {
    for (int i = 0; i < n; ++i) {
      auto r = std::make_unique<typename Doc::Record>();
      Fill(*r);
      doc.m_records.push_back(std::move(r));
    }
  }
  unsigned Below(unsigned n) { return unsigned(random_() % n); }

 private:
  std::mt19937 random_;
};

template <class Doc>
void ExpectFastMergeEqualsWalk(unsigned seed) {
  RecordMaker maker(seed);
  Doc mine, theirs;
  maker.FillDoc(mine, int(maker.Below(80)));
  maker.FillDoc(theirs, int(maker.Below(80)));
  // Both merges start from the same records, copied through the stream.
  std::string mineBytes = StoreToBytes(mine), theirsBytes = StoreToBytes(theirs);
  Doc mine2, theirs2;
  ASSERT_EQ(LoadFromBytes(mine2, mineBytes), ArchiveError::kNone);
  ASSERT_EQ(LoadFromBytes(theirs2, theirsBytes), ArchiveError::kNone);
  ASSERT_EQ(LoadFromBytes(mine, mineBytes), ArchiveError::kNone);
  ASSERT_EQ(LoadFromBytes(theirs, theirsBytes), ArchiveError::kNone);

  mine.MergeFrom(theirs);
  WalkingMergeFrom(mine2, theirs2);
  EXPECT_TRUE(theirs.m_records.empty());
  ASSERT_EQ(StoreToBytes(mine), StoreToBytes(mine2)) << "seed " << seed;
}

TEST(MergeFrom, BucketsGiveExactlyTheWalksResult) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    ExpectFastMergeEqualsWalk<CCapacitorDoc>(seed);
    ExpectFastMergeEqualsWalk<CResistorDoc>(seed);
    ExpectFastMergeEqualsWalk<CInductorDoc>(seed);
  }
}

// A new record of the class with its name set.
template <class Rec>
std::unique_ptr<Rec> Named(const char* maker, const char* part) {
  auto r = std::make_unique<Rec>();
  r->m_strManufacturer = maker;
  r->m_strPartNumber = part;
  return r;
}

std::unique_ptr<CCapacitorRec> Cap(const char* maker, const char* part, float farads,
                                   const char* type = "X7R") {
  auto r = Named<CCapacitorRec>(maker, part);
  r->m_strType = type;
  r->m_fCapacitance = farads;
  return r;
}

std::unique_ptr<CResistorRec> Res(const char* maker, const char* part, float ohms) {
  auto r = Named<CResistorRec>(maker, part);
  r->m_fResistance = ohms;
  r->m_fParam2 = 0.1f;
  r->m_fParam3 = 0.01f;
  return r;
}

std::unique_ptr<CInductorRec> Ind(const char* maker, const char* part, float henries) {
  auto r = Named<CInductorRec>(maker, part);
  r->m_fInductance = henries;
  return r;
}

TEST(CapacitorMerge, ReplacesByKeyInAnyCaseAndKeepsTheRest) {
  CCapacitorDoc mine, theirs;
  mine.m_records.push_back(Cap("kemet", "t491a105", 5));  // replaced, letter case aside
  mine.m_records.push_back(Cap("Mine", "ONLY", 2));       // kept and sorted into place
  mine.m_records.push_back(Cap("KEMET", "T491A105", 7));  // adjacent, same key: also replaced
  mine.m_records.push_back(Cap("", "T491A105", 9));       // no manufacturer: never a key
  theirs.m_records.push_back(Cap("KEMET", "T491A105", 1));
  theirs.m_records.push_back(Cap("AVX", "TAJ", 3));
  mine.MergeFrom(theirs);
  ASSERT_EQ(mine.m_records.size(), 4u);
  EXPECT_EQ(mine.m_records[0]->m_fCapacitance, 1);
  EXPECT_EQ(mine.m_records[0]->m_strManufacturer, "KEMET");
  EXPECT_EQ(mine.m_records[1]->m_strManufacturer, "Mine");
  EXPECT_EQ(mine.m_records[2]->m_strManufacturer, "AVX");
  EXPECT_EQ(mine.m_records[3]->m_fCapacitance, 9);
}

TEST(CapacitorMerge, OfEqualUnnamedRecordsTheOneSortedHigherSurvives) {
  CCapacitorDoc mine, theirs;
  mine.m_records.push_back(Cap("", "", 1, "x7r"));
  theirs.m_records.push_back(Cap("", "", 1, "X7R"));
  mine.MergeFrom(theirs);
  ASSERT_EQ(mine.m_records.size(), 1u);
  // The sort swaps the two equal records, so the user's one ends higher and stays.
  EXPECT_EQ(mine.m_records[0]->m_strType, "x7r");
}

TEST(CapacitorMerge, LaterIncomingRecordOfAKeyWins) {
  CCapacitorDoc mine, theirs;
  mine.m_records.push_back(Cap("Nichicon", "UPL0J102MRH6", 0.001f));
  mine.m_records.push_back(Cap("Nichicon", "UPL0J102MRH6", 0.01f));
  theirs.m_records.push_back(Cap("Nichicon", "UPL0J102MRH6", 0.001f));
  theirs.m_records.push_back(Cap("Nichicon", "UPL0J102MRH6", 0.01f));
  mine.MergeFrom(theirs);
  ASSERT_EQ(mine.m_records.size(), 1u);
  EXPECT_EQ(mine.m_records[0]->m_fCapacitance, 0.01f);
}

TEST(ResistorMerge, UnnamedRecordsMatchByValue) {
  CResistorDoc mine, theirs;
  mine.m_records.push_back(Res("", "", 12.34f));     // a value not shipped: kept
  mine.m_records.push_back(Res("", "", 100));        // replaced by the shipped 100
  mine.m_records.push_back(Res("Acme", "R47", 47));  // named, same numbers: kept beside
  mine.m_records.push_back(Res("acme", "r1", 1));    // both kept: one file never
  mine.m_records.push_back(Res("Acme", "R1", 1));    // tests its own records by key
  theirs.m_records.push_back(Res("", "", 100));
  theirs.m_records.push_back(Res("", "", 47));
  mine.MergeFrom(theirs);
  ASSERT_EQ(mine.m_records.size(), 6u);
  EXPECT_EQ(mine.m_records[0]->m_strManufacturer, "Acme");  // capital letter first
  EXPECT_EQ(mine.m_records[1]->m_strManufacturer, "acme");
  EXPECT_EQ(mine.m_records[2]->m_fResistance, 12.34f);
  EXPECT_EQ(mine.m_records[3]->m_strManufacturer, "");  // unnamed 47 before named 47
  EXPECT_EQ(mine.m_records[4]->m_strManufacturer, "Acme");
  EXPECT_EQ(mine.m_records[5]->m_fResistance, 100);

  CResistorDoc again;
  again.m_records.push_back(Res("ACME", "R1", 1));
  mine.MergeFrom(again);
  ASSERT_EQ(mine.m_records.size(), 5u);
  EXPECT_EQ(mine.m_records[0]->m_strManufacturer, "ACME");
}

// Merges the one incoming resistor into a document of the one existing resistor.
std::vector<std::unique_ptr<CResistorRec>> MergedPair(const CResistorRec& existing,
                                                      const CResistorRec& incoming) {
  CResistorDoc mine, theirs;
  mine.m_records.push_back(std::make_unique<CResistorRec>(existing));
  theirs.m_records.push_back(std::make_unique<CResistorRec>(incoming));
  mine.MergeFrom(theirs);
  return std::move(mine.m_records);
}

TEST(ResistorMerge, OnlyTheExistingRecordsNameDecidesAMatchByValue) {
  CResistorRec unnamed, named;
  unnamed.m_fResistance = named.m_fResistance = 100;
  unnamed.m_fParam2 = named.m_fParam2 = 0.1f;
  named.m_strManufacturer = "Vishay-like";
  named.m_strPartNumber = "R100";
  auto merged = MergedPair(unnamed, named);
  ASSERT_EQ(merged.size(), 1u) << "the shipped named record replaces the user's unnamed one";
  EXPECT_EQ(merged[0]->m_strManufacturer, "Vishay-like");
  EXPECT_EQ(MergedPair(named, unnamed).size(), 2u);
  CResistorRec halfNamed = unnamed;
  halfNamed.m_strManufacturer = "M";
  EXPECT_EQ(MergedPair(halfNamed, unnamed).size(), 2u) << "a manufacturer alone is a name";
}

TEST(ResistorMerge, ValuesMatchAsNumbers) {
  // Of two equal records that do not match by key the sort leaves the user's one last, so only
  // a match by value keeps the shipped -0.
  CResistorRec zero, negativeZero;
  negativeZero.m_fParam3 = -0.0f;
  auto merged = MergedPair(zero, negativeZero);
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_TRUE(std::signbit(merged[0]->m_fParam3)) << "-0 equals +0";
  CResistorRec nan;
  nan.m_fResistance = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(MergedPair(nan, nan).size(), 2u) << "NaN equals nothing";
}

TEST(InductorMerge, EmptyManufacturersNeverMatch) {
  CInductorDoc mine, theirs;
  mine.m_records.push_back(Ind("", "abc", 1));
  mine.m_records.push_back(Ind("TOKO", "abc", 2));
  theirs.m_records.push_back(Ind("", "ABC", 3));
  theirs.m_records.push_back(Ind("toko", "ABC", 4));
  mine.MergeFrom(theirs);
  std::vector<float> henries;
  for (const auto& r : mine.m_records) henries.push_back(r->m_fInductance);
  EXPECT_EQ(henries, (std::vector<float>{1, 3, 4})) << "only TOKO abc is replaced";
}

TEST(InductorMerge, NormalisedMakerSharesTheKey) {
  WorkDir dir;
  CInductorDoc mine, theirs;
  mine.m_records.push_back(Ind("we eisos", "744773", 1));
  mine.m_records.push_back(Ind("Coilcraft", "do1608", 2));
  mine.m_records.push_back(Ind("Coilcraft", "DO1608", 3));
  theirs.m_records.push_back(Ind("Wurth Elektronik eiSos", "744773", 4));
  theirs.m_records.push_back(Ind("Coilcraft", "Do1608", 5));
  // Names are normalised when the files are read.
  ASSERT_TRUE(mine.Save(dir.Path("mine.ind"), BoxReport()));
  ASSERT_TRUE(theirs.Save(dir.Path("theirs.ind"), BoxReport()));
  ASSERT_EQ(MergeInductorDatabase(dir.Path("mine.ind").c_str(), dir.Path("theirs.ind").c_str(),
                                  dir.Path("mine.ind").c_str(), BoxReport()),
            MergeResult::kMerged);
  CInductorDoc merged;
  ASSERT_TRUE(merged.Open(dir.Path("mine.ind"), BoxReport()));
  ASSERT_EQ(merged.m_records.size(), 2u);
  EXPECT_EQ(merged.m_records[0]->m_strManufacturer, "Wurth Elektronik");
  EXPECT_EQ(merged.m_records[0]->m_fInductance, 4);
  EXPECT_EQ(merged.m_records[1]->m_fInductance, 5);
}

TEST(RecordDatabaseMerge, RefusesWithoutTouchingTheUsersFile) {
  WorkDir dir;
  BoxCapture log;
  CCapacitorDoc doc;
  doc.m_records.push_back(Cap("A", "B", 1));
  ASSERT_TRUE(doc.Save(dir.Path("user.cap"), BoxReport()));
  std::string user = ReadAll(dir.Path("user.cap"));
  std::string u = dir.Path("user.cap");

  EXPECT_EQ(MergeCapacitorDatabase(u.c_str(), "", u.c_str(), BoxReport()), MergeResult::kFailed);
  EXPECT_EQ(MergeCapacitorDatabase(u.c_str(), u.c_str(), dir.Path("none.cap").c_str(), BoxReport()),
            MergeResult::kFailed);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"user.cap"}) << "no backup without a file";

  WriteAll(dir.Path("empty.cap"), "");
  EXPECT_EQ(
      MergeCapacitorDatabase(u.c_str(), dir.Path("empty.cap").c_str(), u.c_str(), BoxReport()),
      MergeResult::kFailed);
  EXPECT_EQ(
      MergeCapacitorDatabase(u.c_str(), dir.Path("missing.cap").c_str(), u.c_str(), BoxReport()),
      MergeResult::kFailed);
  WriteAll(dir.Path("bad.cap"), "\x01\x00\x00\x00");
  EXPECT_EQ(MergeCapacitorDatabase(u.c_str(), dir.Path("bad.cap").c_str(), u.c_str(), BoxReport()),
            MergeResult::kFailed);
  EXPECT_EQ(ReadAll(u), user);
  EXPECT_EQ(ReadAll(u + ".bak"), user);
  EXPECT_EQ(log.Texts(), std::vector<std::string>{"Unexpected file format."});

  // An existing database without records is refused too, silently.
  WriteAll(dir.Path("zero.cap"), std::string("\0\0", 2));
  std::string z = dir.Path("zero.cap");
  EXPECT_EQ(MergeCapacitorDatabase(z.c_str(), u.c_str(), z.c_str(), BoxReport()),
            MergeResult::kFailed);
  EXPECT_EQ(ReadAll(z), std::string("\0\0", 2));
  EXPECT_EQ(log.Texts().size(), 1u);
}

TEST(RecordDatabaseMerge, ReadOnlyOutputIsReplaced) {
  WorkDir dir;
  CResistorDoc mine, theirs;
  mine.m_records.push_back(Res("", "", 5));
  theirs.m_records.push_back(Res("", "", 7));
  std::string m = dir.Path("standard.res"), t = dir.Path("shipped.res");
  ASSERT_TRUE(mine.Save(m, BoxReport()));
  ASSERT_TRUE(theirs.Save(t, BoxReport()));
  ASSERT_EQ(platform::Fs().SetReadOnly(m, true), 0);
  EXPECT_EQ(MergeResistorDatabase(m.c_str(), t.c_str(), m.c_str(), BoxReport()),
            MergeResult::kMerged);
  CResistorDoc merged;
  ASSERT_TRUE(merged.Open(m, BoxReport()));
  EXPECT_EQ(merged.m_records.size(), 2u);
  EXPECT_EQ(dir.Files(),
            (std::vector<std::string>{"shipped.res", "standard.res", "standard.res.bak"}));
}

using MergeFn = MergeResult (*)(const char*, const char*, const char*, platform::Reporter&);

// Combines a shipped record into a database moved aside, writing the database's own path.
template <class Doc>
void ExpectCombineTakesNoBackup(MergeFn combine, const typename Doc::Record& user,
                                const typename Doc::Record& shipped) {
  WorkDir dir;
  const std::string aside = dir.Path("aside"), db = dir.Path("standard"), t = dir.Path("shipped");
  for (auto [record, path] : {std::pair{&user, aside}, {&shipped, t}}) {
    Doc doc;
    doc.m_records.push_back(std::make_unique<typename Doc::Record>(*record));
    ASSERT_TRUE(doc.Save(path, BoxReport()));
  }
  const std::string before = ReadAll(aside);
  ASSERT_EQ(combine(db.c_str(), t.c_str(), aside.c_str(), BoxReport()), MergeResult::kMerged);
  EXPECT_EQ(ReadAll(db), ReadAll(t)) << "the shipped record replaced the user's";
  EXPECT_EQ(ReadAll(aside), before);
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"aside", "shipped", "standard"}));
}

TEST(RecordDatabaseCombine, TakesNoBackup) {
  ExpectCombineTakesNoBackup<CCapacitorDoc>(CombineCapacitorDatabase, *Cap("A", "p", 1),
                                            *Cap("a", "P", 2));
  ExpectCombineTakesNoBackup<CResistorDoc>(CombineResistorDatabase, *Res("", "", 1),
                                           *Res("A", "P", 1));
  ExpectCombineTakesNoBackup<CInductorDoc>(CombineInductorDatabase, *Ind("A", "p", 1),
                                           *Ind("a", "P", 2));
}

template <class Rec>
struct LacksCase {
  const char* what;
  std::vector<Rec> database, older;
  bool lacks;
};

// Saves both lists of each case and asks lacks(database, older); then files it cannot read.
template <class Doc>
void ExpectLacks(bool (*lacks)(const char*, const char*),
                 const std::vector<LacksCase<typename Doc::Record>>& cases) {
  WorkDir dir;
  BoxCapture boxes;
  const std::string db = dir.Path("db"), older = dir.Path("db.bak"), bad = dir.Path("bad");
  auto save = [](const std::vector<typename Doc::Record>& records, const std::string& path) {
    Doc doc;
    for (const auto& r : records) {
      doc.m_records.push_back(std::make_unique<typename Doc::Record>(r));
    }
    return doc.Save(path, BoxReport());
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(save(c.database, db) && save(c.older, older));
    EXPECT_EQ(lacks(db.c_str(), older.c_str()), c.lacks) << c.what;
  }
  WriteAll(bad, std::string("\x01\x00\x00\x00", 4));
  for (const std::string& unreadable : {bad, dir.Path("gone")}) {
    EXPECT_TRUE(lacks(db.c_str(), unreadable.c_str()));
    EXPECT_TRUE(lacks(unreadable.c_str(), older.c_str()));
  }
  EXPECT_TRUE(boxes.Texts().empty()) << "nothing is reported";
}

TEST(LacksEntriesOf, Capacitors) {
  auto c = [](const char* maker, float farads, const char* type = "X7R") {
    return *Cap(maker, maker[0] ? "P1" : "", farads, type);
  };
  ExpectLacks<CCapacitorDoc>(
      CapacitorDatabaseLacksEntriesOf,
      {{"the same records reordered", {c("A", 1), c("B", 2)}, {c("B", 2), c("A", 1)}, false},
       {"a record missing", {c("A", 1)}, {c("A", 1), c("B", 2)}, true},
       {"key in other case", {*Cap("KEMET", "T4", 1)}, {*Cap("kemet", "t4", 5)}, false},
       {"no key: an equal record held", {c("", 1, "X7R")}, {c("", 1, "x7r")}, false},
       {"no key: another value", {c("", 2)}, {c("", 1)}, true},
       {"an older copy without records", {c("A", 1)}, {}, false},
       {"a database without records", {}, {c("A", 1)}, true}});
}

TEST(LacksEntriesOf, Resistors) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  auto r = [](float ohms, const char* maker = "", const char* part = "") {
    return *Res(maker, part, ohms);
  };
  ExpectLacks<CResistorDoc>(
      ResistorDatabaseLacksEntriesOf,
      {{"unnamed, the same numbers", {r(100)}, {r(100)}, false},
       {"unnamed, another value", {r(100)}, {r(47)}, true},
       {"unnamed, held by a named one", {r(100, "Acme", "R1")}, {r(100)}, false},
       {"named, not held by an unnamed one", {r(100)}, {r(100, "Acme", "R1")}, true},
       {"named, other letter case", {r(1, "ACME", "r1")}, {r(2, "Acme", "R1")}, false},
       {"-0 equals +0", {r(0)}, {r(-0.0f)}, false},
       {"NaN equals nothing", {r(nan)}, {r(nan)}, true},
       {"a maker alone: an identical record", {r(5, "M")}, {r(5, "M")}, false},
       {"a maker alone: letter case counts", {r(5, "m")}, {r(5, "M")}, true},
       {"unnamed: infinity equals infinity", {r(inf)}, {r(inf)}, false},
       {"a maker alone: the order finds no infinity equal", {r(inf, "M")}, {r(inf, "M")}, true}});
}

TEST(LacksEntriesOf, Inductors) {
  ExpectLacks<CInductorDoc>(
      InductorDatabaseLacksEntriesOf,
      {{"normalised maker", {*Ind("WE eiSos", "7", 1)}, {*Ind("wurth elektronik", "7", 2)}, false},
       {"part in other letter case", {*Ind("TOKO", "ABC", 1)}, {*Ind("toko", "abc", 1)}, false},
       {"another part", {*Ind("TOKO", "ABC", 1)}, {*Ind("TOKO", "ABD", 1)}, true}});
}

}  // namespace
