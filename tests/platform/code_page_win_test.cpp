// The system's own code page, as Wine takes it from the locale: these tests run in the default
// one and again with LC_ALL=ja_JP.UTF-8 (932) and zh_CN.UTF-8 (936), as older Windows in Japan
// or China run the installer. Names are made and checked with the W calls, which no code page
// can bend.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_ops.h"
#include "platform/paths.h"
#include "platform/wide_text.h"
#include "tests/support/code_pages.h"
#include "tests/support/work_dir.h"
#include "tools/gui_driver/gui_driver.h"

namespace {

using tvex_test::FolderName;
using tvex_test::kFolderNames;

class SystemCodePage : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!FolderName::Known(acp_)) GTEST_SKIP() << "no names known for code page " << acp_;
  }
  const UINT acp_ = ::GetACP();
};

TEST_F(SystemCodePage, LeadBytesAreTheCodePagesOwn) {
  EXPECT_EQ(platform::AnsiCodePageIsUtf8(), acp_ == CP_UTF8);
  for (unsigned c = 0; c < 256; ++c) {
    const auto byte = static_cast<unsigned char>(c);
    const bool expected = acp_ == 932   ? tvex_test::Cp932LeadByte(byte)
                          : acp_ == 936 ? tvex_test::Cp936LeadByte(byte)
                                        : false;
    EXPECT_EQ(platform::SystemIsLeadByte(byte), expected) << "byte " << c;
  }
}

TEST_F(SystemCodePage, NamesConvertExactlyOrNotAtAll) {
  for (const FolderName& name : kFolderNames) {
    const std::optional<std::string> bytes = name.In(acp_);
    SCOPED_TRACE(bytes.value_or("(none)"));
    EXPECT_EQ(platform::AnsiFromWide(name.wide), bytes);
    if (bytes) {
      EXPECT_EQ(platform::WideFromAnsi(*bytes), name.wide);
      EXPECT_EQ(platform::WideLength(*bytes), std::wcslen(name.wide));
    }
    // Shown, a missing character is the default one, never a look-alike: "L" for "Ł", "o" for
    // "ó", "z" for "ź", "e" for "é".
    const std::string shown = platform::AnsiShownFromWide(name.wide);
    EXPECT_EQ(shown.find_first_of("Loze"), std::string::npos) << shown;
  }
  // Half a surrogate pair is no text in any code page.
  EXPECT_EQ(platform::AnsiFromWide(L"a\xD800z"), std::nullopt);
}

TEST_F(SystemCodePage, EnvironmentAndTemporaryFolderAreExactOrAbsent) {
  const wchar_t* const kVariable = L"TVEX_CODE_PAGE_TEST";
  for (const FolderName& name : kFolderNames) {
    const std::wstring value = std::wstring(L"C:\\") + name.wide;
    ASSERT_TRUE(::SetEnvironmentVariableW(kVariable, value.c_str()));
    const std::optional<std::string> bytes = name.In(acp_);
    EXPECT_EQ(platform::EnvironmentText("TVEX_CODE_PAGE_TEST"),
              bytes ? std::optional<std::string>("C:\\" + *bytes) : std::nullopt);
  }
  ::SetEnvironmentVariableW(kVariable, nullptr);
  EXPECT_EQ(platform::EnvironmentText("TVEX_CODE_PAGE_TEST"), std::nullopt);

  // GetTempPath takes TMP first.
  wchar_t saved[MAX_PATH + 1] = {};
  const DWORD had = ::GetEnvironmentVariableW(L"TMP", saved, MAX_PATH + 1);
  for (const FolderName& name : kFolderNames) {
    const std::wstring value = std::wstring(L"C:\\") + name.wide + L"\\Temp\\";
    ::SetEnvironmentVariableW(L"TMP", value.c_str());
    const std::optional<std::string> bytes = name.In(acp_);
    EXPECT_EQ(platform::TempFolder(),
              bytes ? std::optional<std::string>("C:\\" + *bytes + "\\Temp\\") : std::nullopt);
  }
  ::SetEnvironmentVariableW(L"TMP", had ? saved : nullptr);
}

// The folders are made through the portable path code and the file seam, in the code page's
// bytes, and must be where the name says: "表" made as "表" and the files inside it, not beside.
TEST_F(SystemCodePage, FoldersLandWhereTheirNamesSay) {
  tvex_test::WorkDir work;
  const std::wstring root = platform::WideFromAnsi(work.path());
  std::vector<std::wstring> made;
  for (const FolderName& name : kFolderNames) {
    const std::optional<std::string> bytes = name.In(acp_);
    if (!bytes) continue;
    SCOPED_TRACE(*bytes);
    const std::string dir = JoinPath(work.path().c_str(), bytes->c_str());
    int counter = 0;
    CreateDirectoryTree(JoinPath(dir.c_str(), ".\\lib\\sym").c_str(), counter);
    EXPECT_TRUE(gui::DirectoryExists(root + L"\\" + name.wide + L"\\lib\\sym"));
    EXPECT_TRUE(DirectoryExists(JoinPath(dir.c_str(), "lib\\").c_str()));
    EXPECT_EQ(ParentDirectory(JoinPath(dir.c_str(), "lib").c_str()), dir + "\\");
    made.push_back(name.wide);
  }
  // Nothing beside them ("表lib").
  std::sort(made.begin(), made.end());
  EXPECT_EQ(gui::FolderEntries(root), made);
}

}  // namespace
