#include "payload/undo_journal.h"

#include <zlib.h>

#include <cstdio>
#include <unordered_set>

#include "platform/ascii.h"
#include "platform/windows_names.h"

namespace {

constexpr std::string_view kFirstLine = "Tvex III undo journal 1";
constexpr std::string_view kMadeInstallDirectory = "made-install-directory";
constexpr std::string_view kFolder = "folder ";
constexpr std::string_view kNew = "new ";
constexpr std::string_view kReplace = "replace ";
constexpr std::string_view kEnd = "end ";
// Longer than any path the installer writes (260 characters with the directory).
constexpr std::size_t kLongestPath = 259;
// More lines than any payload has files, by far.
constexpr std::size_t kMostLines = 1000000;

std::uint32_t Crc32(std::string_view bytes) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes at most 4 GiB at a call; a journal is far smaller.
  return static_cast<std::uint32_t>(
      crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

std::string EndLine(std::size_t lines, std::string_view before) {
  char end[64];
  std::snprintf(end, sizeof end, "end %zu %08x\n", lines, static_cast<unsigned>(Crc32(before)));
  return end;
}

// Keys compared without regard to case, as Windows compares names.
std::string Key(std::string_view path) { return platform::AsciiLowered(path); }

bool IsDigits(std::string_view text) {
  if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0')) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// "~tvexundo\<digits>\<digits>".
bool IsSetAsideName(std::string_view name) {
  const std::string_view folder = name.substr(0, sizeof kSetAsideFolderName - 1);
  if (folder != kSetAsideFolderName || name.size() <= folder.size() + 1 ||
      name[folder.size()] != '\\')
    return false;
  const std::string_view rest = name.substr(folder.size() + 1);
  const std::size_t slash = rest.find('\\');
  return slash != std::string_view::npos && IsDigits(rest.substr(0, slash)) &&
         IsDigits(rest.substr(slash + 1));
}

}  // namespace

std::string SetAsideBucket(std::size_t n) {
  return std::string(kSetAsideFolderName) + "\\" + std::to_string(n / kSetAsideBucket);
}

std::string SetAsideName(std::size_t n) { return SetAsideBucket(n) + "\\" + std::to_string(n); }

std::string FormatUndoJournal(const UndoJournal& journal) {
  std::string text(kFirstLine);
  text += '\n';
  if (journal.madeInstallDirectory) {
    text += kMadeInstallDirectory;
    text += '\n';
  }
  for (const std::string& folder : journal.folders) text += std::string(kFolder) + folder + '\n';
  for (const UndoJournal::File& file : journal.files) {
    if (file.setAside.empty())
      text += std::string(kNew) + file.path + '\n';
    else
      text += std::string(kReplace) + file.path + '\t' + file.setAside + '\n';
  }
  const std::size_t lines =
      1 + (journal.madeInstallDirectory ? 1 : 0) + journal.folders.size() + journal.files.size();
  return text + EndLine(lines, text);
}

std::string JournalPathProblem(std::string_view rel) {
  if (rel.empty()) return "an empty path";
  if (rel.size() > kLongestPath) return "a path longer than 259 characters";
  if (rel.front() == '\\' || rel.back() == '\\') return "a path that begins or ends in a backslash";
  for (unsigned char c : rel)
    if (c < 0x20 || c > 0x7E) return "a path with a byte outside printable ASCII";
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = rel.find('\\', start);
    const std::string_view name = rel.substr(start, slash - start);
    if (name.empty()) return "a path with an empty name in it";
    if (platform::ForbiddenNameCharacter(name) != '\0')
      return "a path with a character Windows forbids (a drive or a stream, say)";
    if (platform::EndsInDotOrBlank(name))
      return "a path with \".\", \"..\" or a name ending in a dot";
    if (platform::IsReservedDeviceName(name)) return "a path that names a device";
    if (start == 0 && (platform::EqualsNoCase(name, kSetAsideFolderName) ||
                       platform::EqualsNoCase(name, kUndoJournalName)))
      return "a path inside the set-aside folder or the journal itself";
    if (slash == std::string_view::npos) return std::string();
    start = slash + 1;
  }
}

bool ParseUndoJournal(std::string_view text, UndoJournal& journal, std::string& problem) {
  UndoJournal read;
  std::unordered_set<std::string> paths, asides;
  std::size_t lines = 0, at = 0;
  auto fail = [&](std::size_t line, const std::string& what) {
    problem = "line " + std::to_string(line) + ": " + what;
    return false;
  };
  for (;;) {
    if (at >= text.size()) return fail(lines + 1, "the journal ends without its last line");
    const std::size_t newline = text.find('\n', at);
    if (newline == std::string_view::npos)
      return fail(lines + 1, "the journal ends in the middle of a line");
    const std::string_view line = text.substr(at, newline - at);
    const std::size_t next = newline + 1;
    if (lines == 0) {
      if (line != kFirstLine) return fail(1, "not an undo journal of this version");
    } else if (line.substr(0, kEnd.size()) == kEnd) {
      if (next != text.size()) return fail(lines + 1, "lines after the last line");
      if (text.substr(at) != EndLine(lines, text.substr(0, at)))
        return fail(lines + 1, "the count or the check sum does not match the journal");
      journal = std::move(read);
      problem.clear();
      return true;
    } else if (lines > kMostLines) {
      return fail(lines + 1, "more lines than any installation has files");
    } else if (line == kMadeInstallDirectory) {
      if (lines != 1) return fail(lines + 1, "made-install-directory out of its place");
      read.madeInstallDirectory = true;
    } else if (line.substr(0, kFolder.size()) == kFolder) {
      if (!read.files.empty()) return fail(lines + 1, "a folder after the files");
      const std::string_view path = line.substr(kFolder.size());
      if (std::string why = JournalPathProblem(path); !why.empty()) return fail(lines + 1, why);
      if (!paths.insert(Key(path)).second) return fail(lines + 1, "a path listed twice");
      read.folders.emplace_back(path);
    } else if (line.substr(0, kNew.size()) == kNew || line.substr(0, kReplace.size()) == kReplace) {
      const bool replace = line[0] == 'r';
      std::string_view path = line.substr(replace ? kReplace.size() : kNew.size());
      std::string_view aside;
      if (replace) {
        const std::size_t tab = path.find('\t');
        if (tab == std::string_view::npos)
          return fail(lines + 1, "a replaced file without its place");
        aside = path.substr(tab + 1);
        path = path.substr(0, tab);
        if (!IsSetAsideName(aside))
          return fail(lines + 1, "a set-aside name not of the form ~tvexundo\\<number>\\<number>");
        if (!asides.insert(std::string(aside)).second)
          return fail(lines + 1, "a set-aside name listed twice");
      }
      if (std::string why = JournalPathProblem(path); !why.empty()) return fail(lines + 1, why);
      if (!paths.insert(Key(path)).second) return fail(lines + 1, "a path listed twice");
      read.files.push_back({std::string(path), std::string(aside)});
    } else {
      return fail(lines + 1, "a line of no known kind");
    }
    ++lines;
    at = next;
  }
}
