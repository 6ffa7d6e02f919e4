// The object-archive stream of the record databases, read and written byte for byte.
//
//   file    = count, object * count        nothing else; bytes after the last object are ignored
//   count   = WORD n                       n <= 0xFFFE
//           | WORD FFFF, DWORD n           n >= 0xFFFF
//   text    = BYTE n, n bytes              n <= 254 (empty text: the single byte 00)
//           | BYTE FF, WORD n, n bytes     255 <= n <= 0xFFFD
//           | BYTE FF, WORD FFFF, DWORD n, n bytes
//           | BYTE FF, WORD FFFE, length prefix n, 2n bytes UTF-16LE   (read only)
//   object  = WORD FFFF, WORD schema, WORD L (<= 63), L bytes class name, fields
//           | WORD 8000+n, fields          new object of the class with index n (1..7FFE)
//           | WORD 7FFF, DWORD 80000000+n, fields
//           | WORD 0                       null object
//           | WORD 1..7FFE | WORD 7FFF, DWORD n   reference to an earlier object
//
// All integers little-endian; integer fields 4 bytes signed, float fields IEEE single.
// Classes and objects share one index sequence: 0 is the null object, a class takes the next
// index when its description passes, an object the next one after its tag. A database has one
// class (index 1), so every record after the first starts with 01 80.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CArchive;
class CObject;

// What a reader needs to know about a record class: its exact name, schema number and how to
// make an empty record of it.
struct CRuntimeClass {
  const char* m_lpszClassName;
  std::uint16_t m_wSchema;
  std::unique_ptr<CObject> (*m_pfnCreateObject)();
};

// The root of every serializable record.
class CObject {
 public:
  virtual const CRuntimeClass& GetRuntimeClass() const = 0;
  virtual ~CObject() = default;
  // Reads the record's fields when the archive is loading, writes them when it is storing.
  virtual void Serialize(CArchive& ar) = 0;
};

// Where a loading archive gets its bytes.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to size bytes; fewer only at the end of the data or on an error.
  virtual std::size_t Read(void* data, std::size_t size) = 0;
  // The errno value of a read error, 0 when a short read was the end of the data.
  virtual int Error() const = 0;
};

// Where a storing archive puts its bytes.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // False (with Error() set) when not every byte could be written.
  virtual bool Write(const void* data, std::size_t size) = 0;
  virtual int Error() const = 0;
};

// A stream opened through platform::Fs(); the caller keeps ownership of the FILE.
class FileByteSource : public ByteSource {
 public:
  explicit FileByteSource(std::FILE* f) : f_(f) {}
  std::size_t Read(void* data, std::size_t size) override;
  int Error() const override { return error_; }

 private:
  std::FILE* f_;
  int error_ = 0;
};

class FileByteSink : public ByteSink {
 public:
  explicit FileByteSink(std::FILE* f) : f_(f) {}
  bool Write(const void* data, std::size_t size) override;
  int Error() const override { return error_; }

 private:
  std::FILE* f_;
  int error_ = 0;
};

// Bytes in memory (tests, fuzzing); the data must outlive the source.
class MemoryByteSource : public ByteSource {
 public:
  MemoryByteSource(const void* data, std::size_t size)
      : data_(static_cast<const unsigned char*>(data)), size_(size) {}
  std::size_t Read(void* data, std::size_t size) override;
  int Error() const override { return 0; }

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

class MemoryByteSink : public ByteSink {
 public:
  bool Write(const void* data, std::size_t size) override;
  int Error() const override { return 0; }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

// Why an archive stopped; the first failure sticks and every later read yields zeros.
enum class ArchiveError { kNone, kEndOfFile, kBadClass, kBadSchema, kBadIndex, kFileError };

// A loading or storing object archive over a buffered byte stream.
class CArchive {
 public:
  // Highest index a class or object may take; a stream that needs more is a bad index.
  static constexpr std::uint32_t kMaxIndex = 0x3FFFFFFD;
  static constexpr std::size_t kBufferSize = 64 * 1024;

  explicit CArchive(ByteSource& source);
  explicit CArchive(ByteSink& sink);
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  bool IsLoading() const { return source_ != nullptr; }
  bool IsStoring() const { return sink_ != nullptr; }
  ArchiveError error() const { return error_; }
  // The errno value behind kFileError.
  int file_errno() const { return fileErrno_; }

  // True when the source holds no byte at all (checked before anything is read).
  bool AtEmptySource();

  std::uint8_t ReadByte();
  std::uint16_t ReadWord();
  std::uint32_t ReadDword();
  std::uint32_t ReadCount();
  // Reads a text of either form; wide texts are narrowed (code units above 0xFF become '?').
  std::string ReadText();
  // Reads one object that must be a new record of the class expected; a null object, a
  // reference, a class index that names an object, or any other class fails the archive
  // (kBadIndex or kBadClass) and gives null.
  std::unique_ptr<CObject> ReadObject(const CRuntimeClass& expected);

  void WriteByte(std::uint8_t v);
  void WriteWord(std::uint16_t v);
  void WriteDword(std::uint32_t v);
  void WriteCount(std::uint32_t n);
  void WriteText(const std::string& text);
  // Writes the object's tag (its class described on first use) and then its fields.
  void WriteObject(CObject& object);
  // Writes out what is buffered; false when the archive has failed.
  bool Flush();

  // Reads or writes one field, whichever way the archive runs.
  void Exchange(std::string& text);
  void Exchange(float& value);
  void Exchange(std::int32_t& value);

 private:
  bool ReadBytes(void* data, std::size_t size);
  void WriteBytes(const void* data, std::size_t size);
  bool Fill();
  void Fail(ArchiveError error);
  bool ReadLength(std::uint64_t& length, bool& wide);
  std::string ReadNarrow(std::uint64_t length);
  std::string ReadWide(std::uint64_t length);
  bool TakeIndex();

  ByteSource* source_ = nullptr;
  ByteSink* sink_ = nullptr;
  std::vector<unsigned char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  ArchiveError error_ = ArchiveError::kNone;
  int fileErrno_ = 0;
  // Index the next class or object takes.
  std::uint32_t nextIndex_ = 1;
  // The classes seen so far with their indices (a database has one).
  std::vector<std::pair<std::uint32_t, const CRuntimeClass*>> classes_;
};
