#include "payload/extraction.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "payload/gunzip.h"
#include "payload/link_check.h"
#include "payload/paths.h"
#include "platform/atomic_file.h"
#include "platform/file_ops.h"
#include "platform/file_system.h"

namespace {

constexpr char kWriteTrouble[] = "Trouble writing file.\nOut of disk space?  Permission problem?";
constexpr char kTempTrouble[] =
    "Trouble creating temporary file.\nOut of disk space?  Permission problem?";

// Files opened ahead of the one being written, at most. The opener, once it has filled the
// queue, waits until the writer has emptied half of it: a hand-over per file would cost more
// than opening a file does natively.
constexpr std::size_t kFilesAhead = 16;
constexpr std::size_t kResumeOpeningAt = kFilesAhead / 2;

using UniqueFile = std::unique_ptr<std::FILE, platform::FileCloser>;

// How writing one entry's content into an open file went.
struct WriteResult {
  enum Kind { kOk, kWriteFailed, kExpandFailed } kind = kOk;
  std::string message;  // kExpandFailed: the expansion's own text
};

// Writes the entry's content (expanded when packed) into f from its start. name is the file's
// name in the expansion's messages.
WriteResult WriteContent(const PayloadEntry& entry, std::FILE* f, const std::string& name,
                         GzipExpander& expander) {
  std::setvbuf(f, nullptr, _IONBF, 0);  // every write is a large block: no copy, no sizing
  if (entry.nPackedSize != 0) {
    if (Failure message = expander.Expand(entry.pData, entry.nPackedSize, name, f))
      return {WriteResult::kExpandFailed, *message};
    return {};
  }
  if (entry.nSize != 0 && platform::Fs().Write(entry.pData, entry.nSize, 1, f) != 1)
    return {WriteResult::kWriteFailed, {}};
  return {};
}

// A failure to put the written content in place (cut, close, move): worded as a failed write
// of that entry.
WriteResult FailedToFinish(const PayloadEntry& entry) {
  if (entry.nPackedSize != 0) return {WriteResult::kExpandFailed, kFailedWrite};
  return {WriteResult::kWriteFailed, {}};
}

// WriteContent, then an existing file cut to the new length and f closed.
WriteResult WriteFile(const PayloadEntry& entry, std::FILE* f, bool created,
                      const std::string& name, GzipExpander& expander) {
  UniqueFile file(f);
  const WriteResult written = WriteContent(entry, f, name, expander);
  if (written.kind != WriteResult::kOk) return written;
  platform::FileSystem& fs = platform::Fs();
  // Some file systems report a failed write only when the file is closed.
  if ((!created && fs.Truncate(f) != 0) || fs.Close(file.release()) != 0)
    return FailedToFinish(entry);
  return {};
}

// Reports text, which stops the installation; false, for the caller to return.
bool Fail(ExtractionReport& report, const std::string& text) {
  report.Message(text);
  return false;
}

// The progress line of an entry: verb ("Extracting: ", "Merging: "), its name and ".gz".
std::string ProgressLine(const char* verb, const PayloadEntry& entry) {
  return std::string(verb) + entry.pszName + ".gz\n";
}

// A payload file opened in table order, waiting for its content.
struct OpenedFile {
  const PayloadEntry* entry = nullptr;
  std::string path;
  std::FILE* file = nullptr;  // null: it could not be opened
  bool created = false;
};

// The second stage of the extraction: on a thread of its own it writes, cuts and closes the
// files in the order they were opened, so that opening the next file overlaps writing this one
// (on Windows, and under Wine, each open and each close is a slow round trip). The first file
// that fails is reported and stops it; the files opened after it are closed and, when they are
// new, removed again, so nothing after the failing entry is changed.
class FileWriter {
 public:
  explicit FileWriter(ExtractionReport& report) : report_(report), thread_([this] { Run(); }) {}

  ~FileWriter() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopping_ = true;
    }
    workReady_.notify_one();
    thread_.join();
  }

  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  // Queues an opened file (file null when it could not be opened), waiting while the queue is
  // full. False once a failure has been reported: the caller stops.
  bool Push(OpenedFile opened) {
    std::unique_lock<std::mutex> guard(lock_);
    if (!failed_ && queue_.size() >= kFilesAhead) {
      openerWaiting_ = true;
      roomFree_.wait(guard, [this] { return failed_ || queue_.size() <= kResumeOpeningAt; });
      openerWaiting_ = false;
    }
    if (failed_) {
      Discard(opened);
      return false;
    }
    queue_.push_back(std::move(opened));
    const bool wake = writerWaiting_;
    guard.unlock();
    if (wake) workReady_.notify_one();
    return true;
  }

  // Waits until every queued file is written; false when a failure has been reported.
  bool Drain() {
    std::unique_lock<std::mutex> guard(lock_);
    openerWaiting_ = true;
    roomFree_.wait(guard, [this] { return failed_ || (queue_.empty() && !busy_); });
    openerWaiting_ = false;
    return !failed_;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
      if (queue_.empty()) {
        writerWaiting_ = true;
        workReady_.wait(guard, [this] { return stopping_ || !queue_.empty(); });
        writerWaiting_ = false;
        if (queue_.empty()) return;
      }
      OpenedFile opened = std::move(queue_.front());
      queue_.pop_front();
      busy_ = true;
      guard.unlock();
      const bool written = Finish(opened);
      guard.lock();
      busy_ = false;
      if (!written) {
        failed_ = true;
        for (OpenedFile& later : queue_) Discard(later);
        queue_.clear();
      }
      // The opener waits either for room or for the queue to run dry (Drain).
      if (openerWaiting_ && (failed_ || queue_.size() <= kResumeOpeningAt)) roomFree_.notify_one();
    }
  }

  // Writes one file; false after reporting its failure.
  bool Finish(const OpenedFile& opened) {
    const PayloadEntry& entry = *opened.entry;
    report_.Progress(ProgressLine("Extracting: ", entry));
    if (opened.file == nullptr) return Fail(report_, kWriteTrouble);
    WriteResult written;
    try {
      written = WriteFile(entry, opened.file, opened.created, opened.path, expander_);
    } catch (const std::exception&) {
      written = {WriteResult::kWriteFailed, {}};  // no memory for the expansion
    }
    if (written.kind == WriteResult::kWriteFailed) return Fail(report_, kWriteTrouble);
    if (written.kind == WriteResult::kExpandFailed)
      return Fail(report_, "Trouble writing: " + opened.path + "\n" + written.message);
    if (entry.bReadOnly == 1) platform::Fs().SetReadOnly(opened.path, true);
    return true;
  }

  // A file opened after the failing one: closed unwritten, and removed when it is new.
  static void Discard(const OpenedFile& opened) {
    if (opened.file == nullptr) return;
    platform::Fs().Close(opened.file);
    if (opened.created) platform::Fs().Remove(opened.path);
  }

  ExtractionReport& report_;
  GzipExpander expander_;  // used by the thread only
  std::mutex lock_;
  std::condition_variable workReady_;  // the writer waits on it for files
  std::condition_variable roomFree_;   // the opener waits on it for room, or for the end
  std::deque<OpenedFile> queue_;
  bool busy_ = false;  // the writer is writing a file it took from the queue
  bool failed_ = false;
  bool stopping_ = false;
  bool writerWaiting_ = false;
  bool openerWaiting_ = false;
  std::thread thread_;  // last: it starts once everything above is ready
};

class Extraction {
 public:
  Extraction(const ExtractionJob& job, ExtractionReport& report)
      : job_(job), report_(report), writer_(report) {}

  bool Run() {
    RemoveLeftovers();
    for (std::size_t i = 0; i < job_.payload.count; ++i) {
      const PayloadEntry& entry = *job_.payload.entries[i];
      std::string path = JoinPath(job_.installDir.c_str(), entry.pszName);
      if (IsDatabaseEntry(entry.pszName) && FileExists(path.c_str())) {
        // The user's database: everything before it must be in place first, and it is
        // replaced only in one step.
        if (!writer_.Drain() || !ReplaceDatabase(entry, path)) return false;
        continue;
      }
      OpenedFile opened{&entry, std::move(path)};
      opened.file = OpenForWrite(opened.path, known_, opened.created);
      const bool openFailed = opened.file == nullptr;
      if (!writer_.Push(std::move(opened)) || openFailed) return writer_.Drain() && !openFailed;
    }
    return writer_.Drain();
  }

 private:
  // New files that an interrupted installation left beside the databases.
  void RemoveLeftovers() {
    const std::string folder = JoinPath(job_.installDir.c_str(), kDatabaseFolder);
    platform::FileSystem& fs = platform::Fs();
    for (const std::string& name : fs.ListFiles(folder))
      if (IsTempFileName(name)) fs.Remove(folder + name);
  }

  // Writes the shipped copy of an existing database into a new file beside it (inside the
  // install directory, so it has that directory's protection). In update mode the copy is merged
  // into the user's database; when the merge fails, and in Overwrite mode, the copy then takes
  // the database's place in one step, after a backup of a database that differs from it.
  bool ReplaceDatabase(const PayloadEntry& entry, const std::string& path) {
    const DatabaseMergeRow* row = job_.update ? FindMergeRow(job_.merges, entry.pszName) : nullptr;
    report_.Progress(ProgressLine(row ? "Merging: " : "Extracting: ", entry));
    platform::AtomicFile shipped(path);
    if (!shipped.Stream()) return Fail(report_, row ? kTempTrouble : kWriteTrouble);
    if (!mergeExpander_) mergeExpander_.emplace();
    const std::string& name = row ? shipped.TempPath() : path;
    WriteResult written = WriteContent(entry, shipped.Stream(), name, *mergeExpander_);
    if (written.kind == WriteResult::kOk && !shipped.Close()) written = FailedToFinish(entry);
    if (written.kind == WriteResult::kWriteFailed) return Fail(report_, kWriteTrouble);
    if (written.kind == WriteResult::kExpandFailed)
      return Fail(report_, (row ? "Trouble un-gziping tmpfile: " : "Trouble writing: ") + name +
                               "\n" + written.message);

    if (row) {
      const MergeOutcome outcome =
          row->merge(path.c_str(), shipped.TempPath().c_str(), path.c_str(), report_);
      if (outcome == MergeOutcome::kMerged) return true;
      if (outcome == MergeOutcome::kStopped) return false;
      report_.Message(row->pszFailure);
      report_.Progress(ProgressLine("Extracting: ", entry));
    } else if (job_.backup && !SameFileContent(path.c_str(), shipped.TempPath().c_str()) &&
               !job_.backup(path.c_str(), report_)) {
      return false;
    }
    if (!shipped.Commit()) return Fail(report_, kWriteTrouble);
    if (entry.bReadOnly == 1) platform::Fs().SetReadOnly(path, true);
    return true;
  }

  const ExtractionJob& job_;
  ExtractionReport& report_;
  KnownDirectories known_;
  std::optional<GzipExpander> mergeExpander_;
  FileWriter writer_;  // last: its thread ends before anything above goes
};

}  // namespace

bool RunExtraction(const ExtractionJob& job, ExtractionReport& report) {
  // Before anything is written: a link anywhere on the way stops the whole installation.
  const std::string linked = FindLinkedDirectory(job.installDir, job.payload);
  if (!linked.empty()) return Fail(report, LinkedDirectoryText(linked));
  return Extraction(job, report).Run();
}
