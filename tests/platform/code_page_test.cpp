// Paths are split only where a character begins: in a double-byte code page (older Windows, which
// run the installer in their legacy ANSI code page) the second byte of a character may be 0x5C,
// the backslash. The code pages are the tests' own tables here, so the rules run natively too.
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"
#include "tests/support/code_pages.h"

namespace {

using tvex_test::Cp932LeadByte;
using tvex_test::Cp936LeadByte;

constexpr std::size_t npos = std::string::npos;

bool NoLeadBytes(unsigned char) { return false; }

struct Split {
  const char* codePage;
  platform::ScopedLeadBytes::Test lead;
  std::string path;
  std::size_t first, last;
  bool endsWithSeparator;
};

TEST(CodePage, OnlyWholeCharactersAreSeparators) {
  const Split cases[] = {
      // "C:\Apps\表": 表 is 95 5C in code page 932.
      {"932", Cp932LeadByte, "C:\\Apps\\\x95\x5C", 2, 7, false},
      {"932", Cp932LeadByte, "C:\\Apps\\\x95\x5C\\", 2, 10, true},
      {"932", Cp932LeadByte, "\x95\x5C\x95\x5C", npos, npos, false},
      {"932", Cp932LeadByte, "\x95\x5C\\\x95\x5C", 2, 2, false},
      // A single-byte katakana (B1) begins no pair; a lead byte with nothing after it is alone.
      {"932", Cp932LeadByte, "C:\\\xB1\\", 2, 4, true},
      {"932", Cp932LeadByte, "C:\\\x95", 2, 2, false},
      // "D:\乗lib": 乗 is 81 5C in code page 936.
      {"936", Cp936LeadByte, "D:\\\x81\x5Clib", 2, 2, false},
      {"936", Cp936LeadByte, "D:\\\x81\x5C\\\xB1\xED\\", 2, 8, true},
      // UTF-8 (and every single-byte code page): every 0x5C is a backslash.
      {"UTF-8", NoLeadBytes, "C:\\Apps\\\xE8\xA1\xA8", 2, 7, false},
      {"UTF-8", NoLeadBytes, "C:\\Apps\\\x95\x5C", 2, 9, true},
      {"UTF-8", NoLeadBytes, "", npos, npos, false},
  };
  for (const Split& c : cases) {
    platform::ScopedLeadBytes codePage(c.lead);
    SCOPED_TRACE(std::string(c.codePage) + ": " + c.path);
    EXPECT_EQ(platform::FindSeparator(c.path), c.first);
    EXPECT_EQ(platform::FindLastSeparator(c.path), c.last);
    EXPECT_EQ(platform::EndsWithSeparator(c.path), c.endsWithSeparator);
  }
}

TEST(CodePage, TheSearchGoesOnFromACharactersStart) {
  platform::ScopedLeadBytes codePage(Cp932LeadByte);
  const std::string path = "C:\\\x95\x5C\\lib\\\x8F\x5C";  // C:\表\lib\十
  EXPECT_EQ(platform::FindSeparator(path, 3), 5u);
  EXPECT_EQ(platform::FindSeparator(path, 6), 9u);
  EXPECT_EQ(platform::FindSeparator(path, 10), npos);
}

struct Joined {
  const char* codePage;
  platform::ScopedLeadBytes::Test lead;
  const char* dir;
  const char* name;
  std::string joined;
  std::string parentOfJoined;
};

// The fault this guards against: "C:\Apps\表" taken as ending in a backslash, so that the files
// went to "C:\Apps\表lib\...", a sibling of the folder chosen.
TEST(CodePage, JoinPathAndParentDirectoryKeepDoubleByteNamesWhole) {
  const Joined cases[] = {
      {"932", Cp932LeadByte, "C:\\Apps\\\x95\x5C", ".\\lib\\cap.asy",
       "C:\\Apps\\\x95\x5C\\lib\\cap.asy", "C:\\Apps\\\x95\x5C\\lib\\"},
      {"932", Cp932LeadByte, "C:\\Apps\\\x95\x5C\\", "tvex3.exe", "C:\\Apps\\\x95\x5C\\tvex3.exe",
       "C:\\Apps\\\x95\x5C\\"},
      {"932", Cp932LeadByte, "C:\\\x95\x5C\x8F\x5C", "", "C:\\\x95\x5C\x8F\x5C\\", "C:\\"},
      {"936", Cp936LeadByte, "D:\\\x81\x5C", "a", "D:\\\x81\x5C\\a", "D:\\\x81\x5C\\"},
      {"936", Cp936LeadByte, "D:\\\xD6\xD0\xCE\xC4", ".\\x", "D:\\\xD6\xD0\xCE\xC4\\x",
       "D:\\\xD6\xD0\xCE\xC4\\"},
      {"UTF-8", NoLeadBytes, "C:\\Apps\\\xE8\xA1\xA8", ".\\lib\\x",
       "C:\\Apps\\\xE8\xA1\xA8\\lib\\x", "C:\\Apps\\\xE8\xA1\xA8\\lib\\"},
  };
  for (const Joined& c : cases) {
    platform::ScopedLeadBytes codePage(c.lead);
    SCOPED_TRACE(std::string(c.codePage) + ": " + c.dir);
    const std::string joined = JoinPath(c.dir, c.name);
    EXPECT_EQ(joined, c.joined);
    EXPECT_EQ(ParentDirectory(joined.c_str()), c.parentOfJoined);
  }
  platform::ScopedLeadBytes codePage(Cp932LeadByte);
  EXPECT_EQ(ParentDirectory("C:\\Apps\\\x95\x5C"), "C:\\Apps\\");
  EXPECT_EQ(ParentDirectory("\x95\x5C"), ".");
}

TEST(CodePage, AnInstalledTestEndsWithItsScope) {
  {
    platform::ScopedLeadBytes outer(Cp936LeadByte);
    {
      platform::ScopedLeadBytes inner(NoLeadBytes);
      EXPECT_FALSE(platform::IsLeadByte('\x81'));
    }
    EXPECT_TRUE(platform::IsLeadByte('\x81'));
  }
  for (unsigned c = 0; c < 256; ++c)
    EXPECT_EQ(platform::IsLeadByte(static_cast<unsigned char>(c)),
              platform::SystemIsLeadByte(static_cast<unsigned char>(c)));
}

}  // namespace
