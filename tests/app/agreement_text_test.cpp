#include "app/agreement_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(AgreementText, Has47CrLfLinesOf2586BytesAsciiButForOneCopyrightSign) {
  const std::string text(kAgreementText, kAgreementTextLength);
  EXPECT_EQ(text.size(), 2586u);
  EXPECT_EQ(text.find('\0'), std::string::npos);
  std::size_t lines = 1, crlf = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++lines;
      ASSERT_GT(i, 0u);
      EXPECT_EQ(text[i - 1], '\r') << "bare line feed at " << i;
    }
    if (text.compare(i, 2, "\r\n") == 0) ++crlf;
  }
  EXPECT_EQ(lines, 47u);
  EXPECT_EQ(crlf, 46u);
  EXPECT_EQ(std::count_if(text.begin(), text.end(),
                          [](char c) { return static_cast<unsigned char>(c) > 0x7F; }),
            1);
  EXPECT_NE(text.find('\xA9'), std::string::npos);
}

TEST(WidenLatin1, MapsEveryByteToTheCharacterOfTheSameNumber) {
  EXPECT_EQ(WidenLatin1(nullptr), L"");
  EXPECT_EQ(WidenLatin1(""), L"");
  EXPECT_EQ(WidenLatin1("A\xA9z\xFF"), std::wstring(L"A\u00A9z\u00FF"));
  const std::wstring agreement = WidenLatin1(kAgreementText);
  EXPECT_EQ(agreement.size(), kAgreementTextLength);
  // In the system's code page the text keeps its length (one byte per character).
  EXPECT_EQ(NarrowToAnsi(agreement).size(), kAgreementTextLength);
  EXPECT_EQ(NarrowToAnsi(L"plain"), "plain");
}

}  // namespace
