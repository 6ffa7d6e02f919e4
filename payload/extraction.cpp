#include "payload/extraction.h"

#include <memory>

#include "payload/gunzip.h"
#include "payload/paths.h"
#include "platform/file_ops.h"
#include "platform/file_system.h"

namespace {

constexpr char kWriteTrouble[] = "Trouble writing file.\nOut of disk space?  Permission problem?";
constexpr char kTempTrouble[] =
    "Trouble creating temporary file.\nOut of disk space?  Permission problem?";

// How writing one entry's content into an open file went.
struct WriteResult {
  enum Kind { kOk, kWriteFailed, kExpandFailed } kind = kOk;
  std::string message;  // kExpandFailed: the expansion's own text
};

class Extraction {
 public:
  Extraction(const ExtractionJob& job, ExtractionReport& report) : job_(job), report_(report) {}

  bool Run() {
    for (std::size_t i = 0; i < job_.payload.count; ++i) {
      const PayloadEntry& entry = *job_.payload.entries[i];
      const std::string path = JoinPath(job_.installDir.c_str(), entry.pszName);
      if (const DatabaseMergeRow* row = MergeRowFor(entry); row && FileExists(path.c_str())) {
        const MergeOutcome outcome = MergeEntry(entry, path, *row);
        if (outcome == MergeOutcome::kMerged) continue;
        if (outcome == MergeOutcome::kStopped) return false;
      }
      if (!ExtractEntry(entry, path)) return false;
    }
    return true;
  }

 private:
  const DatabaseMergeRow* MergeRowFor(const PayloadEntry& entry) const {
    if (!job_.update || !IsDatabaseEntry(entry.pszName)) return nullptr;
    return FindMergeRow(job_.merges, entry.pszName);
  }

  // Reports text; the installation stops.
  bool Fail(const std::string& text) {
    report_.Message(text);
    return false;
  }

  // Writes the entry's content (expanded when packed) to f, which it closes.
  WriteResult WriteContent(const PayloadEntry& entry, std::FILE* f, const std::string& name) {
    std::setvbuf(f, nullptr, _IONBF, 0);  // every write is a large block: no copy, no sizing
    if (entry.nPackedSize != 0) {
      if (Failure message = expander_.Expand(entry.pData, entry.nPackedSize, name, f))
        return {WriteResult::kExpandFailed, *message};
      return {};
    }
    std::unique_ptr<std::FILE, platform::FileCloser> file(f);
    platform::FileSystem& fs = platform::Fs();
    if (entry.nSize != 0 && fs.Write(entry.pData, entry.nSize, 1, f) != 1)
      return {WriteResult::kWriteFailed, {}};
    // Some file systems report a failed write only when the file is closed.
    if (fs.Close(file.release()) != 0) return {WriteResult::kWriteFailed, {}};
    return {};
  }

  bool ExtractEntry(const PayloadEntry& entry, const std::string& path) {
    report_.Progress(std::string("Extracting: ") + entry.pszName + ".gz\n");
    std::FILE* f = OpenForWrite(path, known_);
    if (f == nullptr) return Fail(kWriteTrouble);
    const WriteResult written = WriteContent(entry, f, path);
    if (written.kind == WriteResult::kWriteFailed) return Fail(kWriteTrouble);
    if (written.kind == WriteResult::kExpandFailed)
      return Fail("Trouble writing: " + path + "\n" + written.message);
    if (entry.bReadOnly == 1) platform::Fs().SetReadOnly(path, true);
    return true;
  }

  // Expands the shipped copy into a new file beside the user's database (inside the install
  // directory, so it has that directory's protection) and merges it in.
  MergeOutcome MergeEntry(const PayloadEntry& entry, const std::string& path,
                          const DatabaseMergeRow& row) {
    report_.Progress(std::string("Merging: ") + entry.pszName + ".gz\n");
    platform::FileSystem& fs = platform::Fs();
    std::string temp;
    std::FILE* f = CreateTempFileIn(ParentDirectory(path.c_str()), temp);
    if (f == nullptr) {
      Fail(kTempTrouble);
      return MergeOutcome::kStopped;
    }
    const WriteResult written = WriteContent(entry, f, temp);
    if (written.kind != WriteResult::kOk) {
      fs.Remove(temp);
      Fail(written.kind == WriteResult::kWriteFailed
               ? std::string(kWriteTrouble)
               : "Trouble un-gziping tmpfile: " + temp + "\n" + written.message);
      return MergeOutcome::kStopped;
    }
    const MergeOutcome outcome = row.merge(path.c_str(), temp.c_str(), path.c_str(), report_);
    if (outcome == MergeOutcome::kFailed) report_.Message(row.pszFailure);
    fs.Remove(temp);
    return outcome;
  }

  const ExtractionJob& job_;
  ExtractionReport& report_;
  KnownDirectories known_;
  GzipExpander expander_;
};

}  // namespace

bool RunExtraction(const ExtractionJob& job, ExtractionReport& report) {
  return Extraction(job, report).Run();
}
