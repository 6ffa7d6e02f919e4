#include "payload/undo.h"

#include <cerrno>
#include <memory>
#include <unordered_set>

#include "payload/database_merge.h"
#include "payload/link_check.h"
#include "platform/file_errors.h"
#include "platform/file_ops.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace {

// A journal larger than this is not one the installer wrote.
constexpr std::size_t kLargestJournal = 64u << 20;

using UniqueFile = std::unique_ptr<std::FILE, platform::FileCloser>;

// Removes a file the run made; a missing one is fine. 0, or the errno value of the failure.
int RemoveMadeFile(const std::string& path) {
  platform::FileSystem& fs = platform::Fs();
  errno = 0;
  if (fs.Remove(path) == 0) return 0;
  if (errno == ENOENT) return 0;
  const int error = errno ? errno : EACCES;
  const platform::EntryKind kind = fs.Find(path);
  if (kind == platform::EntryKind::kNone) return 0;
  // A folder of that name was not made by the run as a file: it is not ours to remove.
  if (kind == platform::EntryKind::kDirectory) return 0;
  // A file the run made read-only (SetReadOnly never changes what a link leads to).
  if (fs.SetReadOnly(path, false) != 0) return error;
  errno = 0;
  return fs.Remove(path) == 0 ? 0 : (errno ? errno : EACCES);
}

// Puts a set-aside file back at its place; nothing to do when it was never set aside. 0, or the
// errno value of the failure.
int PutBack(const std::string& aside, const std::string& path) {
  platform::FileSystem& fs = platform::Fs();
  if (fs.Find(aside) != platform::EntryKind::kFile) return 0;
  errno = 0;
  if (fs.Replace(aside, path) == 0) return 0;
  const int error = errno ? errno : EACCES;
  // The run's new file in the way is read-only: Windows replaces no read-only file
  // (SetReadOnly never changes what a link leads to).
  if (fs.SetReadOnly(path, false) != 0) return error;
  errno = 0;
  return fs.Replace(aside, path) == 0 ? 0 : (errno ? errno : EACCES);
}

// New files that an interrupted run left beside the databases and beside the journal.
void RemoveTempFiles(const std::string& installDir) {
  platform::FileSystem& fs = platform::Fs();
  for (const char* folder : {".\\", kDatabaseFolder}) {
    const std::string dir = JoinPath(installDir.c_str(), folder);
    for (const std::string& name : fs.ListFiles(dir))
      if (IsTempFileName(name)) fs.Remove(dir + name);
  }
}

// The whole journal file, or false when it cannot be read or is larger than any journal.
bool ReadJournal(const std::string& path, std::string& text) {
  platform::FileSystem& fs = platform::Fs();
  UniqueFile file(fs.Open(path, "rb"));
  if (!file) return false;
  char block[64 * 1024];
  for (;;) {
    const std::size_t got = fs.Read(block, 1, sizeof block, file.get());
    text.append(block, got);
    if (text.size() > kLargestJournal) return false;
    if (got < sizeof block) return fs.StreamError(file.get()) == 0;
  }
}

// Trusts every folder below installDir on the way to any path of the journal; the first that is
// a link or cannot be read.
FolderFault TrustJournalFolders(const std::string& installDir, const UndoJournal& journal) {
  if (const int error = platform::Fs().TrustFolder(installDir)) return {installDir, error};
  std::unordered_set<std::string> tried;
  for (const std::string& folder : journal.folders)
    if (FolderFault fault = TrustFoldersOnTheWay(installDir, folder, tried); fault.error)
      return fault;
  for (const UndoJournal::File& file : journal.files) {
    if (FolderFault fault = TrustFoldersOnTheWay(installDir, file.path, tried); fault.error)
      return fault;
    if (FolderFault fault = TrustFoldersOnTheWay(installDir, file.setAside, tried); fault.error)
      return fault;
  }
  return {};
}

// Why a journal cannot be acted on because of fault.
std::string FolderProblem(const FolderFault& fault) {
  if (fault.error == ELOOP)
    return "the folder \"" + fault.folder + "\" on the way to a file it names is a link";
  return "the folder \"" + fault.folder + "\" on the way to a file it names cannot be read: " +
         platform::FileErrorReason(fault.error);
}

}  // namespace

UndoResult UndoRun(const std::string& installDir, const UndoJournal& journal, std::size_t reached,
                   bool removeInstallDirectory, ExtractionReport& report, std::uint64_t done,
                   std::uint64_t total) {
  UndoResult result;
  // Only inside folders opened and checked: never through a link.
  platform::FolderTrust trust;
  if (const FolderFault fault = TrustJournalFolders(installDir, journal); fault.error)
    return {false, fault.folder, fault.error};
  const std::size_t count = reached < journal.files.size() ? reached : journal.files.size();
  for (std::size_t i = count; i-- > 0;) {
    const UndoJournal::File& file = journal.files[i];
    report.Progress("Undoing: " + file.path + "\n");
    if (total > 0) report.Position(done * i / count, total);
    const std::string path = JoinPath(installDir.c_str(), file.path.c_str());
    const int error = file.setAside.empty()
                          ? RemoveMadeFile(path)
                          : PutBack(JoinPath(installDir.c_str(), file.setAside.c_str()), path);
    report.Note(std::string(file.setAside.empty() ? "Undo: removed " : "Undo: put back ") +
                file.path +
                (error ? ": failed, " + platform::FileErrorReason(error) + " (errno " +
                             std::to_string(error) + ")"
                       : std::string()));
    if (error != 0 && result.complete) result = {false, path, error};
  }
  RemoveTempFiles(installDir);
  platform::FileSystem& fs = platform::Fs();
  // Innermost first; a folder that holds something of the user's stays.
  for (std::size_t i = journal.folders.size(); i-- > 0;)
    fs.RemoveFolder(JoinPath(installDir.c_str(), journal.folders[i].c_str()));
  if (!result.complete) return result;

  const std::string journalPath = JoinPath(installDir.c_str(), kUndoJournalName);
  errno = 0;
  if (fs.Remove(journalPath) != 0 && errno != ENOENT) return {false, journalPath, errno};
  RemoveSetAsideFiles(installDir);
  if (removeInstallDirectory && journal.madeInstallDirectory) fs.RemoveFolder(installDir);
  return result;
}

std::string UndoneText(const UndoResult& result) {
  if (result.complete) return "The installation has been undone: everything is as it was before.";
  return "The installation could not be undone completely: " + result.path + ": " +
         platform::FileErrorReason(result.error) +
         ".\nIt will be undone when the installer runs again.";
}

bool RecoverInterruptedRun(const std::string& installDir, ExtractionReport& report,
                           bool& madeInstallDirectory) {
  platform::FolderTrust trust;
  const std::string path = JoinPath(installDir.c_str(), kUndoJournalName);
  if (platform::Fs().Find(path) == platform::EntryKind::kNone) {
    RemoveSetAsideFiles(installDir);
    RemoveTempFiles(installDir);
    return true;
  }
  std::string text, problem;
  UndoJournal journal;
  if (!ReadJournal(path, text))
    problem = "it cannot be read, or it is larger than any journal of an installation";
  else if (ParseUndoJournal(text, journal, problem))
    if (const FolderFault fault = TrustJournalFolders(installDir, journal); fault.error)
      problem = FolderProblem(fault);
  if (!problem.empty()) {
    report.Failure("The undo journal \"" + path +
                   "\" of an interrupted installation cannot be trusted: " + problem +
                   ".\nNothing has been changed. Please remove the file, or choose another "
                   "location.");
    return false;
  }
  report.Progress("Undoing an interrupted installation\n");
  const UndoResult result = UndoRun(installDir, journal, std::string::npos, false, report);
  if (!result.complete) {
    report.Failure("An interrupted installation could not be undone: " + result.path + ": " +
                   platform::FileErrorReason(result.error) +
                   ".\nNothing else has been changed. Please close what holds the file and try "
                   "again.");
    return false;
  }
  madeInstallDirectory = madeInstallDirectory || journal.madeInstallDirectory;
  return true;
}

void RemoveSetAsideFiles(const std::string& installDir) {
  platform::FileSystem& fs = platform::Fs();
  platform::FolderTrust trust;
  const std::string folder = JoinPath(installDir.c_str(), kSetAsideFolderName);
  // Only inside folders opened and checked: never through a link.
  if (fs.TrustFolder(installDir) != 0 || fs.TrustFolder(folder) != 0) return;
  std::vector<platform::DirectoryEntry> buckets;
  if (!fs.List(folder, buckets)) return;
  for (const platform::DirectoryEntry& bucket : buckets) {
    // Only the buckets and files a run set aside.
    if (bucket.kind != platform::EntryKind::kDirectory || bucket.link) continue;
    const std::string dir = folder + "\\" + bucket.name;
    std::vector<platform::DirectoryEntry> entries;
    if (fs.TrustFolder(dir) != 0 || !fs.List(dir, entries)) continue;
    for (const platform::DirectoryEntry& entry : entries) {
      if (entry.kind != platform::EntryKind::kFile) continue;
      const std::string path = dir + "\\" + entry.name;
      // A read-only file goes once it is writable (SetReadOnly never changes a link's target).
      if (fs.Remove(path) != 0 && fs.SetReadOnly(path, false) == 0) fs.Remove(path);
    }
    fs.RemoveFolder(dir);
  }
  fs.RemoveFolder(folder);
}
