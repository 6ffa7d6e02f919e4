#include "payload/install_plan.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <thread>
#include <unordered_map>
#include <vector>

#include "payload/gunzip.h"
#include "payload/link_check.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/paths.h"

namespace {

using UniqueFile = std::unique_ptr<std::FILE, platform::FileCloser>;

// How many threads compare existing files with the payload and test them for use: more do not
// help under Wine, whose server answers one call at a time.
constexpr std::size_t kPlanThreads = 2;

// A folder of the installation as the run found it.
struct Folder {
  bool exists = false;
  std::string path;  // full path, as it is named (or will be)
  std::unordered_map<std::string, platform::DirectoryEntry> entries;  // by folded name
};

// Lists the folders of an installation, each once, and remembers what they hold.
class Folders {
 public:
  explicit Folders(std::string installDir) : root_(std::move(installDir)) {}

  // The folder rel ("" for the install directory, "lib\sub"), trusted and listed when it
  // exists. False, with problem holding the text that stops the installation, when a folder
  // that exists cannot be trusted or listed.
  bool Get(const std::string& rel, const Folder*& folder, std::string& problem) {
    const std::string key = platform::AsciiLowered(rel);
    if (auto found = folders_.find(key); found != folders_.end()) {
      folder = &found->second;
      return true;
    }
    Folder made;
    if (rel.empty()) {
      made.path = root_;
      made.exists = true;
    } else {
      const std::size_t slash = platform::FindLastSeparator(rel);
      const std::string parentRel = slash == std::string::npos ? "" : rel.substr(0, slash);
      const std::string name = rel.substr(slash == std::string::npos ? 0 : slash + 1);
      const Folder* parent = nullptr;
      if (!Get(parentRel, parent, problem)) return false;
      const platform::DirectoryEntry* entry = Find(*parent, name);
      made.path = JoinPath(parent->path.c_str(), entry ? entry->name.c_str() : name.c_str());
      made.exists = entry && entry->kind == platform::EntryKind::kDirectory;
    }
    if (made.exists) {
      // The run works in the folder opened; it is listed once it is trusted.
      if (const int error = platform::Fs().TrustFolder(made.path)) {
        problem = FolderFaultText({made.path, error});
        return false;
      }
      std::vector<platform::DirectoryEntry> listed;
      if (!platform::Fs().List(made.path, listed)) {
        problem = "Trouble reading the folder " + made.path +
                  "\nNothing has been changed. Permission problem?";
        return false;
      }
      for (platform::DirectoryEntry& entry : listed) {
        std::string folded = platform::AsciiLowered(entry.name);
        made.entries.emplace(std::move(folded), std::move(entry));
      }
    }
    folder = &folders_.emplace(key, std::move(made)).first->second;
    return true;
  }

  static const platform::DirectoryEntry* Find(const Folder& folder, const std::string& name) {
    const auto found = folder.entries.find(platform::AsciiLowered(name));
    return found == folder.entries.end() ? nullptr : &found->second;
  }

 private:
  std::string root_;
  std::unordered_map<std::string, Folder> folders_;
};

// True when the file at path holds exactly the entry's content.
bool HoldsEntry(const PayloadEntry& entry, const std::string& path, GzipExpander& expander) {
  platform::FileSystem& fs = platform::Fs();
  UniqueFile file(fs.Open(path, "rb"));
  if (!file) return false;
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  auto buffer = std::make_unique_for_overwrite<unsigned char[]>(1024 * 1024);
  // Compares the next size bytes of the file with data.
  auto same = [&](const unsigned char* data, std::size_t size) {
    while (size > 0) {
      const std::size_t want = size < 1024 * 1024 ? size : 1024 * 1024;
      if (fs.Read(buffer.get(), 1, want, file.get()) != want ||
          std::memcmp(buffer.get(), data, want) != 0)
        return false;
      data += want;
      size -= want;
    }
    return true;
  };
  const bool equal = entry.nPackedSize == 0
                         ? same(entry.pData, entry.nSize)
                         : !expander.Expand(entry.pData, entry.nPackedSize, path, same);
  // Nothing after the content either.
  unsigned char extra;
  return equal && fs.Read(&extra, 1, 1, file.get()) == 0 && fs.StreamError(file.get()) == 0;
}

// The first name of the form base + "-" + date (then "-2", "-3", ...) that folder does not
// hold.
std::string FreeDatedName(const Folder& folder, const std::string& base, const std::string& date) {
  std::string name = base + "-" + date;
  for (int n = 2; Folders::Find(folder, name); ++n)
    name = base + "-" + date + "-" + std::to_string(n);
  return name;
}

// An entry's path below the install directory ("lib\sym\cap.asy"), split at its last separator
// into its folder ("" for the install directory itself) and its name.
struct EntryPlace {
  std::string rel, folder, name;
};

EntryPlace PlaceOf(const PayloadEntry& entry) {
  EntryPlace place{entry.pszName, "", ""};
  if (place.rel.rfind(".\\", 0) == 0) place.rel.erase(0, 2);
  const std::size_t slash = platform::FindLastSeparator(place.rel);
  if (slash != std::string::npos) place.folder = place.rel.substr(0, slash);
  place.name = place.rel.substr(slash == std::string::npos ? 0 : slash + 1);
  return place;
}

// Whether the file found at an entry's name may already hold it (a plain file of the same size
// and read-only flag, and no database, which is always merged): only then are the bytes compared.
bool MayHoldEntry(const platform::DirectoryEntry& existing, const PayloadEntry& entry) {
  return !existing.link && existing.kind == platform::EntryKind::kFile &&
         existing.size == entry.nSize && existing.readOnly == (entry.bReadOnly == 1) &&
         !IsDatabaseEntry(entry.pszName);
}

// Calls work(state, k) for every k below count, spread over a few threads (one for a short
// list), each with a State of its own. Reading or opening thousands of files is mostly waiting
// for the system (under Wine, for its server), which the threads overlap.
template <class State, class Work>
void OnThreads(std::size_t count, const Work& work) {
  std::atomic<std::size_t> next{0};
  auto run = [&] {
    State state;
    for (std::size_t k; (k = next++) < count;) work(state, k);
  };
  std::vector<std::thread> threads;
  const std::size_t wanted = std::min<std::size_t>(kPlanThreads, count / 64);
  for (std::size_t t = 1; t < wanted; ++t) threads.emplace_back(run);
  run();
  for (std::thread& thread : threads) thread.join();
}

// Compares, on a few threads, every existing file that may already hold its entry with the
// entry: true for the entries whose file holds exactly their bytes. The folders are listed and
// trusted on this thread first, in the plan's order; a folder that cannot be ends the
// comparisons there, and the plan stops at that folder too (a file not compared is never kept).
std::vector<char> CompareAhead(const PayloadTable& payload, Folders& folders) {
  std::vector<char> same(payload.count, 0);
  std::vector<std::pair<std::size_t, std::string>> candidates;
  for (std::size_t i = 0; i < payload.count; ++i) {
    const PayloadEntry& entry = *payload.entries[i];
    const EntryPlace place = PlaceOf(entry);
    const Folder* folder = nullptr;
    std::string problem;
    if (!folders.Get(place.folder, folder, problem)) break;
    const platform::DirectoryEntry* existing =
        folder->exists ? Folders::Find(*folder, place.name) : nullptr;
    if (existing && MayHoldEntry(*existing, entry))
      candidates.emplace_back(i, JoinPath(folder->path.c_str(), existing->name.c_str()));
  }
  OnThreads<GzipExpander>(candidates.size(), [&](GzipExpander& expander, std::size_t k) {
    const auto& [i, path] = candidates[k];
    same[i] = HoldsEntry(*payload.entries[i], path, expander);
  });
  return same;
}

std::string Relative(const std::string& installDir, const std::string& path) {
  std::string rel = path.substr(installDir.size());
  while (!rel.empty() && rel.front() == '\\') rel.erase(0, 1);
  return rel;
}

}  // namespace

bool PlanInstallation(const ExtractionJob& job, InstallPlan& plan, std::string& problem) {
  plan = InstallPlan();
  std::string root = job.installDir;
  while (root.size() > 3 && platform::EndsWithSeparator(root)) root.pop_back();
  Folders folders(root);
  platform::FileSystem& fs = platform::Fs();
  std::unordered_map<std::string, bool> madeFolders;  // folded full path
  std::size_t asides = 0;
  auto setAside = [&](std::string& aside) {
    const std::string name = SetAsideName(++asides);
    aside = JoinPath(root.c_str(), name.c_str());
    return name;
  };
  UndoJournal& journal = plan.journal;
  journal.madeInstallDirectory = job.madeInstallDirectory;
  const std::vector<char> same = CompareAhead(job.payload, folders);
  // The files to be moved aside, tested for use once the plan is made (in table order).
  std::vector<std::pair<std::string, bool>> toTest;

  for (std::size_t i = 0; i < job.payload.count; ++i) {
    const PayloadEntry& entry = *job.payload.entries[i];
    const EntryPlace place = PlaceOf(entry);
    const std::string& rel = place.rel;
    const std::string& name = place.name;
    // The folders on the way, outermost first: each is there or made by the run.
    const Folder* folder = nullptr;
    for (std::size_t slash = platform::FindSeparator(rel); slash != std::string::npos;
         slash = platform::FindSeparator(rel, slash + 1)) {
      if (!folders.Get(rel.substr(0, slash), folder, problem)) return false;
      if (!folder->exists && madeFolders.emplace(platform::AsciiLowered(folder->path), true).second)
        plan.newFolders.push_back(folder->path);
    }
    if (!folders.Get(place.folder, folder, problem)) return false;

    PlannedEntry planned;
    planned.path = JoinPath(folder->path.c_str(), name.c_str());
    planned.firstChange = journal.files.size();
    const platform::DirectoryEntry* existing =
        folder->exists ? Folders::Find(*folder, name) : nullptr;
    // A link at the name would be moved aside and back, or written through: neither is done.
    if (existing && existing->link) {
      problem = LinkedFileText(JoinPath(folder->path.c_str(), existing->name.c_str()));
      return false;
    }
    if (existing && existing->kind == platform::EntryKind::kFile) {
      planned.existing = JoinPath(folder->path.c_str(), existing->name.c_str());
      planned.readOnly = existing->readOnly;
      if (IsDatabaseEntry(entry.pszName)) {
        planned.action = EntryAction::kDatabase;
      } else if (same[i]) {
        planned.action = EntryAction::kKeep;
      } else {
        planned.action = EntryAction::kReplace;
      }
    }

    switch (planned.action) {
      case EntryAction::kKeep:
        break;
      case EntryAction::kCreate:
        journal.files.push_back({Relative(root, planned.path), ""});
        break;
      case EntryAction::kReplace:
        journal.files.push_back({Relative(root, planned.existing), setAside(planned.aside)});
        toTest.emplace_back(planned.existing, planned.readOnly);
        break;
      case EntryAction::kDatabase: {
        journal.files.push_back({Relative(root, planned.existing), setAside(planned.aside)});
        toTest.emplace_back(planned.existing, planned.readOnly);
        PlannedDatabase& database = plan.databases[i];
        const platform::DirectoryEntry* backup = Folders::Find(*folder, name + ".bak");
        if (backup && backup->link) {
          problem = LinkedFileText(JoinPath(folder->path.c_str(), backup->name.c_str()));
          return false;
        }
        if (backup && backup->kind == platform::EntryKind::kFile) {
          database.backup = JoinPath(folder->path.c_str(), backup->name.c_str());
          database.backupReadOnly = backup->readOnly;
          journal.files.push_back(
              {Relative(root, database.backup), setAside(database.backupAside)});
          toTest.emplace_back(database.backup, backup->readOnly);
        } else {
          database.backup = planned.path + ".bak";
          journal.files.push_back({Relative(root, database.backup), ""});
        }
        database.datedBackup =
            JoinPath(folder->path.c_str(), FreeDatedName(*folder, name + ".bak", job.date).c_str());
        journal.files.push_back({Relative(root, database.datedBackup), ""});
        if (job.update) {
          database.unmerged = JoinPath(
              folder->path.c_str(), FreeDatedName(*folder, name + ".unmerged", job.date).c_str());
          journal.files.push_back({Relative(root, database.unmerged), ""});
        }
        break;
      }
    }
    plan.entries.push_back(std::move(planned));
  }
  for (const std::string& made : plan.newFolders) journal.folders.push_back(Relative(root, made));
  plan.setAsides = asides;
  std::vector<char> busy(toTest.size(), 0);
  struct NoState {};
  OnThreads<NoState>(toTest.size(), [&](NoState&, std::size_t k) {
    busy[k] = fs.InUse(toTest[k].first, toTest[k].second);
  });
  for (std::size_t k = 0; k < toTest.size(); ++k)
    if (busy[k]) plan.busy.push_back(toTest[k].first);
  return true;
}
