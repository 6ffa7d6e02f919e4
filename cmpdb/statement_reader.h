// Reading a model-text database as logical statements: one physical line together with the
// "+" continuation lines that follow it, normalised so that equal statements compare equal.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

// True for the blanks of a statement: tab, line feed, vertical tab, form feed, carriage return
// (bytes 9 to 13) and space.
bool IsBlank(char c);

// Skips blanks at the cursor and returns the run of non-blank characters that follows (empty
// at the end of the text); the cursor is left on the character after the token.
std::string NextToken(const char*& cursor);

// Turns tabs into spaces and removes every space directly before or after an equals sign, so
// that "IS = 1E-14" becomes "IS=1E-14".
void TightenEquals(std::string& text);

// The text after the "+" of a continuation line (a "+" after leading blanks), or null when the
// line is null or does not continue a statement.
const char* ContinuationText(const char* line);

// The reader of one database file at a time. It owns the last physical line, the statement
// being built and the look-ahead line that ended the previous statement; every text it returns
// stays valid until its next call.
class CStatementReader {
 public:
  // Reads one physical line, its line feed included, or null at the end of the file and for a
  // line whose first byte is NUL (the whole line is consumed either way). Reading is buffered:
  // the reader owns everything read from the stream until it is reset. A null stream releases
  // the line and the buffered bytes.
  const char* ReadRawLine(std::FILE* stream);

  // ReadRawLine, with tabs turned into spaces, the text ended at the first NUL, carriage return
  // or line feed, and TightenEquals applied; null at the end of the file, empty for an empty
  // line.
  const char* ReadPhysicalLine(std::FILE* stream);

  // The next statement: a line with its continuations joined by single blanks, ";" comments
  // before a continuation removed, runs of spaces collapsed and one leading blank dropped; null
  // at the end of the file. A null stream resets the reader for the next file.
  const char* ReadStatement(std::FILE* stream);

  // What makes the text read so far from the current stream unfit to be taken as a model
  // database: a byte-order mark at its start, a NUL byte anywhere, or a failed read (which
  // otherwise looks like the end of the file). Reset with the reader.
  enum class Trouble { kNone, kByteOrderMark, kNulByte, kReadError };
  Trouble Problem() const { return m_trouble; }

 private:
  // Reads the next block of m_source; false at its end (or on a read error, noted).
  bool Refill();
  // Keeps the first trouble found.
  void Note(Trouble trouble);

  std::FILE* m_source = nullptr;
  std::unique_ptr<char[]> m_block;
  std::size_t m_nBlockPos = 0;
  std::size_t m_nBlockLen = 0;
  std::string m_strRaw;
  std::string m_strStatement;
  // The look-ahead is the physical line in m_strRaw when set.
  bool m_bLookAhead = false;
  bool m_bAtStart = true;  // nothing read from m_source yet
  Trouble m_trouble = Trouble::kNone;
};
