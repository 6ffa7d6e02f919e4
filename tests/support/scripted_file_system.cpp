#include "tests/support/scripted_file_system.h"

#include <cerrno>
#include <string_view>

#include "platform/file_ops.h"

namespace tvex_test {
namespace {

bool OpensForWriting(std::string_view mode) {
  return mode.find_first_of("wa+") != std::string_view::npos;
}

}  // namespace

void ScriptedFileSystem::BeforeChange(const char* call, const std::string& path) {
  if (beforeChange) beforeChange(call, path);
}

bool ScriptedFileSystem::MayWrite(const std::string& path) {
  written.push_back(path);
  if (!refuseWritePath.empty() && path == refuseWritePath) return false;
  return readOnly.count(path) == 0;
}

std::FILE* ScriptedFileSystem::Open(const std::string& path, const char* mode) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  const bool writing = OpensForWriting(mode);
  if (writing) {
    if (!MayWrite(path)) return nullptr;
  } else if (!refuseReadPath.empty() && path == refuseReadPath && refusedReads > 0) {
    --refusedReads;
    return nullptr;
  }
  std::FILE* f = RealFileSystem::Open(path, mode);
  if (f && writing && path == shortWritePath) m_shortFiles.insert(f);
  if (f && !writing && path == failReadPath && ++m_failReadOpens == failReadOpen)
    m_readsToFail[f] = failReadNumber;
  return f;
}

std::size_t ScriptedFileSystem::Read(void* data, std::size_t size, std::size_t count,
                                     std::FILE* f) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  const auto failing = m_readsToFail.find(f);
  if (failing != m_readsToFail.end() && --failing->second == 0) {
    m_failedReads.insert(f);
    errno = EIO;
    return 0;
  }
  return RealFileSystem::Read(data, size, count, f);
}

int ScriptedFileSystem::StreamError(std::FILE* f) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return m_failedReads.count(f) ? 1 : RealFileSystem::StreamError(f);
}

std::size_t ScriptedFileSystem::Write(const void* data, std::size_t size, std::size_t count,
                                      std::FILE* f) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (++writes == failWrite || m_shortFiles.count(f)) {
    errno = EIO;
    return 0;
  }
  const std::size_t want = size * count;
  if (want > bytesLeft) {
    RealFileSystem::Write(data, 1, bytesLeft, f);
    bytesLeft = 0;
    errno = ENOSPC;
    return 0;
  }
  if (bytesLeft != SIZE_MAX) bytesLeft -= want;
  return RealFileSystem::Write(data, size, count, f);
}

int ScriptedFileSystem::Close(std::FILE* f) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  m_shortFiles.erase(f);
  m_readsToFail.erase(f);
  m_failedReads.erase(f);
  const bool failing = m_failingCloses.erase(f) != 0;
  const int result = RealFileSystem::Close(f);
  return ++closes == failClose || failing ? EOF : result;
}

int ScriptedFileSystem::MakeDirectory(const std::string& path) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  BeforeChange("MakeDirectory", path);
  ++makeDirectories;
  written.push_back(path);
  return refuseDirectories ? ENOENT : RealFileSystem::MakeDirectory(path);
}

int ScriptedFileSystem::SetReadOnly(const std::string& path, bool makeReadOnly) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  BeforeChange("SetReadOnly", path);
  if (!makeReadOnly) ++readOnlyClears;
  if (!simulateReadOnly) return RealFileSystem::SetReadOnly(path, makeReadOnly);
  if (makeReadOnly)
    readOnly.insert(path);
  else
    readOnly.erase(path);
  return 0;
}

int ScriptedFileSystem::Replace(const std::string& from, const std::string& to) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  BeforeChange("Replace", from);
  if (failReplace || to == failReplaceTo || (simulateReadOnly && readOnly.count(to))) {
    errno = EACCES;
    return -1;
  }
  const int result = RealFileSystem::Replace(from, to);
  if (result == 0) MoveAttribute(from, to);
  return result;
}

int ScriptedFileSystem::Remove(const std::string& path) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  BeforeChange("Remove", path);
  if (simulateReadOnly && readOnly.count(path)) {
    errno = EACCES;
    return -1;
  }
  return RealFileSystem::Remove(path);
}

int ScriptedFileSystem::Rename(const std::string& from, const std::string& to) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  BeforeChange("Rename", from);
  ++renames;
  if (held.count(from)) return EBUSY;
  const int result = RealFileSystem::Rename(from, to);
  if (result == 0) MoveAttribute(from, to);
  return result;
}

bool ScriptedFileSystem::InUse(const std::string& path, bool) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  return held.count(path) != 0;
}

int ScriptedFileSystem::TrustFolder(const std::string& path) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  if (!refuseFolder.empty() && path == refuseFolder) return refuseFolderError;
  return RealFileSystem::TrustFolder(path);
}

void ScriptedFileSystem::MoveAttribute(const std::string& from, const std::string& to) {
  if (!simulateReadOnly) return;
  readOnly.erase(to);
  if (readOnly.erase(from)) readOnly.insert(to);
}

std::FILE* ScriptedFileSystem::CreateNew(const std::string& path) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  BeforeChange("CreateNew", path);
  const std::size_t slash = path.find_last_of("\\/");
  const bool temp = IsTempFileName(path.substr(slash == std::string::npos ? 0 : slash + 1));
  if ((temp && refuseTemp) || !MayWrite(path)) {
    errno = EACCES;
    return nullptr;
  }
  std::FILE* f = RealFileSystem::CreateNew(path);
  if (!f) return f;
  if (path == shortWritePath) m_shortFiles.insert(f);
  if (!temp) return f;
  temps.push_back(path);
  ++m_created;
  if (m_created == shortWritesOnCreated) m_shortFiles.insert(f);
  if (m_created == failCloseOnCreated) m_failingCloses.insert(f);
  return f;
}

void ScriptedFileSystem::Sleep(unsigned milliseconds) {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  sleeps.push_back(milliseconds);
}

std::vector<std::string> ScriptedFileSystem::LeftoverTemps() {
  std::lock_guard<std::recursive_mutex> guard(m_lock);
  std::vector<std::string> left;
  for (const std::string& temp : temps)
    if (Find(temp) != platform::EntryKind::kNone) left.push_back(temp);
  return left;
}

}  // namespace tvex_test
