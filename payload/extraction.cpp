#include "payload/extraction.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "payload/gunzip.h"
#include "payload/install_plan.h"
#include "payload/link_check.h"
#include "payload/undo.h"
#include "payload/undo_journal.h"
#include "platform/atomic_file.h"
#include "platform/file_errors.h"
#include "platform/file_ops.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/restart_manager.h"

namespace {

constexpr char kWriteTrouble[] = "Trouble writing file.\nOut of disk space?  Permission problem?";
constexpr char kTempTrouble[] =
    "Trouble creating temporary file.\nOut of disk space?  Permission problem?";

// Files opened ahead of the one being written, at most. The opener, once it has filled the
// queue, waits until the writer has emptied half of it: a hand-over per file would cost more
// than opening a file does natively.
constexpr std::size_t kFilesAhead = 16;
constexpr std::size_t kResumeOpeningAt = kFilesAhead / 2;
// Files named in the question about files in use, at most.
constexpr std::size_t kBusyFilesNamed = 5;
// What a database merge counts for in the run's position, as bytes written would.
constexpr std::uint64_t kMergeShare = 1u << 20;

using UniqueFile = std::unique_ptr<std::FILE, platform::FileCloser>;

// "Trouble writing file." with the file and the system's reason; for a file that is a link (or
// has other names), the text that names the link.
std::string WriteTrouble(const std::string& path, int error) {
  if (error == ELOOP || error == EMLINK) return LinkedFileText(path);
  return std::string(kWriteTrouble) + "\n" + path + ": " + platform::FileErrorReason(error);
}

// A folder of the run that cannot be trusted, or is no longer the one the run opened.
std::string FolderTrouble(const std::string& folder, int error) {
  if (error == ELOOP) return LinkedDirectoryText(folder);
  return std::string(kWriteTrouble) + "\n" + folder + ": " + platform::FileErrorReason(error);
}

// How writing one entry's content into an open file went.
struct WriteResult {
  enum Kind { kOk, kWriteFailed, kExpandFailed } kind = kOk;
  std::string message;  // kExpandFailed: the expansion's own text
  int error = 0;        // kWriteFailed: the errno value
};

// Writes the entry's content (expanded when packed) into f from its start. name is the file's
// name in the expansion's messages.
WriteResult WriteContent(const PayloadEntry& entry, std::FILE* f, const std::string& name,
                         GzipExpander& expander) {
  std::setvbuf(f, nullptr, _IONBF, 0);  // every write is a large block: no copy, no sizing
  errno = 0;
  if (entry.nPackedSize != 0) {
    if (Failure message = expander.Expand(entry.pData, entry.nPackedSize, name, f))
      return {WriteResult::kExpandFailed, *message, errno};
    return {};
  }
  if (entry.nSize != 0 && platform::Fs().Write(entry.pData, entry.nSize, 1, f) != 1)
    return {WriteResult::kWriteFailed, {}, errno};
  return {};
}

// A failure to put the written content in place (close, move): worded as a failed write of
// that entry.
WriteResult FailedToFinish(const PayloadEntry& entry, int error) {
  if (entry.nPackedSize != 0) return {WriteResult::kExpandFailed, kFailedWrite, error};
  return {WriteResult::kWriteFailed, {}, error};
}

// The text that stops the installation for a write result.
std::string FailureText(const WriteResult& written, const std::string& path) {
  if (written.kind == WriteResult::kExpandFailed)
    return "Trouble writing: " + path + "\n" + written.message;
  return WriteTrouble(path, written.error);
}

// The progress line of an entry: verb ("Extracting: ", "Merging: "), its name and ".gz".
std::string ProgressLine(const char* verb, const PayloadEntry& entry) {
  return std::string(verb) + entry.pszName + ".gz\n";
}

// What the plan found, for the record.
std::string PlanSummary(const InstallPlan& plan) {
  std::size_t counts[4] = {};
  for (const PlannedEntry& entry : plan.entries) ++counts[static_cast<int>(entry.action)];
  return "Plan: " + std::to_string(counts[static_cast<int>(EntryAction::kCreate)]) + " new, " +
         std::to_string(counts[static_cast<int>(EntryAction::kReplace)]) + " replaced, " +
         std::to_string(counts[static_cast<int>(EntryAction::kKeep)]) + " already in place, " +
         std::to_string(counts[static_cast<int>(EntryAction::kDatabase)]) + " databases, " +
         std::to_string(plan.newFolders.size()) + " new folders";
}

// What the question about files in use says.
std::string BusyText(const std::vector<std::string>& busy) {
  std::string text = "Files of the installation are in use:\n\n";
  const std::vector<std::string> programs = platform::ProgramsUsing(busy);
  if (!programs.empty()) {
    for (const std::string& program : programs) text += program + " is running\n";
  } else {
    for (std::size_t i = 0; i < busy.size() && i < kBusyFilesNamed; ++i) text += busy[i] + "\n";
    if (busy.size() > kBusyFilesNamed)
      text += "and " + std::to_string(busy.size() - kBusyFilesNamed) + " more\n";
  }
  return text +
         "\nPlease close them, then press Retry. Cancel returns without installing: nothing has "
         "been changed.";
}

// A reporter that keeps the texts instead of showing them, so that they can be shown after the
// run has been undone.
class HeldMessages : public platform::Reporter {
 public:
  void Message(const std::string& text) override { texts += text; }
  std::string texts;
};

// A payload file opened in table order, waiting for its content.
struct OpenedFile {
  const PayloadEntry* entry = nullptr;
  std::string path;
  std::FILE* file = nullptr;  // null: it could not be made (error says why), or it is kept
  int error = 0;
  bool kept = false;  // the file holds the entry already: only its progress line is due
};

// The second stage of the extraction: on a thread of its own it writes and closes the files in
// the order they were opened, so that opening the next file overlaps writing this one (on
// Windows, and under Wine, each open and each close is a slow round trip). The first file that
// fails stops it; its text is kept for the caller. Once the user has asked to stop, the files
// still queued are closed unwritten.
class FileWriter {
 public:
  // done and total: the run's position, which the writer advances by each file it finishes.
  FileWriter(ExtractionReport& report, std::atomic<std::uint64_t>& done, std::uint64_t total)
      : report_(report), done_(done), total_(total), thread_([this] { Run(); }) {}

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

  // Queues an opened file (file null when it could not be made), waiting while the queue is
  // full. False once a file has failed: the caller stops.
  bool Push(OpenedFile opened) {
    std::unique_lock<std::mutex> guard(lock_);
    if (failure_.empty() && queue_.size() >= kFilesAhead) {
      openerWaiting_ = true;
      roomFree_.wait(guard,
                     [this] { return !failure_.empty() || queue_.size() <= kResumeOpeningAt; });
      openerWaiting_ = false;
    }
    if (!failure_.empty()) {
      Discard(opened);
      return false;
    }
    queue_.push_back(std::move(opened));
    const bool wake = writerWaiting_;
    guard.unlock();
    if (wake) workReady_.notify_one();
    return true;
  }

  // Waits until every queued file is written; false when one failed (Failure() says why).
  bool Drain() {
    std::unique_lock<std::mutex> guard(lock_);
    openerWaiting_ = true;
    roomFree_.wait(guard, [this] { return !failure_.empty() || (queue_.empty() && !busy_); });
    openerWaiting_ = false;
    return failure_.empty();
  }

  // The text of the first file that failed; empty while none has. Read after Drain.
  const std::string& Failure() const { return failure_; }

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
      std::string failure = Finish(opened);
      guard.lock();
      busy_ = false;
      if (!failure.empty()) {
        failure_ = std::move(failure);
        for (OpenedFile& later : queue_) Discard(later);
        queue_.clear();
      }
      // The opener waits either for room or for the queue to run dry (Drain).
      if (openerWaiting_ && (!failure_.empty() || queue_.size() <= kResumeOpeningAt))
        roomFree_.notify_one();
    }
  }

  // Writes one file; the failure's text, or empty.
  std::string Finish(const OpenedFile& opened) {
    const PayloadEntry& entry = *opened.entry;
    if (opened.kept) {
      report_.Progress(ProgressLine("Extracting: ", entry));
      Advance(entry.nSize);
      return std::string();
    }
    if (opened.file == nullptr) {
      report_.Progress(ProgressLine("Extracting: ", entry));
      return WriteTrouble(opened.path, opened.error);
    }
    // A stop leaves the file as it is: the undo removes it.
    if (report_.Stopping()) {
      Discard(opened);
      return std::string();
    }
    report_.Progress(ProgressLine("Extracting: ", entry));
    UniqueFile file(opened.file);
    WriteResult written;
    try {
      written = WriteContent(entry, opened.file, opened.path, expander_);
    } catch (const std::exception&) {
      written = {WriteResult::kWriteFailed, {}, ENOMEM};  // no memory for the expansion
    }
    errno = 0;
    // Some file systems report a failed write only when the file is closed.
    if (written.kind == WriteResult::kOk && platform::Fs().Close(file.release()) != 0)
      written = FailedToFinish(entry, errno);
    if (written.kind != WriteResult::kOk) return FailureText(written, opened.path);
    errno = 0;
    if (entry.bReadOnly == 1 && platform::Fs().SetReadOnly(opened.path, true) != 0)
      return WriteTrouble(opened.path, errno ? errno : EACCES);
    Advance(entry.nSize);
    return std::string();
  }

  void Advance(std::uint64_t bytes) { report_.Position(done_ += bytes, total_); }

  // A file opened after the failing one, or after a stop: closed unwritten. The undo removes it.
  static void Discard(const OpenedFile& opened) {
    if (opened.file != nullptr) platform::Fs().Close(opened.file);
  }

  ExtractionReport& report_;
  std::atomic<std::uint64_t>& done_;
  const std::uint64_t total_;
  GzipExpander expander_;  // used by the thread only
  std::mutex lock_;
  std::condition_variable workReady_;  // the writer waits on it for files
  std::condition_variable roomFree_;   // the opener waits on it for room, or for the end
  std::deque<OpenedFile> queue_;
  std::string failure_;
  bool busy_ = false;  // the writer is writing a file it took from the queue
  bool stopping_ = false;
  bool writerWaiting_ = false;
  bool openerWaiting_ = false;
  std::thread thread_;  // last: it starts once everything above is ready
};

// The first stage for the files a run replaces: on a thread of its own it moves each old file
// to its set-aside place ahead of the opener, in table order, so that the moves overlap the
// making and writing of the new files (under Wine every move is two lookups and a round trip).
// It stops at the first move that fails, and when the user asks to stop.
class AsideMover {
 public:
  AsideMover(const InstallPlan& plan, const ExtractionReport& report)
      : plan_(plan), report_(report), errors_(plan.entries.size(), 0), thread_([this] { Run(); }) {}

  ~AsideMover() { Stop(); }

  // Stops the moves at the next file and waits for the thread; Reached() is final then.
  void Stop() {
    abandon_.store(true);
    if (thread_.joinable()) thread_.join();
  }

  AsideMover(const AsideMover&) = delete;
  AsideMover& operator=(const AsideMover&) = delete;

  // Waits until entry i (a kReplace entry) has been moved; 0, or the errno value of its move.
  // ECANCELED when the mover stopped before it.
  int Moved(std::size_t i) {
    std::unique_lock<std::mutex> guard(lock_);
    if (done_ <= i) {
      waiting_ = true;
      movedOne_.wait(guard, [&] { return done_ > i || stopped_; });
      waiting_ = false;
    }
    return done_ > i ? errors_[i] : ECANCELED;
  }

  // How many files of the journal the moves may have changed.
  std::size_t Reached() const {
    std::lock_guard<std::mutex> guard(lock_);
    return reached_;
  }

 private:
  void Run() {
    platform::FileSystem& fs = platform::Fs();
    std::size_t i = 0;
    for (; i < plan_.entries.size(); ++i) {
      const PlannedEntry& planned = plan_.entries[i];
      int error = 0;
      if (planned.action == EntryAction::kReplace) {
        if (abandon_.load() || report_.Stopping()) break;
        {
          std::lock_guard<std::mutex> guard(lock_);
          reached_ = planned.firstChange + 1;
        }
        error = fs.Rename(planned.existing, planned.aside);
      }
      std::lock_guard<std::mutex> guard(lock_);
      errors_[i] = error;
      done_ = i + 1;
      if (waiting_) movedOne_.notify_one();
      if (error != 0) break;
    }
    std::lock_guard<std::mutex> guard(lock_);
    stopped_ = true;
    movedOne_.notify_one();
  }

  const InstallPlan& plan_;
  const ExtractionReport& report_;
  mutable std::mutex lock_;
  std::condition_variable movedOne_;
  std::vector<int> errors_;  // by entry, valid below done_
  std::size_t done_ = 0;     // entries passed
  std::size_t reached_ = 0;
  bool waiting_ = false;
  bool stopped_ = false;
  std::atomic<bool> abandon_{false};
  std::thread thread_;  // last: it starts once everything above is ready
};

// One run of the plan: the changes, in the order of the journal.
class Extraction {
 public:
  Extraction(const ExtractionJob& job, const InstallPlan& plan, ExtractionReport& report)
      : job_(job), plan_(plan), report_(report) {
    for (std::size_t i = 0; i < job.payload.count; ++i)
      total_ += job.payload.entries[i]->nSize +
                (plan.entries[i].action == EntryAction::kDatabase ? kMergeShare : 0);
  }

  // Every change of the plan; false on a failure (failure_ says what) or a stop.
  bool Run() {
    if (plan_.setAsides > 0) {
      if (!MakeFolder(JoinPath(job_.installDir.c_str(), kSetAsideFolderName), true)) return false;
      for (std::size_t n = 1; n <= plan_.setAsides; n += kSetAsideBucket - n % kSetAsideBucket)
        if (!MakeFolder(JoinPath(job_.installDir.c_str(), SetAsideBucket(n).c_str()), true))
          return false;
    }
    for (const std::string& folder : plan_.newFolders)
      if (!MakeFolder(folder, false)) return false;

    report_.Position(0, total_);
    FileWriter writer(report_, done_, total_);
    AsideMover mover(plan_, report_);
    bool done = Entries(writer, mover);
    // The undo must cover every file the mover may have moved.
    mover.Stop();
    reached_ = std::max(reached_, mover.Reached());
    // Every file went into the folders opened; they must still be the ones at their names.
    std::string moved;
    if (done) {
      if (const int error = platform::Fs().CheckTrustedFolders(moved))
        done = Fail(FolderTrouble(moved, error));
    }
    return done;
  }

  // How many files of the journal the run may have changed.
  std::size_t Reached() const { return reached_; }
  const std::string& Failure() const { return failure_; }
  // The run's position when it ended, of Total().
  std::uint64_t Done() const { return done_.load(); }
  std::uint64_t Total() const { return total_; }

 private:
  // The entries in table order; false on a failure or a stop.
  bool Entries(FileWriter& writer, AsideMover& mover) {
    platform::FileSystem& fs = platform::Fs();
    for (std::size_t i = 0; i < job_.payload.count; ++i) {
      const PayloadEntry& entry = *job_.payload.entries[i];
      const PlannedEntry& planned = plan_.entries[i];
      if (report_.Stopping()) break;
      reached_ = std::max(reached_, planned.firstChange);
      if (planned.action == EntryAction::kKeep) {
        // Nothing to write; the writer names it in its turn, so the progress line keeps the
        // table's order.
        if (!writer.Push(OpenedFile{&entry, planned.path, nullptr, 0, true})) {
          writer.Drain();
          return Fail(writer.Failure());
        }
        continue;
      }
      if (planned.action == EntryAction::kDatabase) {
        // The user's database: everything before it must be in place first.
        if (!writer.Drain()) return Fail(writer.Failure());
        reached_ =
            std::max(reached_, i + 1 < plan_.entries.size() ? plan_.entries[i + 1].firstChange
                                                            : plan_.journal.files.size());
        if (!ReplaceDatabase(i, entry, planned)) return false;
        continue;
      }
      reached_ = std::max(reached_, planned.firstChange + 1);
      OpenedFile opened{&entry, planned.path};
      if (planned.action == EntryAction::kReplace) {
        opened.error = mover.Moved(i);
        // A stop the mover saw first: the loop ends at the next entry.
        if (opened.error == ECANCELED) break;
        if (opened.error != 0) opened.path = planned.existing;
      }
      if (opened.error == 0) {
        errno = 0;
        opened.file = fs.CreateNew(planned.path);
        if (!opened.file) opened.error = errno ? errno : EACCES;
      }
      const bool openFailed = opened.file == nullptr;
      if (!writer.Push(std::move(opened)) || openFailed) {
        writer.Drain();
        return Fail(writer.Failure());
      }
    }
    if (!writer.Drain()) return Fail(writer.Failure());
    return !report_.Stopping();
  }

  bool Fail(const std::string& text) {
    if (failure_.empty()) failure_ = text;
    return false;
  }

  // Makes a folder of the run (one that may exist already when mayExist is set) and trusts it:
  // the files of the run go into the folder opened. False after a failure.
  bool MakeFolder(const std::string& folder, bool mayExist) {
    platform::FileSystem& fs = platform::Fs();
    if (const int error = fs.MakeDirectory(folder); error != 0 && !(mayExist && error == EEXIST))
      return Fail(WriteTrouble(folder, error));
    if (const int error = fs.TrustFolder(folder)) return Fail(FolderTrouble(folder, error));
    return true;
  }

  // The user's database: moved aside (with its backup, when a new one will be taken), the
  // shipped copy expanded beside it, the backup taken from the set-aside copy, then in update
  // mode the merge into a new file at its place, and otherwise (or when the merge fails) the
  // shipped copy moved into its place.
  bool ReplaceDatabase(std::size_t index, const PayloadEntry& entry, const PlannedEntry& planned) {
    platform::FileSystem& fs = platform::Fs();
    const PlannedDatabase& database = plan_.databases.at(index);
    const DatabaseMergeRow* row = FindMergeRow(job_.merges, entry.pszName);
    const bool merging = job_.update && row;
    report_.Progress(ProgressLine(merging ? "Merging: " : "Extracting: ", entry));
    if (report_.Stopping()) return false;
    if (const int error = fs.Rename(planned.existing, planned.aside); error != 0)
      return Fail(WriteTrouble(planned.existing, error));

    platform::AtomicFile shipped(planned.path);
    if (!shipped.Stream())
      return Fail((merging ? std::string(kTempTrouble) : std::string(kWriteTrouble)) + "\n" +
                  planned.path + ": " + platform::FileErrorReason(shipped.Error()));
    if (!mergeExpander_) mergeExpander_.emplace();
    const std::string& name = merging ? shipped.TempPath() : planned.path;
    WriteResult written = WriteContent(entry, shipped.Stream(), name, *mergeExpander_);
    if (written.kind == WriteResult::kOk && !shipped.Close())
      written = FailedToFinish(entry, shipped.Error());
    if (written.kind == WriteResult::kExpandFailed)
      return Fail((merging ? "Trouble un-gziping tmpfile: " : "Trouble writing: ") + name + "\n" +
                  written.message);
    if (written.kind == WriteResult::kWriteFailed)
      return Fail(WriteTrouble(shipped.TempPath(), written.error));

    // Overwrite keeps the user's database only when it differs from the shipped copy.
    if (merging || !SameFileContent(planned.aside.c_str(), shipped.TempPath().c_str())) {
      if (!KeepBackup(database, row, planned)) return false;
    }

    if (merging) {
      const MergeOutcome outcome = row->merge(planned.path.c_str(), shipped.TempPath().c_str(),
                                              planned.aside.c_str(), report_);
      if (outcome == MergeOutcome::kMerged) {
        report_.Note(std::string("Merged ") + entry.pszName);
        return Advance(entry);
      }
      if (outcome == MergeOutcome::kStopped) return Fail("");
      // The user's database as it was stays under a name of its own that no later run takes.
      if (!CopyFileBytes(planned.aside.c_str(), database.unmerged.c_str()))
        return Fail(WriteTrouble(database.unmerged, errno));
      report_.Note(std::string("Merge of ") + entry.pszName +
                   " failed; the user's database is kept as " + database.unmerged);
      report_.Message(std::string(row->pszFailure) + "\nYour database as it was is kept as " +
                      database.unmerged);
      report_.Progress(ProgressLine("Extracting: ", entry));
    }
    if (!shipped.Commit()) return Fail(WriteTrouble(planned.path, shipped.Error()));
    errno = 0;
    if (entry.bReadOnly == 1 && fs.SetReadOnly(planned.path, true) != 0)
      return Fail(WriteTrouble(planned.path, errno ? errno : EACCES));
    return Advance(entry);
  }

  // A database is in place: its bytes and its merge's share count as done.
  bool Advance(const PayloadEntry& entry) {
    report_.Position(done_ += entry.nSize + kMergeShare, total_);
    return true;
  }

  // The user's database (set aside at planned.aside) kept as its backup, "<name>.bak". A
  // backup is never replaced by one that holds less of the user's data: when the older backup
  // holds entries the database lacks, it stays, and this run's backup goes to a dated name.
  bool KeepBackup(const PlannedDatabase& database, const DatabaseMergeRow* row,
                  const PlannedEntry& planned) {
    if (!job_.backup) return true;
    if (!database.backupAside.empty()) {
      const bool lacks = row && row->lacksEntriesOf
                             ? row->lacksEntriesOf(planned.aside.c_str(), database.backup.c_str())
                             : !SameFileContent(planned.aside.c_str(), database.backup.c_str());
      if (lacks) {
        if (CopyFileBytes(planned.aside.c_str(), database.datedBackup.c_str())) {
          report_.Note(
              "The older backup holds entries the database lacks: kept; this run's "
              "backup is " +
              database.datedBackup);
          return true;
        }
        return Fail("Trouble backing up " + planned.existing + "\nas " + database.datedBackup +
                    "\n\nRelease sync aborted.");
      }
      if (const int error = platform::Fs().Rename(database.backup, database.backupAside);
          error != 0)
        return Fail(WriteTrouble(database.backup, error));
    }
    HeldMessages held;
    if (!job_.backup(planned.path.c_str(), planned.aside.c_str(), held)) return Fail(held.texts);
    report_.Note("Backup of " + planned.path + " taken as " + planned.path + ".bak");
    return true;
  }

  const ExtractionJob& job_;
  const InstallPlan& plan_;
  ExtractionReport& report_;
  std::optional<GzipExpander> mergeExpander_;
  std::size_t reached_ = 0;
  std::string failure_;
  std::uint64_t total_ = 0;
  std::atomic<std::uint64_t> done_{0};
};

// Writes the journal into the install directory, on the disk before the first change.
bool WriteJournal(const std::string& installDir, const UndoJournal& journal, std::string& failure) {
  const std::string path = JoinPath(installDir.c_str(), kUndoJournalName);
  platform::AtomicFile file(path);
  const std::string text = FormatUndoJournal(journal);
  if (!file.Stream() ||
      platform::Fs().Write(text.data(), 1, text.size(), file.Stream()) != text.size() ||
      !file.Commit()) {
    failure = WriteTrouble(path, file.Error() ? file.Error() : errno);
    return false;
  }
  return true;
}

// Reads the journal of a run that installed everything.
bool ReadRunJournal(const std::string& installDir, UndoJournal& journal) {
  platform::FileSystem& fs = platform::Fs();
  UniqueFile file(fs.Open(JoinPath(installDir.c_str(), kUndoJournalName), "rb"));
  if (!file) return false;
  std::string text;
  char block[64 * 1024];
  for (std::size_t got; (got = fs.Read(block, 1, sizeof block, file.get())) > 0;)
    text.append(block, got);
  std::string problem;
  return fs.StreamError(file.get()) == 0 && ParseUndoJournal(text, journal, problem);
}

}  // namespace

ExtractionOutcome RunExtraction(const ExtractionJob& job, ExtractionReport& report) {
  // Before anything is written: the install directory and every folder on the way are opened
  // and checked, and the run works in the folders opened; a link anywhere on the way stops it.
  platform::FolderTrust trust;
  if (const FolderFault fault = TrustInstallFolders(job.installDir, job.payload); fault.error) {
    report.Failure(FolderFaultText(fault));
    return ExtractionOutcome::kFailed;
  }
  ExtractionJob run = job;
  // The journal lives in the install directory: it must be there before anything else.
  if (!DirectoryExists(job.installDir.c_str())) {
    int counter = 0;
    CreateDirectoryTree(job.installDir.c_str(), counter);
    if (!DirectoryExists(job.installDir.c_str())) {
      report.Failure(WriteTrouble(job.installDir, errno ? errno : ENOENT) +
                     "\nNothing has been changed.");
      return ExtractionOutcome::kFailed;
    }
    run.madeInstallDirectory = true;
  }
  if (const int error = platform::Fs().TrustFolder(job.installDir)) {
    report.Failure(FolderFaultText({job.installDir, error}));
    if (run.madeInstallDirectory) platform::Fs().RemoveFolder(run.installDir);
    return ExtractionOutcome::kFailed;
  }
  if (!RecoverInterruptedRun(job.installDir, report, run.madeInstallDirectory))
    return ExtractionOutcome::kFailed;
  report.PhaseEnded("recovery");
  // Ends a run before its first change: a directory made for it goes again.
  auto leave = [&run](ExtractionOutcome outcome) {
    if (run.madeInstallDirectory) platform::Fs().RemoveFolder(run.installDir);
    return outcome;
  };

  InstallPlan plan;
  for (;;) {
    std::string problem;
    if (!PlanInstallation(run, plan, problem)) {
      report.Failure(problem);
      return leave(ExtractionOutcome::kFailed);
    }
    if (plan.busy.empty()) break;
    if (!report.AskRetry(BusyText(plan.busy))) return leave(ExtractionOutcome::kCancelled);
  }
  report.Note(PlanSummary(plan));
  report.PhaseEnded("plan");
  if (report.Stopping()) return leave(ExtractionOutcome::kStopped);

  std::string failure;
  if (!WriteJournal(run.installDir, plan.journal, failure)) {
    report.Failure(failure + "\nNothing has been changed.");
    return leave(ExtractionOutcome::kFailed);
  }
  report.PhaseEnded("journal");
  Extraction extraction(run, plan, report);
  const bool installed = extraction.Run();
  report.PhaseEnded("extraction");
  if (installed) return ExtractionOutcome::kInstalled;
  if (!extraction.Failure().empty()) report.Note("Failed: " + extraction.Failure());

  const UndoResult undone = UndoRun(run.installDir, plan.journal, extraction.Reached(), true,
                                    report, extraction.Done(), extraction.Total());
  report.PhaseEnded("undo");
  if (report.Stopping() && extraction.Failure().empty()) {
    if (!undone.complete) report.Failure(UndoneText(undone));
    return ExtractionOutcome::kStopped;
  }
  report.Failure(extraction.Failure() + (extraction.Failure().empty() ? "" : "\n\n") +
                 UndoneText(undone));
  return ExtractionOutcome::kFailed;
}

bool CommitExtraction(const std::string& installDir, ExtractionReport& report) {
  const std::string path = JoinPath(installDir.c_str(), kUndoJournalName);
  report.Note("Commit: the journal goes");
  errno = 0;
  if (platform::Fs().Remove(path) == 0 || errno == ENOENT) return true;
  const int error = errno;
  UndoJournal journal;
  const UndoResult undone = ReadRunJournal(installDir, journal)
                                ? UndoRun(installDir, journal, std::string::npos, true, report)
                                : UndoResult{false, path, error};
  report.Failure("Trouble finishing the installation: " + path + ": " +
                 platform::FileErrorReason(error) + "\n\n" + UndoneText(undone));
  return false;
}

bool UndoExtraction(const std::string& installDir, ExtractionReport& report) {
  UndoJournal journal;
  if (!ReadRunJournal(installDir, journal)) {
    report.Failure("The installation could not be undone: its journal in " + installDir +
                   " cannot be read.");
    return false;
  }
  // Everything was in place: the position goes back from the end.
  const UndoResult undone = UndoRun(installDir, journal, std::string::npos, true, report,
                                    journal.files.size(), journal.files.size());
  if (!undone.complete) report.Failure(UndoneText(undone));
  return undone.complete;
}
