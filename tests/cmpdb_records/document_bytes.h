// Documents streamed to and from memory, for the record database tests.
#pragma once

#include <string>

#include "cmpdb/record_document.h"

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
