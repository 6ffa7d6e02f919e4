#include "cmpdb/record_order.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "cmpdb/record_document.h"
#include "tests/cmpdb_records/document_bytes.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(CompareFloats, SignOfTheDifference) {
  EXPECT_EQ(CompareFloats(1, 2), -1);
  EXPECT_EQ(CompareFloats(2, 1), 1);
  EXPECT_EQ(CompareFloats(0.0f, -0.0f), 0);
  // Neighbouring floats differ although their difference is tiny.
  EXPECT_EQ(CompareFloats(1.0f, std::nextafter(1.0f, 2.0f)), -1);
  EXPECT_EQ(CompareFloats(kNaN, 1), -1);
  EXPECT_EQ(CompareFloats(1, kNaN), -1);
  EXPECT_EQ(CompareFloats(kInf, kInf), -1);
  EXPECT_EQ(CompareFloats(kInf, 1), 1);
  EXPECT_EQ(CompareFloats(-kInf, kInf), -1);
  // float max minus float lowest overflows float but not double.
  EXPECT_EQ(CompareFloats(std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest()),
            1);
}

TEST(TextOrders, FoldingPrefixesAndHighBytes) {
  EXPECT_EQ(CompareTextNoCase("abc", "ABC"), 0);
  EXPECT_LT(CompareTextNoCase("abc", "ABD"), 0);
  EXPECT_LT(CompareTextNoCase("AB", "abc"), 0);
  // '_' (0x5F) lies between the upper and the lower letters: folding to lower puts it first.
  EXPECT_LT(CompareTextNoCase("_", "A"), 0);
  EXPECT_GT(CompareTextNoCase("\xE9", "z"), 0);
  EXPECT_LT(CompareTextExact("B", "a"), 0);
  EXPECT_LT(CompareTextExact("", "a"), 0);
  EXPECT_GT(CompareTextExact("\x80", "\x7F"), 0);
}

TEST(CapacitorOrder, KeysInTheirOddOrder) {
  CCapacitorRec a, b;
  a.m_fParam5 = 1;  // parameter 5 loses against parameter 6 and the integer
  b.m_fParam6 = 1;
  EXPECT_LT(CompareCapacitorRecs(a, b), 0);
  b.m_fParam6 = 0;
  b.m_nParam7 = 1;
  EXPECT_LT(CompareCapacitorRecs(a, b), 0);
  b.m_nParam7 = 0;
  EXPECT_GT(CompareCapacitorRecs(a, b), 0);
  // The integer compares by the sign of the wrapping 32-bit difference.
  a = CCapacitorRec();
  b = CCapacitorRec();
  a.m_nParam7 = INT_MIN;
  b.m_nParam7 = 1;
  EXPECT_GT(CompareCapacitorRecs(a, b), 0);
  a.m_nParam7 = -1;
  EXPECT_LT(CompareCapacitorRecs(a, b), 0);
  // Texts last, type before manufacturer before part number, without regard to case.
  a = CCapacitorRec();
  b = CCapacitorRec();
  a.m_strType = "x7r";
  b.m_strType = "X7R";
  a.m_strManufacturer = "B";
  b.m_strManufacturer = "a";
  EXPECT_GT(CompareCapacitorRecs(a, b), 0);
  b.m_strManufacturer = "b";
  EXPECT_EQ(CompareCapacitorRecs(a, b), 0);
}

TEST(ResistorAndInductorOrders, CaseCountsAndEmptyComesFirst) {
  CResistorRec a, b;
  b.m_strManufacturer = "a";
  EXPECT_LT(CompareResistorRecs(a, b), 0);
  a.m_strManufacturer = "B";
  EXPECT_LT(CompareResistorRecs(a, b), 0);
  CInductorRec x, y;
  x.m_strPartNumber = "abc";
  y.m_strPartNumber = "ABC";
  EXPECT_GT(CompareInductorRecs(x, y), 0);
}

TEST(WurthName, PhrasesAnywhereInAnyCase) {
  EXPECT_TRUE(IsWurthName("Wurth Elektronik eiSos"));
  EXPECT_TRUE(IsWurthName("we eisos GmbH"));
  EXPECT_TRUE(IsWurthName("by WURTH ELEKTRONIK"));
  EXPECT_FALSE(IsWurthName(""));
  EXPECT_FALSE(IsWurthName("W\xFCrth Elektronik"));
  EXPECT_FALSE(IsWurthName("WE-eiSos"));
}

// Texts from a file may hold NUL bytes: a phrase after one still counts, one split by it not.
TEST(WurthName, PhrasesAfterANulByteCount) {
  using namespace std::string_literals;
  EXPECT_TRUE(IsWurthName("Acme\0WE eiSos"s));
  EXPECT_TRUE(IsWurthName("\0\0wurth elektronik\0"s));
  EXPECT_FALSE(IsWurthName("Wurth\0 Elektronik"s));
  EXPECT_FALSE(IsWurthName("\0"s));

  CInductorDoc doc;
  doc.m_records.push_back(std::make_unique<CInductorRec>());
  doc.m_records.back()->m_strManufacturer = "x\0we EISOS"s;
  CInductorDoc read;
  ASSERT_EQ(LoadFromBytes(read, StoreToBytes(doc)), ArchiveError::kNone);
  ASSERT_EQ(read.m_records.size(), 1u);
  EXPECT_EQ(read.m_records[0]->m_strManufacturer, "Wurth Elektronik");
}

TEST(WurthName, ReadingNormalisesWritingDoesNot) {
  CInductorDoc doc;
  for (const char* maker : {"we eisos gmbh", "Wurth Elektronik eiSos", "", "Sumida"}) {
    doc.m_records.push_back(std::make_unique<CInductorRec>());
    doc.m_records.back()->m_strManufacturer = maker;
  }
  std::string stored = StoreToBytes(doc);
  EXPECT_NE(stored.find("we eisos gmbh"), std::string::npos);
  CInductorDoc read;
  ASSERT_EQ(LoadFromBytes(read, stored), ArchiveError::kNone);
  ASSERT_EQ(read.m_records.size(), 4u);
  EXPECT_EQ(read.m_records[0]->m_strManufacturer, "Wurth Elektronik");
  EXPECT_EQ(read.m_records[1]->m_strManufacturer, "Wurth Elektronik");
  EXPECT_EQ(read.m_records[2]->m_strManufacturer, "");
  EXPECT_EQ(read.m_records[3]->m_strManufacturer, "Sumida");
}

// Records told apart by their part number, all equal under an order on capacitance alone.
std::vector<std::unique_ptr<CCapacitorRec>> Tagged(std::initializer_list<float> values) {
  std::vector<std::unique_ptr<CCapacitorRec>> v;
  for (float f : values) {
    v.push_back(std::make_unique<CCapacitorRec>());
    v.back()->m_fCapacitance = f;
    v.back()->m_strPartNumber = std::to_string(v.size());
  }
  return v;
}

std::string Tags(const std::vector<std::unique_ptr<CCapacitorRec>>& v) {
  std::string s;
  for (const auto& r : v) s += r->m_strPartNumber;
  return s;
}

int ByCapacitance(const CCapacitorRec& a, const CCapacitorRec& b) {
  return CompareFloats(a.m_fCapacitance, b.m_fCapacitance);
}

TEST(HeapSortRecords, EqualRecordsEndWhereTheStepsPutThem) {
  auto two = Tagged({1, 1});
  HeapSortRecords(two, ByCapacitance);
  EXPECT_EQ(Tags(two), "21");
  auto three = Tagged({1, 1, 1});
  HeapSortRecords(three, ByCapacitance);
  EXPECT_EQ(Tags(three), "231");
  DropEqualNeighbours(three, ByCapacitance);
  EXPECT_EQ(Tags(three), "1");
  auto mixed = Tagged({2, 1, 2, 1});
  HeapSortRecords(mixed, ByCapacitance);
  EXPECT_EQ(Tags(mixed), "2431");
}

TEST(HeapSortRecords, SortsRandomListsIntoAPermutation) {
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::vector<std::unique_ptr<CCapacitorRec>> v;
    int n = int(random() % 60);
    std::vector<float> values;
    for (int i = 0; i < n; ++i) {
      v.push_back(std::make_unique<CCapacitorRec>());
      v.back()->m_fCapacitance = float(random() % 10);
      values.push_back(v.back()->m_fCapacitance);
    }
    HeapSortRecords(v, ByCapacitance);
    std::sort(values.begin(), values.end());
    ASSERT_EQ(v.size(), values.size());
    for (std::size_t i = 0; i < v.size(); ++i) EXPECT_EQ(v[i]->m_fCapacitance, values[i]);
    DropEqualNeighbours(v, ByCapacitance);
    for (std::size_t i = 0; i + 1 < v.size(); ++i) {
      EXPECT_LT(v[i]->m_fCapacitance, v[i + 1]->m_fCapacitance);
    }
  }
}

}  // namespace
