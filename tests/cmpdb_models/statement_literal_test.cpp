// The statement reader does its deletions in single passes (equals signs, the ";" cut, the
// space collapse). These tests hold it against a reader that does everything the slow way, one
// byte and one deletion at a time, on random text full of the bytes that matter.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cmpdb/statement_reader.h"
#include "platform/file_system.h"
#include "tests/support/disk_files.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

// Spaces next to an equals sign deleted one at a time, in place; the character before an
// equals sign is looked at only while it lies after the previous one.
std::string TightenOneAtATime(std::string text) {
  for (char& c : text) c = c == '\t' ? ' ' : c;
  std::size_t from = 0;
  std::optional<std::size_t> previous;
  for (std::size_t eq; (eq = text.find('=', from)) != std::string::npos; from = eq + 1) {
    while (eq > 0 && (!previous || eq - 1 > *previous) && text[eq - 1] == ' ') {
      text.erase(eq - 1, 1);
      --eq;
    }
    while (eq + 1 < text.size() && text[eq + 1] == ' ') text.erase(eq + 1, 1);
    previous = eq;
  }
  return text;
}

// The reader as a sequence of byte reads: a line up to its line feed, null at the end and for a
// line whose first byte is NUL, its text ending at the first NUL, CR or LF.
class ByteReader {
 public:
  explicit ByteReader(std::string data) : m_data(std::move(data)) {}

  std::optional<std::string> Statement() {
    std::optional<std::string> first =
        m_lookAhead && !m_lookAhead->empty() ? m_lookAhead : PhysicalLine();
    std::string statement = first.value_or("");
    for (;;) {
      const std::optional<std::string> line = PhysicalLine();
      m_lookAhead = line;
      const std::optional<std::string> more = Continuation(line);
      if (!more) break;
      if (const std::size_t semicolon = statement.find(';'); semicolon != std::string::npos) {
        statement.erase(semicolon);
      }
      if (more->empty() || !IsBlank((*more)[0])) statement += ' ';
      statement += *more;
      m_lookAhead.reset();
    }
    if (!first) return std::nullopt;
    for (std::size_t pair; (pair = statement.find("  ")) != std::string::npos;) {
      statement.erase(pair, 1);
    }
    if (!statement.empty() && IsBlank(statement[0])) {
      std::size_t run = 0;
      while (run < statement.size() && IsBlank(statement[run])) ++run;
      statement.erase(run - 1, 1);
    }
    return statement;
  }

 private:
  std::optional<std::string> PhysicalLine() {
    if (m_pos == m_data.size()) return std::nullopt;
    std::string raw;
    while (m_pos < m_data.size()) {
      raw += m_data[m_pos++];
      if (raw.back() == '\n') break;
    }
    if (raw[0] == '\0') return std::nullopt;
    std::string text;
    for (char c : raw) {
      if (c == '\0' || c == '\r' || c == '\n') break;
      text += c == '\t' ? ' ' : c;
    }
    return TightenOneAtATime(text);
  }

  static std::optional<std::string> Continuation(const std::optional<std::string>& line) {
    if (!line) return std::nullopt;
    std::size_t i = 0;
    while (i < line->size() && IsBlank((*line)[i])) ++i;
    if (i == line->size() || (*line)[i] != '+') return std::nullopt;
    return line->substr(i + 1);
  }

  std::string m_data;
  std::size_t m_pos = 0;
  std::optional<std::string> m_lookAhead;
};

class Random {
 public:
  explicit Random(std::uint32_t seed) : m_state(seed) {}
  std::uint32_t Below(std::uint32_t n) {
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state % n;
  }

 private:
  std::uint32_t m_state;
};

// Text made of the bytes the reader treats specially, in runs, over lines of mixed ends.
std::string RandomText(Random& random, std::size_t length) {
  static constexpr std::string_view kPieces[] = {
      " ",  "  ",      "\t",   "=",        " = ", "==",   "\t=\t", ";",
      "+",  " +",      "\t+ ", "\r",       "\n",  "\r\n", "\n\n",  "\v",
      "\f", {"\0", 1}, "a",    ".model Q", "x=1", "\x1a", "\xff"};
  std::string text;
  while (text.size() < length) text += kPieces[random.Below(std::size(kPieces))];
  return text;
}

std::vector<std::string> ReadAll(CStatementReader& reader, std::FILE* file) {
  std::vector<std::string> statements;
  while (const char* s = reader.ReadStatement(file)) statements.emplace_back(s);
  reader.ReadStatement(nullptr);
  return statements;
}

TEST(StatementLiteral, TightenEqualsMatchesDeletingOneSpaceAtATime) {
  for (const char* odd : {"=", "==", " = ", "= =", "=  =", " \t= \t=\t =", "a= =b", "=a",
                          "a=", "  ", "\t", "a \t b"}) {
    std::string text = odd;
    TightenEquals(text);
    EXPECT_EQ(text, TightenOneAtATime(odd)) << odd;
  }
  Random random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    for (std::uint32_t n = random.Below(24); n > 0; --n) text += " \t=a"[random.Below(4)];
    const std::string expected = TightenOneAtATime(text);
    TightenEquals(text);
    ASSERT_EQ(text, expected) << round;
  }
}

TEST(StatementLiteral, StatementsMatchTheByteByByteReader) {
  WorkDir dir;
  const std::string path = dir.Path("db");
  CStatementReader reader;
  Random random(2024);
  for (int round = 0; round < 400; ++round) {
    // Every tenth file is longer than one read block of the reader.
    const std::size_t length = round % 10 == 9 ? 40000 + random.Below(20000) : random.Below(400);
    const std::string text = RandomText(random, length);
    WriteAll(path, text);
    std::unique_ptr<std::FILE, platform::FileCloser> file(platform::Fs().Open(path, "rb"));
    ASSERT_TRUE(file);
    const std::vector<std::string> got = ReadAll(reader, file.get());

    ByteReader literal(text);
    std::vector<std::string> expected;
    while (std::optional<std::string> s = literal.Statement()) expected.push_back(*s);
    ASSERT_EQ(got, expected) << "round " << round;
  }
}

}  // namespace
