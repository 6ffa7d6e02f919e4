#include "cmpdb/statement_reader.h"

#include <cstring>
#include <string_view>

#include "platform/file_system.h"

namespace {

constexpr std::size_t kReadBlock = 16 * 1024;

bool IsSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

// UTF-8, UTF-16 (either order) and UTF-32 begin so; a model database is 8-bit text.
bool StartsWithByteOrderMark(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
         bytes.starts_with("\xFE\xFF") || bytes.starts_with(std::string_view("\0\0\xFE\xFF", 4));
}

}  // namespace

bool IsBlank(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u == ' ' || (u >= 9 && u <= 13);
}

std::string NextToken(const char*& cursor) {
  while (*cursor && IsBlank(*cursor)) ++cursor;
  const char* start = cursor;
  while (*cursor && !IsBlank(*cursor)) ++cursor;
  return std::string(start, cursor);
}

// One pass instead of deleting spaces one at a time; the result is the same, and a long line
// full of "= =" does not take quadratic time.
void TightenEquals(std::string& text) {
  std::string out;
  out.reserve(text.size());
  std::size_t floor = 0;  // spaces are removed only after the previous equals sign
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] == '\t' ? ' ' : text[i];
    if (c != '=') {
      out += c;
      continue;
    }
    while (out.size() > floor && out.back() == ' ') out.pop_back();
    out += '=';
    floor = out.size();
    while (i + 1 < text.size() && IsSpaceOrTab(text[i + 1])) ++i;
  }
  text.swap(out);
}

const char* ContinuationText(const char* line) {
  if (!line) return nullptr;
  while (*line && IsBlank(*line)) ++line;
  return *line == '+' ? line + 1 : nullptr;
}

bool CStatementReader::Refill() {
  if (!m_block) m_block = std::make_unique_for_overwrite<char[]>(kReadBlock);
  m_nBlockPos = 0;
  platform::FileSystem& fs = platform::Fs();
  m_nBlockLen = fs.Read(m_block.get(), 1, kReadBlock, m_source);
  if (m_nBlockLen == 0 && fs.StreamError(m_source) != 0) Note(Trouble::kReadError);
  if (m_bAtStart && m_nBlockLen > 0) {
    m_bAtStart = false;
    if (StartsWithByteOrderMark(std::string_view(m_block.get(), m_nBlockLen)))
      Note(Trouble::kByteOrderMark);
  }
  if (std::memchr(m_block.get(), '\0', m_nBlockLen) != nullptr) Note(Trouble::kNulByte);
  return m_nBlockLen > 0;
}

void CStatementReader::Note(Trouble trouble) {
  if (m_trouble == Trouble::kNone) m_trouble = trouble;
}

const char* CStatementReader::ReadRawLine(std::FILE* stream) {
  if (!stream || stream != m_source) {
    m_nBlockPos = m_nBlockLen = 0;
    m_source = stream;
    m_bAtStart = true;
    m_trouble = Trouble::kNone;
  }
  if (!stream) {
    std::string().swap(m_strRaw);
    m_block.reset();
    return nullptr;
  }
  m_strRaw.clear();
  for (;;) {
    if (m_nBlockPos == m_nBlockLen && !Refill()) break;
    const char* begin = m_block.get() + m_nBlockPos;
    const std::size_t available = m_nBlockLen - m_nBlockPos;
    const void* feed = std::memchr(begin, '\n', available);
    const std::size_t take =
        feed ? static_cast<std::size_t>(static_cast<const char*>(feed) - begin) + 1 : available;
    m_strRaw.append(begin, take);
    m_nBlockPos += take;
    if (feed) break;
  }
  if (m_strRaw.empty() || m_strRaw[0] == '\0') return nullptr;
  return m_strRaw.c_str();
}

const char* CStatementReader::ReadPhysicalLine(std::FILE* stream) {
  if (!ReadRawLine(stream)) return nullptr;
  const std::size_t end = m_strRaw.find_first_of(std::string_view("\0\r\n", 3));
  if (end != std::string::npos) m_strRaw.resize(end);
  TightenEquals(m_strRaw);
  return m_strRaw.c_str();
}

const char* CStatementReader::ReadStatement(std::FILE* stream) {
  if (!stream) {
    m_strStatement.clear();
    m_bLookAhead = false;
    ReadRawLine(nullptr);
    return nullptr;
  }
  const char* first =
      m_bLookAhead && !m_strRaw.empty() ? m_strRaw.c_str() : ReadPhysicalLine(stream);
  const bool atEnd = first == nullptr;
  m_strStatement.assign(first ? first : "");

  // Only text appended since the last cut can hold a ";", so each search starts there.
  std::size_t unsearched = 0;
  for (;;) {
    const char* line = ReadPhysicalLine(stream);
    m_bLookAhead = line != nullptr;
    const char* continuation = ContinuationText(line);
    if (!continuation) break;
    const std::size_t comment = m_strStatement.find(';', unsearched);
    if (comment != std::string::npos) m_strStatement.resize(comment);
    if (!IsBlank(*continuation)) m_strStatement += ' ';
    unsearched = m_strStatement.size();
    m_strStatement += continuation;
    m_bLookAhead = false;
  }
  if (atEnd) return nullptr;

  std::string collapsed;
  collapsed.reserve(m_strStatement.size());
  for (char c : m_strStatement) {
    if (c == ' ' && !collapsed.empty() && collapsed.back() == ' ') continue;
    collapsed += c;
  }
  m_strStatement.swap(collapsed);

  if (!m_strStatement.empty() && IsBlank(m_strStatement[0])) {
    std::size_t run = 0;
    while (run < m_strStatement.size() && IsBlank(m_strStatement[run])) ++run;
    m_strStatement.erase(run - 1, 1);
  }
  return m_strStatement.c_str();
}
