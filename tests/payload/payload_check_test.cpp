#include "payload/payload_check.h"

#include <gtest/gtest.h>

#include <functional>

#include "tests/support/test_payload.h"

namespace {

using namespace tvex_test;

// A table of a stored, a packed and a read-only entry.
void AddThreeEntries(TestPayload& payload) {
  payload.Add(".\\Changelog.txt", TextBytes(300));
  payload.Add(".\\lib\\cmp\\standard.cap", TextBytes(5000));
  payload.Add(".\\lib\\sym\\cap.asy", TextBytes(353), true);
}

TEST(PayloadCheck, AnyChangeThatTheInstallationWouldSeeIsFound) {
  TestPayload original;
  AddThreeEntries(original);
  const std::uint32_t recorded = PayloadTableCrc(original.Table());
  EXPECT_TRUE(PayloadTableIntact(original.Table(), recorded));

  // Each change made to a copy of the table's entries, one at a time: entry 0 is stored,
  // entry 1 packed.
  struct Change {
    const char* what;
    std::size_t entry;
    std::function<void(PayloadEntry&, std::string&)> apply;
  };
  const Change changes[] = {
      {"a byte of a stored entry", 0, [](PayloadEntry&, std::string& data) { data[0] ^= 0x20; }},
      {"a bit of a packed stream", 1,
       [](PayloadEntry&, std::string& data) { data[data.size() / 2] ^= 0x01; }},
      // Sizes only ever shrink here, so the check reads no byte past the data.
      {"the size of a packed entry", 1, [](PayloadEntry& e, std::string&) { e.nSize -= 1; }},
      {"the size of a stored entry", 0, [](PayloadEntry& e, std::string&) { e.nSize -= 1; }},
      {"the packed size", 1, [](PayloadEntry& e, std::string&) { e.nPackedSize -= 1; }},
      {"the read-only flag", 0, [](PayloadEntry& e, std::string&) { e.bReadOnly ^= 1; }},
  };
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    const PayloadTable table = original.Table();
    const std::size_t index = c.entry;
    std::vector<PayloadEntry> entries;
    for (std::size_t i = 0; i < table.count; ++i) entries.push_back(*table.entries[i]);
    const PayloadEntry& source = entries[index];
    std::string data(reinterpret_cast<const char*>(source.pData),
                     source.nPackedSize ? source.nPackedSize : source.nSize);
    c.apply(entries[index], data);
    entries[index].pData = reinterpret_cast<const unsigned char*>(data.data());
    std::vector<const PayloadEntry*> pointers;
    for (const PayloadEntry& e : entries) pointers.push_back(&e);
    EXPECT_FALSE(PayloadTableIntact(PayloadTable{pointers.data(), pointers.size()}, recorded));
  }
}

TEST(PayloadCheck, NamesOrderAndCountCount) {
  TestPayload original;
  AddThreeEntries(original);
  const std::uint32_t recorded = PayloadTableCrc(original.Table());
  const PayloadTable table = original.Table();

  PayloadEntry renamed = *table.entries[2];
  renamed.pszName = ".\\lib\\sym\\cap.asz";
  const PayloadEntry* withRename[] = {table.entries[0], table.entries[1], &renamed};
  EXPECT_FALSE(PayloadTableIntact(PayloadTable{withRename, 3}, recorded));

  const PayloadEntry* swapped[] = {table.entries[1], table.entries[0], table.entries[2]};
  EXPECT_FALSE(PayloadTableIntact(PayloadTable{swapped, 3}, recorded));
  EXPECT_FALSE(PayloadTableIntact(PayloadTable{table.entries, 2}, recorded)) << "one cut off";

  // The build tag plays no part: nothing reads it.
  PayloadEntry tagged = *table.entries[0];
  tagged.dwBuildTag = 0xDEADBEEF;
  const PayloadEntry* withTag[] = {&tagged, table.entries[1], table.entries[2]};
  EXPECT_TRUE(PayloadTableIntact(PayloadTable{withTag, 3}, recorded));
}

TEST(PayloadCheck, AnEmptyTableHasACheckToo) {
  const PayloadTable empty{nullptr, 0};
  const std::uint32_t crc = PayloadTableCrc(empty);
  EXPECT_TRUE(PayloadTableIntact(empty, crc));
  EXPECT_FALSE(PayloadTableIntact(empty, crc + 1));
}

}  // namespace
