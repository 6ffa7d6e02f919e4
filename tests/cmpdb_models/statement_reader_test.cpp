#include "cmpdb/statement_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

// Every statement of the text, read as a loader reads a file.
std::vector<std::string> Statements(const std::string& text) {
  WorkDir dir;
  const std::string path = dir.Path("db.txt");
  WriteAll(path, text);
  std::unique_ptr<std::FILE, platform::FileCloser> file(platform::Fs().Open(path, "rb"));
  EXPECT_TRUE(file);
  CStatementReader reader;
  std::vector<std::string> statements;
  while (const char* s = reader.ReadStatement(file.get())) statements.emplace_back(s);
  reader.ReadStatement(nullptr);
  return statements;
}

using Lines = std::vector<std::string>;

TEST(StatementReader, ContinuationsJoinWithSingleSpaces) {
  EXPECT_EQ(Statements(".model Q1 NPN(IS=1f  \n+ BF=100\n+VAF=50)\n"),
            Lines{".model Q1 NPN(IS=1f BF=100 VAF=50)"});
  // A "+" after spaces or a tab continues too; CR LF endings make no difference.
  EXPECT_EQ(Statements(".model Q2 PNP(IS=2f\r\n   + BF=80\r\n\t+\tVAF=9)\r\n"),
            Lines{".model Q2 PNP(IS=2f BF=80 VAF=9)"});
  // A "+" anywhere but first on its line is text.
  EXPECT_EQ(Statements("a\nb +c\n"), (Lines{"a", "b +c"}));
  // A bare "+" adds one space, which the collapse then merges.
  EXPECT_EQ(Statements("a \n+\n+ b\n"), Lines{"a b"});
}

TEST(StatementReader, SpacesAroundEqualsSignsGo) {
  EXPECT_EQ(Statements(".model Q NPN(Rb = 10 Re\t=\t2)\n+ Rc  =3\n"),
            Lines{".model Q NPN(Rb=10 Re=2) Rc=3"});
}

TEST(StatementReader, CommentsGoOnlyBeforeAContinuation) {
  EXPECT_EQ(Statements(".model Q NPN(IS=1 ; note\n+ BF=2) ; last\n"),
            Lines{".model Q NPN(IS=1 BF=2) ; last"});
  // The cut is at the first ";" of the statement so far, also in earlier continuations.
  EXPECT_EQ(Statements("a ; one\n+ b ; two\n+ c\n"), Lines{"a b c"});
}

TEST(StatementReader, EmptyLinesEndStatementsAndFollowTheLookAhead) {
  EXPECT_EQ(Statements(".model A X\n\n+ BF=1\n"), (Lines{".model A X", "+ BF=1"}));
  // The first empty line ends A; the second becomes a statement of its own.
  EXPECT_EQ(Statements(".model A X\n\n\n.model B Y\n"), (Lines{".model A X", "", ".model B Y"}));
}

TEST(StatementReader, LastLineWithoutLineFeed) {
  EXPECT_EQ(Statements(".model A X\n.model B Y"), (Lines{".model A X", ".model B Y"}));
  EXPECT_EQ(Statements(".model A X\n+ P=1"), (Lines{".model A X P=1"}));
  EXPECT_EQ(Statements(""), Lines{});
}

TEST(StatementReader, LeadingBlanksAndOtherBlanks) {
  EXPECT_EQ(Statements("   .model A   X\n"), Lines{".model A X"});
  // Only spaces collapse; the last blank of a leading run goes.
  EXPECT_EQ(Statements("\v .model\f\fA\n"), Lines{"\v.model\f\fA"});
}

TEST(StatementReader, ALineThatStartsWithNulEndsTheFileOnlyWhereAStatementStarts) {
  // As the look-ahead the NUL line just ends A, and reading goes on after it.
  EXPECT_EQ(Statements(std::string("A\n\0junk\nB\n", 11)), (Lines{"A", "B"}));
  // As the first line of a statement it is the end of the file.
  EXPECT_EQ(Statements(std::string("A\n\n\0junk\nB\n", 11)), Lines{"A"});
  EXPECT_EQ(Statements(std::string("\0A\nB\n", 5)), Lines{});
  // A NUL later in a line ends its text; the rest of that line is skipped.
  EXPECT_EQ(Statements(std::string("A\0B\nC\n", 6)), (Lines{"A", "C"}));
}

TEST(StatementReader, LinesOfAnyLength) {
  const std::string longLine(3 * 1024 * 1024 + 17, 'x');
  const Lines statements = Statements("a\n" + longLine + "\n+ y\nz");
  ASSERT_EQ(statements.size(), 3u);
  EXPECT_EQ(statements[1], longLine + " y");
  EXPECT_EQ(statements[2], "z");
}

TEST(StatementReader, ResetForgetsTheLookAhead) {
  WorkDir dir;
  WriteAll(dir.Path("one"), "A\nB\n");
  WriteAll(dir.Path("two"), "C\n");
  CStatementReader reader;
  std::unique_ptr<std::FILE, platform::FileCloser> one(platform::Fs().Open(dir.Path("one"), "rb"));
  ASSERT_STREQ(reader.ReadStatement(one.get()), "A");  // B is now the look-ahead
  one.reset();
  reader.ReadStatement(nullptr);
  std::unique_ptr<std::FILE, platform::FileCloser> two(platform::Fs().Open(dir.Path("two"), "rb"));
  EXPECT_STREQ(reader.ReadStatement(two.get()), "C");
  EXPECT_EQ(reader.ReadStatement(two.get()), nullptr);
}

TEST(StatementReader, PhysicalAndRawLines) {
  WorkDir dir;
  WriteAll(dir.Path("f"), "a\tb = c\r\n\nlast");
  std::unique_ptr<std::FILE, platform::FileCloser> f(platform::Fs().Open(dir.Path("f"), "rb"));
  CStatementReader reader;
  EXPECT_STREQ(reader.ReadRawLine(f.get()), "a\tb = c\r\n");
  EXPECT_STREQ(reader.ReadPhysicalLine(f.get()), "");
  EXPECT_STREQ(reader.ReadPhysicalLine(f.get()), "last");
  EXPECT_EQ(reader.ReadRawLine(f.get()), nullptr);
}

TEST(StatementText, TightenEquals) {
  const std::pair<std::string, std::string> cases[] = {
      {"IS = 1E-14", "IS=1E-14"},
      {"a\t=\t\tb", "a=b"},
      {"a = = b", "a==b"},
      {"= x", "=x"},
      {"x =", "x="},
      {"a b  c", "a b  c"},
      {"p=1  q =2", "p=1  q=2"},
      {"", ""},
  };
  for (const auto& [in, out] : cases) {
    std::string text = in;
    TightenEquals(text);
    EXPECT_EQ(text, out) << in;
  }
}

TEST(StatementText, ContinuationText) {
  EXPECT_EQ(ContinuationText(nullptr), nullptr);
  EXPECT_EQ(ContinuationText("x+"), nullptr);
  EXPECT_EQ(ContinuationText(""), nullptr);
  EXPECT_STREQ(ContinuationText(" \t\v+ rest"), " rest");
  EXPECT_STREQ(ContinuationText("+"), "");
}

TEST(StatementText, TokensAndBlanks) {
  const char* cursor = "  .model\tQ1 \r\nNPN(IS=1)";
  EXPECT_EQ(NextToken(cursor), ".model");
  EXPECT_EQ(*cursor, '\t');
  EXPECT_EQ(NextToken(cursor), "Q1");
  EXPECT_EQ(NextToken(cursor), "NPN(IS=1)");
  EXPECT_EQ(*cursor, '\0');
  EXPECT_EQ(NextToken(cursor), "");

  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(IsBlank(static_cast<char>(c)), c == ' ' || (c >= 9 && c <= 13)) << c;
  }
}

}  // namespace
