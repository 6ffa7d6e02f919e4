#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "cmpdb/model_database.h"
#include "cmpdb/record_list.h"
#include "platform/ascii.h"
#include "platform/file_system.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/work_dir.h"
#include "tools/sampletree/sample_databases.h"

namespace {

using namespace tvex_test;

// The file a merge writes for these statements.
std::string Written(const std::vector<std::string>& statements) {
  std::string text(kModelDatabaseHeader);
  for (const std::string& s : statements) text += s + "\r\n";
  return text;
}

class ModelMerge : public testing::Test {
 protected:
  // Merges shipped into the existing database in place, as an update installation does.
  MergeResult Merge(const std::string& existing, const std::string& shipped,
                    ModelKind kind = ModelKind::kBjt) {
    WriteAll(db_, existing);
    WriteAll(shipped_, shipped);
    return MergeModelDatabase(db_.c_str(), shipped_.c_str(), db_.c_str(), kind, BoxReport());
  }

  WorkDir dir_;
  std::string db_ = dir_.Path("standard.bjt");
  std::string shipped_ = dir_.Path("shipped.tmp");
  BoxCapture boxes_;
};

TEST_F(ModelMerge, UserModelsStayShippedOnesReplaceByNameAndNewOnesFollow) {
  const std::string existing =
      "* my own header\r\n"
      ".model MyNPN NPN(Bf=50 Vceo=20)\r\n"
      ".model 2n2222 NPN(Bf=1)\r\n"
      "something that is not a model\r\n"
      ".model MyPNP PNP(Bf=60)\r\n";
  const std::string shipped =
      "* shipped header, different\r\n"
      "\r\n"
      ".model 2N2222 NPN(Is=14.34f Xti=3 Eg=1.11 Vaf=74.03\r\n"
      "+ Bf=255.9 Ne=1.307 Ise=14.34f ; trimmed\r\n"
      "+ Ikf=.2847 Xtb=1.5\r\n"
      "+\tRb = 10 Vceo=40 Icrating=800m mfg=Big_Parts)\r\n"
      ".model QNEW1 PNP(Bf=1)\r\n"
      ".model QNEW2 NPN(Bf=2)\r\n";
  ASSERT_EQ(Merge(existing, shipped), MergeResult::kMerged);
  EXPECT_EQ(
      ReadAll(db_),
      Written({".model MyNPN NPN(Bf=50 Vceo=20)",
               ".model 2N2222 NPN(Is=14.34f Xti=3 Eg=1.11 Vaf=74.03 Bf=255.9 Ne=1.307 "
               "Ise=14.34f Ikf=.2847 Xtb=1.5 Rb=10 Vceo=40 Icrating=800m mfg=Big_Parts)",
               ".model MyPNP PNP(Bf=60)", ".model QNEW1 PNP(Bf=1)", ".model QNEW2 NPN(Bf=2)"}));
  EXPECT_EQ(ReadAll(db_ + ".bak"), existing) << "the backup keeps everything the merge drops";
  EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(ModelMerge, WhatCountsAsAModel) {
  ASSERT_EQ(Merge("",
                  ".MODEL Q1 NPN(Bf=1)\r\n*.model Q2 NPN\r\n.models Q3 NPN\r\n"
                  " .model Q4 NPN\r\n.mode Q5 NPN\r\n"),
            MergeResult::kMerged);
  EXPECT_EQ(ReadAll(db_), Written({".MODEL Q1 NPN(Bf=1)", ".models Q3 NPN", ".model Q4 NPN"}));
}

TEST_F(ModelMerge, ModelsAfterACtrlZSurvive) {
  ASSERT_EQ(Merge(".model A X\r\n\x1a\r\n.model B Y\x1a\r\n", ".model C Z\r\n"),
            MergeResult::kMerged);
  EXPECT_EQ(ReadAll(db_), Written({".model A X", ".model B Y\x1a", ".model C Z"}));
}

TEST_F(ModelMerge, DuplicateNames) {
  // Only the first of two existing models of a name is replaced; of two shipped ones the
  // later wins.
  ASSERT_EQ(Merge(".model A X(1)\r\n.model a X(2)\r\n.model B X(3)\r\n",
                  ".model A X(new1)\r\n.model C X(c1)\r\n.model c X(c2)\r\n"),
            MergeResult::kMerged);
  EXPECT_EQ(ReadAll(db_),
            Written({".model A X(new1)", ".model a X(2)", ".model B X(3)", ".model c X(c2)"}));
}

TEST_F(ModelMerge, NamelessModelsAreNeverMatched) {
  // A trailing blank survives as one space.
  ASSERT_EQ(Merge(".model\r\n", ".model\r\n.model  \r\n"), MergeResult::kMerged);
  EXPECT_EQ(ReadAll(db_), Written({".model", ".model", ".model "}));
}

TEST_F(ModelMerge, EmptyDatabasesGetTheHeader) {
  ASSERT_EQ(Merge("no models here\r\n", ""), MergeResult::kMerged);
  EXPECT_EQ(ReadAll(db_), std::string(kModelDatabaseHeader));
  const std::string header(kModelDatabaseHeader);
  EXPECT_EQ(header.rfind("* ", 0), 0u);
  EXPECT_EQ(header.substr(header.find("\r\n")), "\r\n*\r\n\r\n") << "notice, \"*\", empty line";
}

TEST_F(ModelMerge, MissingOrEmptyPathsFailBeforeTheBackup) {
  WriteAll(shipped_, ".model A X\r\n");
  EXPECT_EQ(
      MergeModelDatabase(db_.c_str(), shipped_.c_str(), db_.c_str(), ModelKind::kBjt, BoxReport()),
      MergeResult::kFailed);
  WriteAll(db_, ".model B X\r\n");
  EXPECT_EQ(MergeModelDatabase("", shipped_.c_str(), db_.c_str(), ModelKind::kBjt, BoxReport()),
            MergeResult::kFailed);
  EXPECT_EQ(MergeModelDatabase(db_.c_str(), nullptr, db_.c_str(), ModelKind::kBjt, BoxReport()),
            MergeResult::kFailed);
  EXPECT_EQ(MergeModelDatabase(db_.c_str(), shipped_.c_str(), "", ModelKind::kBjt, BoxReport()),
            MergeResult::kFailed);
  EXPECT_EQ(platform::Fs().Find(db_ + ".bak"), platform::EntryKind::kNone);
  EXPECT_EQ(ReadAll(db_), ".model B X\r\n");
}

TEST_F(ModelMerge, UnreadableShippedCopyFailsAfterTheBackup) {
  WriteAll(db_, ".model B X\r\n");
  const std::string missing = dir_.Path("gone.tmp");
  EXPECT_EQ(
      MergeModelDatabase(db_.c_str(), missing.c_str(), db_.c_str(), ModelKind::kJfet, BoxReport()),
      MergeResult::kFailed);
  EXPECT_EQ(ReadAll(db_ + ".bak"), ".model B X\r\n");
  EXPECT_EQ(ReadAll(db_), ".model B X\r\n");
}

TEST_F(ModelMerge, LoadingReplacesTheListAndAFailedLoadLeavesItEmpty) {
  CRecordList list;
  list.Append(MakeModelRecord(ModelKind::kBjt, ".model OLD NPN"));
  WriteAll(db_, ".model A NPN\r\n.model B PNP\r\n");
  ASSERT_TRUE(LoadModelDatabase(db_.c_str(), ModelKind::kBjt, list));
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.At(0)->m_strName, "A");
  EXPECT_EQ(list.At(1)->m_strName, "B");

  WriteAll(db_, std::string(".model C NPN\r\n\0\r\n", 17));
  EXPECT_FALSE(LoadModelDatabase(db_.c_str(), ModelKind::kBjt, list));
  EXPECT_EQ(list.Count(), 0) << "no part of a database that is not text";
  list.Append(MakeModelRecord(ModelKind::kBjt, ".model OLD NPN"));
  EXPECT_FALSE(LoadModelDatabase(dir_.Path("gone.bjt").c_str(), ModelKind::kBjt, list));
  EXPECT_EQ(list.Count(), 0);
}

TEST_F(ModelMerge, ReadOnlyOutputIsMadeWritable) {
  ScriptedFileSystem fs;
  fs.simulateReadOnly = true;
  platform::ScopedFileSystem scoped(fs);
  fs.SetReadOnly(db_, true);
  fs.readOnlyClears = 0;
  ASSERT_EQ(Merge(".model A X\r\n", ".model B Y\r\n", ModelKind::kDiode), MergeResult::kMerged);
  EXPECT_EQ(ReadAll(db_), Written({".model A X", ".model B Y"}));
  EXPECT_EQ(fs.readOnlyClears, 1);
}

TEST_F(ModelMerge, OutputThatCannotBeWrittenFailsAndStaysAsItWas) {
  const std::string out = dir_.Path("out");
  WriteAll(db_, ".model A X\r\n");
  WriteAll(shipped_, ".model B Y\r\n");
  // A move that fails, a full disk.
  for (int failure = 0; failure < 2; ++failure) {
    WriteAll(out, "the old output");
    ScriptedFileSystem fs;
    platform::ScopedFileSystem scoped(fs);
    if (failure == 0) fs.failReplaceTo = out;
    if (failure == 1) fs.bytesLeft = 40;  // room for the backup, not for the merged file
    EXPECT_EQ(MergeModelDatabase(out.c_str(), shipped_.c_str(), db_.c_str(), ModelKind::kMosfet,
                                 BoxReport()),
              MergeResult::kFailed)
        << failure;
    EXPECT_EQ(ReadAll(out), "the old output") << failure;
    EXPECT_TRUE(fs.LeftoverTemps().empty()) << failure;
  }
}

TEST_F(ModelMerge, TextThatIsNotEightBitFailsTheMerge) {
  const std::string user = ".model MyNPN NPN(Bf=50)\r\n.model Q2 NPN(Bf=2)\r\n";
  std::string utf16 = "\xFF\xFE";
  for (char c : user) utf16 += std::string{c, '\0'};
  const std::string cases[] = {
      utf16,
      "\xEF\xBB\xBF" + user,  // UTF-8 with its mark: the first model would not be recognised
      ".model MyNPN NPN(Bf=50)\r\n" + std::string(1, '\0') + ".model Q2 NPN(Bf=2)\r\n",
  };
  for (const std::string& existing : cases) {
    EXPECT_EQ(Merge(existing, ".model SHIPPED NPN\r\n"), MergeResult::kFailed);
    EXPECT_TRUE(ReadAll(db_) == existing) << "the user's file is left as it was";
    EXPECT_TRUE(ReadAll(db_ + ".bak") == existing);
  }
}

TEST_F(ModelMerge, AReadErrorPartWayFailsTheMerge) {
  std::string user;
  for (int i = 0; i < 3000; ++i) user += ".model USER" + std::to_string(i) + " NPN(Bf=1)\r\n";
  ScriptedFileSystem fs;
  fs.failReadPath = db_;
  fs.failReadOpen = 2;    // the load, after the backup's copy
  fs.failReadNumber = 2;  // its second block
  platform::ScopedFileSystem scoped(fs);
  EXPECT_EQ(Merge(user, ".model SHIPPED NPN\r\n"), MergeResult::kFailed);
  EXPECT_TRUE(ReadAll(db_) == user);
}

TEST_F(ModelMerge, CombineTakesNoBackup) {
  // The user's database moved aside; the result goes to the database's own path.
  const std::string aside = dir_.Path("aside.bjt");
  const std::string user = ".model MyNPN NPN(Bf=50)\r\n.model Q1 NPN(old)\r\n";
  WriteAll(aside, user);
  WriteAll(shipped_, ".model q1 NPN(new)\r\n");
  const char* const paths[] = {db_.c_str(), shipped_.c_str(), aside.c_str()};
  EXPECT_EQ(CombineModelDatabase(paths[0], paths[1], paths[2], ModelKind::kBjt, BoxReport()),
            MergeResult::kMerged);
  EXPECT_EQ(ReadAll(db_), Written({".model MyNPN NPN(Bf=50)", ".model q1 NPN(new)"}));
  EXPECT_EQ(ReadAll(aside), user);
  const std::string gone = dir_.Path("gone");
  EXPECT_EQ(CombineModelDatabase(paths[0], gone.c_str(), paths[2], ModelKind::kJfet, BoxReport()),
            MergeResult::kFailed);
  EXPECT_EQ(dir_.Files(), (std::vector<std::string>{"aside.bjt", "shipped.tmp", "standard.bjt"}));
}

TEST_F(ModelMerge, LacksEntriesOfAnOlderCopy) {
  const std::string notText(".model A X\r\n\0\r\n", 15);
  struct Case {
    const char* what;
    std::string database, older;
    bool lacks;
  };
  const Case cases[] = {
      {"reordered", ".model A X\r\n.model B Y\r\n", ".model B Y\r\n.model A X\r\n", false},
      {"a model missing", ".model A X\r\n", ".model A X\r\n.model B Y\r\n", true},
      {"case of ASCII letters", ".model MYNPN X(2)\r\n", ".model mynpn X(1)\r\n", false},
      {"a letter beyond ASCII", ".model Q\xC4 X\r\n", ".model Q\xE4 X\r\n", true},
      {"no name, same statement", ".model\r\n.model A X\r\n", ".model A X\r\n.model\r\n", false},
      {"no name, missing", ".model A X\r\n", ".model A X\r\n.model\r\n", true},
      {"no models in the older copy", ".model A X\r\n", "* a comment\r\n", false},
      {"no models in the database", "", ".model A X\r\n", true},
      {"an older copy that is not text", ".model A X\r\n", notText, true},
      {"a database that is not text", notText, ".model A X\r\n", true},
  };
  const std::string older = dir_.Path("standard.bjt.bak");
  for (const Case& c : cases) {
    WriteAll(db_, c.database);
    WriteAll(older, c.older);
    for (ModelKind kind :
         {ModelKind::kBjt, ModelKind::kMosfet, ModelKind::kJfet, ModelKind::kDiode}) {
      EXPECT_EQ(ModelDatabaseLacksEntriesOf(db_.c_str(), older.c_str(), kind), c.lacks) << c.what;
    }
  }
  const std::string gone = dir_.Path("gone");
  EXPECT_TRUE(ModelDatabaseLacksEntriesOf(db_.c_str(), gone.c_str(), ModelKind::kBjt));
  EXPECT_TRUE(ModelDatabaseLacksEntriesOf(gone.c_str(), older.c_str(), ModelKind::kBjt));
}

// The index of the first record whose model name equals name, ignoring the case of ASCII
// letters, or -1 when there is none or name is empty.
int FindRecordByName(const std::string& name, const CRecordList& list) {
  if (name.empty()) return -1;
  for (int i = 0; i < list.Count(); ++i) {
    if (platform::EqualsNoCase(list.At(i)->m_strName, name)) return i;
  }
  return -1;
}

// The combination written as plainly as it reads: a walk of the list for every shipped record.
void CombineByLookUp(CRecordList& existing, CRecordList& shipped) {
  for (auto& record : shipped.Release()) {
    const int i = FindRecordByName(record->m_strName, existing);
    if (i >= 0) {
      existing.Replace(i, std::move(record));
    } else {
      existing.Append(std::move(record));
    }
  }
}

TEST(ModelCombine, NamesMatchWithTheCaseOfAsciiLettersIgnoredAndNoOtherChange) {
  CRecordList existing, shipped;
  for (const char* s : {".model Q1 NPN", ".model q2 NPN", ".model Q2 PNP", ".model Q\xE4 NPN"}) {
    existing.Append(MakeModelRecord(ModelKind::kBjt, s));
  }
  for (const char* s :
       {".model q1 X1", ".model Q2 X2", ".model Q\xE4 X3", ".model Q\xC4 X4", ".model Q X5"}) {
    shipped.Append(MakeModelRecord(ModelKind::kBjt, s));
  }
  CombineModelRecords(existing, shipped);
  EXPECT_EQ(shipped.Count(), 0);
  std::vector<std::string> statements;
  for (int i = 0; i < existing.Count(); ++i) statements.push_back(existing.At(i)->m_strStatement);
  // Q2 replaces the first of the two records that carry its name.
  EXPECT_EQ(statements,
            (std::vector<std::string>{".model q1 X1", ".model Q2 X2", ".model Q2 PNP",
                                      ".model Q\xE4 X3", ".model Q\xC4 X4", ".model Q X5"}));
}

TEST(ModelCombine, SameResultAsLookingEveryNameUp) {
  std::uint32_t state = 12345;
  auto next = [&state](int n) {
    state = state * 1103515245u + 12345u;
    return static_cast<int>((state >> 10) % static_cast<std::uint32_t>(n));
  };
  auto randomList = [&](int size, int tag) {
    CRecordList list;
    for (int i = 0; i < size; ++i) {
      std::string name;
      // Letters in both cases, and a letter beyond ASCII in both cases, which do not fold.
      for (int k = next(3); k >= 0; --k) name += "aAbB\xE4\xC4"[next(6)];
      list.Append(MakeModelRecord(ModelKind::kBjt, (".model " + name + " X(" + std::to_string(tag) +
                                                    "_" + std::to_string(i) + ")")
                                                       .c_str()));
    }
    return list;
  };
  for (int round = 0; round < 200; ++round) {
    const int a = next(40), b = next(40);
    const std::uint32_t seed = state;
    CRecordList fastA = randomList(a, 1), fastB = randomList(b, 2);
    state = seed;
    CRecordList slowA = randomList(a, 1), slowB = randomList(b, 2);
    CombineModelRecords(fastA, fastB);
    CombineByLookUp(slowA, slowB);
    ASSERT_EQ(fastA.Count(), slowA.Count());
    for (int i = 0; i < fastA.Count(); ++i) {
      ASSERT_EQ(fastA.At(i)->m_strStatement, slowA.At(i)->m_strStatement) << round << " " << i;
    }
  }
}

TEST(SampleModelDatabases, ShippedIntoItselfKeepsEveryModel) {
  WorkDir dir;
  ASSERT_TRUE(WriteSampleModelDatabases(dir.Path("")));
  struct Database {
    const char* name;
    ModelKind kind;
    int models;
  };
  for (const Database& d : {Database{"standard.bjt", ModelKind::kBjt, 30},
                            Database{"standard.mos", ModelKind::kMosfet, 260},
                            Database{"standard.jft", ModelKind::kJfet, 17},
                            Database{"standard.dio", ModelKind::kDiode, 58}}) {
    const std::string path = dir.Path(d.name);
    const std::string original = ReadAll(path);
    EXPECT_EQ(original.rfind("* ", 0), 0u) << d.name << " begins with its own comment header";
    CRecordList list;
    ASSERT_TRUE(LoadModelDatabase(path.c_str(), d.kind, list));
    EXPECT_EQ(list.Count(), d.models) << d.name;

    const std::string copy = dir.Path(std::string(d.name) + ".shipped");
    WriteAll(copy, original);
    ASSERT_EQ(MergeModelDatabase(path.c_str(), copy.c_str(), path.c_str(), d.kind, BoxReport()),
              MergeResult::kMerged);
    const std::string merged = ReadAll(path);
    std::vector<std::string> statements;
    for (int i = 0; i < list.Count(); ++i) statements.push_back(list.At(i)->m_strStatement);
    EXPECT_EQ(merged, Written(statements)) << d.name;
    EXPECT_EQ(ReadAll(path + ".bak"), original);

    // A merged database merged into itself again comes out the same.
    WriteAll(copy, merged);
    ASSERT_EQ(MergeModelDatabase(path.c_str(), copy.c_str(), path.c_str(), d.kind, BoxReport()),
              MergeResult::kMerged);
    EXPECT_EQ(ReadAll(path), merged) << d.name;
  }

  CRecordList bjt, mos;
  ASSERT_TRUE(LoadModelDatabase(dir.Path("standard.bjt").c_str(), ModelKind::kBjt, bjt));
  int multiLine = 0, alias = 0;
  for (int i = 0; i < bjt.Count(); ++i) {
    const std::string& s = bjt.At(i)->m_strStatement;
    multiLine += s.size() > 200;
    alias += s.find(" ako:") != std::string::npos;
  }
  EXPECT_GT(multiLine, 15) << "most BJT models were spread over several lines";
  EXPECT_EQ(alias, 1);
  ASSERT_TRUE(LoadModelDatabase(dir.Path("standard.mos").c_str(), ModelKind::kMosfet, mos));
  int pchan = 0;
  for (int i = 0; i < mos.Count(); ++i) {
    pchan += static_cast<CMosfetRec*>(mos.At(i))->m_strChannel == "P-chan";
  }
  EXPECT_EQ(pchan, 64);
}

TEST_F(ModelMerge, HostileInputLoadsWithoutACrash) {
  std::string junk;
  std::uint32_t state = 99;
  for (int i = 0; i < 300000; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    // No NUL: text with one is refused whole (below).
    junk += static_cast<char>(std::max<std::uint32_t>(state >> 24, 1));
    if (i % 5000 == 0) junk += "\n.model J" + std::to_string(i) + " X(a = b ; c\n+";
  }
  junk += std::string(1 << 20, '=') + "\n+" + std::string(1 << 20, ' ') + "\x1a;";
  for (ModelKind kind :
       {ModelKind::kBjt, ModelKind::kMosfet, ModelKind::kJfet, ModelKind::kDiode}) {
    EXPECT_EQ(Merge(junk, junk, kind), MergeResult::kMerged);
    CRecordList list;
    ASSERT_TRUE(LoadModelDatabase(db_.c_str(), kind, list));
    for (int i = 0; i < list.Count(); ++i) {
      EXPECT_EQ(list.At(i)->m_strStatement.find_first_of("\r\n"), std::string::npos);
    }
  }
  junk[junk.size() / 2] = '\0';
  EXPECT_EQ(Merge(junk, junk, ModelKind::kBjt), MergeResult::kFailed);
}

}  // namespace
