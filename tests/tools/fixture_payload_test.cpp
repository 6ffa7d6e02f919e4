// The table built from tests/tools/fixture by tvex_add_payload, linked into this program.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "payload/payload_check.h"
#include "payload/payload_entry.h"

namespace {

std::vector<unsigned char> ReadFixture(const std::string& name) {
  std::string path = std::string(TVEX_FIXTURE_DIR) + "/" + name.substr(2);
  for (char& c : path)
    if (c == '\\') c = '/';
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::vector<unsigned char> Inflate(const PayloadEntry& e) {
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, 16 + MAX_WBITS), Z_OK);  // gzip framing only
  std::vector<unsigned char> out(e.nSize + 1);
  z.next_in = const_cast<unsigned char*>(e.pData);
  z.avail_in = e.nPackedSize;
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int status = inflate(&z, Z_FINISH);
  EXPECT_EQ(status, Z_STREAM_END) << e.pszName;
  EXPECT_EQ(z.avail_in, 0u) << e.pszName << ": bytes after the gzip member";
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

TEST(FixturePayload, EveryEntryGivesBackItsFile) {
  ASSERT_EQ(g_payloadTableSize, 6u);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < g_payloadTableSize; ++i) {
    const PayloadEntry& e = *g_payloadTable[i];
    names.push_back(e.pszName);
    std::vector<unsigned char> expected = ReadFixture(e.pszName);
    ASSERT_EQ(e.nSize, expected.size()) << e.pszName;
    std::vector<unsigned char> content =
        e.nPackedSize ? Inflate(e) : std::vector<unsigned char>(e.pData, e.pData + e.nSize);
    EXPECT_EQ(content, expected) << e.pszName;
    EXPECT_EQ(e.nPackedSize != 0, e.nSize > 1024) << e.pszName;
    EXPECT_EQ(e.bReadOnly, std::strcmp(e.pszName, ".\\lib\\sym\\cap.asy") == 0 ? 1u : 0u);
    EXPECT_EQ(e.dwBuildTag, 0u);
  }
  EXPECT_EQ(names, (std::vector<std::string>{".\\Changelog.txt", ".\\Docs\\exact.txt",
                                             ".\\Docs\\noise.bin", ".\\lib\\sym\\cap.asy",
                                             ".\\lib\\sym\\res.asy", ".\\License.txt"}));
}

TEST(FixturePayload, PassesTheCheckRecordedWithIt) {
  const PayloadTable table{g_payloadTable, g_payloadTableSize};
  EXPECT_TRUE(PayloadTableIntact(table, g_payloadTableCrc));
  EXPECT_NE(g_payloadTableCrc, PayloadTableCrc(PayloadTable{g_payloadTable, 0}));
}

TEST(FixturePayload, NamesAndDataFollowEachOtherOnWordBoundaries) {
  const unsigned char* expected =
      reinterpret_cast<const unsigned char*>(g_payloadTable[0]->pszName);
  for (std::size_t i = 0; i < g_payloadTableSize; ++i) {
    const PayloadEntry& e = *g_payloadTable[i];
    const unsigned char* name = reinterpret_cast<const unsigned char*>(e.pszName);
    EXPECT_EQ(name, expected) << e.pszName;
    std::size_t nameBytes = std::strlen(e.pszName) + 1;
    EXPECT_EQ(e.pData, name + (nameBytes + 3) / 4 * 4) << e.pszName;
    std::size_t dataBytes = e.nPackedSize ? e.nPackedSize : e.nSize;
    expected = e.pData + (dataBytes + 3) / 4 * 4;
    if (i + 1 < g_payloadTableSize) {
      EXPECT_EQ(g_payloadTable[i + 1], g_payloadTable[i] + 1);
    }
  }
}

}  // namespace
