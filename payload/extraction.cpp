#include "payload/extraction.h"

#include <memory>
#include <string>

#include "payload/gunzip.h"
#include "payload/install_state.h"
#include "payload/paths.h"
#include "platform/file_system.h"
#include "platform/message_box.h"

namespace {

constexpr const char kWriteTrouble[] =
    "Trouble writing file.\nOut of disk space?  Permission problem?";
constexpr const char kTempTrouble[] =
    "Trouble creating temporary file.\nOut of disk space?  Permission problem?";

// Shows text and ends the installation; files already written stay on disk.
[[noreturn]] void Fail(const std::string& text) {
  platform::AppMessageBox(text);
  platform::EndProcess(0);
}

std::string Formatted(const char* format, const std::string& first, const std::string& second) {
  std::string text = format;
  const std::size_t at = text.find("%s");
  text.replace(at, 2, first);
  text.replace(text.find("%s", at + first.size()), 2, second);
  return text;
}

// Writes the entry's stored bytes (the gzip stream of a packed entry) to a new file at path.
// Says which step failed; an empty entry makes an empty file.
enum class WriteResult { kOk, kOpenFailed, kWriteFailed };
WriteResult WriteEntryBytes(const PayloadEntry& entry, const std::string& path) {
  std::FILE* f = OpenForWrite(path.c_str());
  if (f == nullptr) return WriteResult::kOpenFailed;
  std::unique_ptr<std::FILE, platform::FileCloser> file(f);
  // One write of the whole entry: a stream buffer would only add a copy.
  std::setvbuf(f, nullptr, _IONBF, 0);
  const std::size_t bytes = entry.nPackedSize != 0 ? entry.nPackedSize : entry.nSize;
  platform::FileSystem& fs = platform::Fs();
  if (bytes != 0 && fs.Write(entry.pData, bytes, 1, f) != 1) return WriteResult::kWriteFailed;
  // Some file systems report a failed write only when the file is closed.
  if (fs.Close(file.release()) != 0) return WriteResult::kWriteFailed;
  return WriteResult::kOk;
}

void ExtractEntry(const PayloadEntry& entry, const std::string& path) {
  g_szStatus.Set(std::string("Extracting: ") + entry.pszName + ".gz\n");
  if (WriteEntryBytes(entry, path) != WriteResult::kOk) Fail(kWriteTrouble);
  if (entry.nPackedSize != 0) {
    if (Failure message = GunzipInPlace(path.c_str()))
      Fail(Formatted("Trouble writing: %s\n%s", path, *message));
  }
  if (entry.bReadOnly == 1) platform::Fs().SetReadOnly(path, true);
}

// Merges the shipped copy into the user's database at path; false when the shipped copy
// must overwrite it instead.
bool MergeEntry(const PayloadEntry& entry, const std::string& path, const DatabaseMergeRow& row) {
  g_szStatus.Set(std::string("Merging: ") + entry.pszName + ".gz\n");
  platform::FileSystem& fs = platform::Fs();
  const std::string temp = MakeTempName("tmp");
  if (temp.empty()) Fail(kTempTrouble);
  switch (WriteEntryBytes(entry, temp)) {
    case WriteResult::kOk:
      break;
    case WriteResult::kOpenFailed:
      fs.Remove(temp);
      Fail(kTempTrouble);
    case WriteResult::kWriteFailed:
      fs.Remove(temp);
      Fail(kWriteTrouble);
  }
  if (entry.nPackedSize != 0) {
    if (Failure message = GunzipInPlace(temp.c_str())) {
      fs.Remove(temp);
      Fail(Formatted("Trouble un-gziping tmpfile: %s\n%s", temp, *message));
    }
  }
  const bool merged = row.merge(path.c_str(), temp.c_str(), path.c_str()) != 0;
  if (!merged) platform::AppMessageBox(row.pszFailure);
  fs.Remove(temp);
  return merged;
}

}  // namespace

void RunExtraction(const PayloadTable& table, const DatabaseMergeTable& merges) {
  g_szStatus.Clear();
  const bool update = g_bUpdateMode.load() != 0;
  for (std::size_t i = 0; i < table.count; ++i) {
    const PayloadEntry& entry = *table.entries[i];
    const std::string path = JoinPath(g_szInstallDir.c_str(), entry.pszName);
    const DatabaseMergeRow* row =
        update && IsDatabaseEntry(entry.pszName) ? FindMergeRow(merges, entry.pszName) : nullptr;
    if (row != nullptr && FileExists(path.c_str()) && MergeEntry(entry, path, *row)) continue;
    ExtractEntry(entry, path);
  }
  g_bInstallDone.store(1);
}
