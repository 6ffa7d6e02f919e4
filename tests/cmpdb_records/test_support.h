// Scratch folders, whole-file reads and captured message boxes for the record database tests.
#pragma once

#include <string>
#include <vector>

#include "cmpdb/record_document.h"

// A new folder in the temporary directory, removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  // dir + "/" + name (a path the file seam accepts on every platform).
  std::string Path(const std::string& name) const;
  // The names of the files in the folder, sorted.
  std::vector<std::string> Files() const;

 private:
  std::string dir_;
};

std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);

// Collects the text of every message box shown while it lives.
class MessageLog {
 public:
  MessageLog();
  ~MessageLog();
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  std::vector<std::string> texts_;
};

// The stream a document writes, in memory.
template <class Doc>
std::string StoreToBytes(Doc& doc) {
  MemoryByteSink sink;
  CArchive ar(sink);
  doc.Serialize(ar);
  ar.Flush();
  return sink.bytes();
}

// Reads bytes into doc; the archive's error (kNone on success).
template <class Doc>
ArchiveError LoadFromBytes(Doc& doc, const std::string& bytes) {
  MemoryByteSource source(bytes.data(), bytes.size());
  CArchive ar(source);
  doc.Serialize(ar);
  return ar.error();
}
