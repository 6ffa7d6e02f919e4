#include "cmpdb/archive_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cmpdb/class_registry.h"
#include "platform/file_system.h"

namespace {

constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint32_t kBigClassTag = 0x80000000;
constexpr std::uint16_t kMaxClassNameLength = 63;
// Texts are read in pieces of this size, so a damaged length costs memory only for the bytes
// that are really there.
constexpr std::size_t kTextChunk = 64 * 1024;

}  // namespace

std::size_t FileByteSource::Read(void* data, std::size_t size) {
  errno = 0;
  std::size_t got = platform::Fs().Read(data, 1, size, f_);
  if (got < size && std::ferror(f_)) error_ = errno ? errno : EIO;
  return got;
}

bool FileByteSink::Write(const void* data, std::size_t size) {
  errno = 0;
  if (platform::Fs().Write(data, 1, size, f_) == size) return true;
  error_ = errno ? errno : EIO;
  return false;
}

std::size_t MemoryByteSource::Read(void* data, std::size_t size) {
  std::size_t n = std::min(size, size_ - pos_);
  if (n) std::memcpy(data, data_ + pos_, n);
  pos_ += n;
  return n;
}

bool MemoryByteSink::Write(const void* data, std::size_t size) {
  bytes_.append(static_cast<const char*>(data), size);
  return true;
}

CArchive::CArchive(ByteSource& source) : source_(&source), buffer_(kBufferSize) {}

CArchive::CArchive(ByteSink& sink) : sink_(&sink), buffer_(kBufferSize) {}

void CArchive::Fail(ArchiveError error) {
  if (error_ == ArchiveError::kNone) error_ = error;
}

bool CArchive::Fill() {
  if (error_ != ArchiveError::kNone) return false;
  pos_ = 0;
  end_ = source_->Read(buffer_.data(), buffer_.size());
  if (end_ == 0) {
    if (source_->Error()) {
      fileErrno_ = source_->Error();
      Fail(ArchiveError::kFileError);
    } else {
      Fail(ArchiveError::kEndOfFile);
    }
    return false;
  }
  return true;
}

bool CArchive::AtEmptySource() {
  if (pos_ < end_) return false;
  if (Fill()) return false;
  if (error_ != ArchiveError::kEndOfFile) return false;
  error_ = ArchiveError::kNone;  // an empty file is not a failure
  return true;
}

bool CArchive::ReadBytes(void* data, std::size_t size) {
  auto* out = static_cast<unsigned char*>(data);
  while (size) {
    if (error_ != ArchiveError::kNone || (pos_ == end_ && !Fill())) {
      std::memset(out, 0, size);
      return false;
    }
    std::size_t n = std::min(size, end_ - pos_);
    std::memcpy(out, buffer_.data() + pos_, n);
    pos_ += n;
    out += n;
    size -= n;
  }
  return error_ == ArchiveError::kNone;
}

std::uint8_t CArchive::ReadByte() {
  unsigned char b[1];
  ReadBytes(b, 1);
  return b[0];
}

std::uint16_t CArchive::ReadWord() {
  unsigned char b[2];
  ReadBytes(b, 2);
  return std::uint16_t(b[0] | (b[1] << 8));
}

std::uint32_t CArchive::ReadDword() {
  unsigned char b[4];
  ReadBytes(b, 4);
  return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
         (std::uint32_t(b[3]) << 24);
}

std::uint32_t CArchive::ReadCount() {
  std::uint16_t w = ReadWord();
  if (w != 0xFFFF) return w;
  return ReadDword();
}

// One length prefix; the wide marker (FF FFFE) may stand only in front of the first one, and
// the prefix after it is read as a plain length.
bool CArchive::ReadLength(std::uint64_t& length, bool& wide) {
  wide = false;
  std::uint8_t b = ReadByte();
  if (b < 0xFF) {
    length = b;
    return error_ == ArchiveError::kNone;
  }
  std::uint16_t w = ReadWord();
  if (w == 0xFFFE) {
    wide = true;
    b = ReadByte();
    if (b < 0xFF) {
      length = b;
      return error_ == ArchiveError::kNone;
    }
    w = ReadWord();
  }
  length = (w < 0xFFFF) ? w : ReadDword();
  return error_ == ArchiveError::kNone;
}

std::string CArchive::ReadNarrow(std::uint64_t length) {
  std::string text;
  while (length && error_ == ArchiveError::kNone) {
    std::size_t n = std::size_t(std::min<std::uint64_t>(length, kTextChunk));
    std::size_t at = text.size();
    text.resize(at + n);
    if (!ReadBytes(text.data() + at, n)) return {};
    length -= n;
  }
  return text;
}

std::string CArchive::ReadWide(std::uint64_t length) {
  std::string raw = ReadNarrow(2 * length);
  if (error_ != ArchiveError::kNone) return {};
  std::string text(raw.size() / 2, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned unit = static_cast<unsigned char>(raw[2 * i]) |
                    (unsigned(static_cast<unsigned char>(raw[2 * i + 1])) << 8);
    text[i] = unit <= 0xFF ? char(unit) : '?';
  }
  return text;
}

std::string CArchive::ReadText() {
  std::uint64_t length = 0;
  bool wide = false;
  if (!ReadLength(length, wide)) return {};
  return wide ? ReadWide(length) : ReadNarrow(length);
}

bool CArchive::TakeIndex() {
  if (nextIndex_ > kMaxIndex) {
    Fail(ArchiveError::kBadIndex);
    return false;
  }
  ++nextIndex_;
  return true;
}

std::unique_ptr<CObject> CArchive::ReadObject(const CRuntimeClass& expected) {
  std::uint16_t tag = ReadWord();
  std::uint32_t value = (tag == kBigObjectTag)
                            ? ReadDword()
                            : std::uint32_t(tag & 0x7FFF) | ((tag & kClassTag) ? kBigClassTag : 0u);
  if (error_ != ArchiveError::kNone) return nullptr;

  if (!(value & kBigClassTag)) {
    // A null object or a reference to one already read: never a new record of the list.
    Fail(ArchiveError::kBadIndex);
    return nullptr;
  }

  const CRuntimeClass* cls = nullptr;
  if (tag == kNewClassTag) {
    std::uint16_t schema = ReadWord();
    std::uint16_t length = ReadWord();
    if (error_ != ArchiveError::kNone) return nullptr;
    if (length > kMaxClassNameLength) {
      Fail(ArchiveError::kBadClass);
      return nullptr;
    }
    char name[kMaxClassNameLength];
    if (!ReadBytes(name, length)) {
      // A cut-off class name is a bad class.
      if (error_ == ArchiveError::kEndOfFile) error_ = ArchiveError::kBadClass;
      return nullptr;
    }
    cls = FindRegisteredClass(std::string(name, length));
    if (!cls) {
      Fail(ArchiveError::kBadClass);
      return nullptr;
    }
    if (schema != cls->m_wSchema) {
      Fail(ArchiveError::kBadSchema);
      return nullptr;
    }
    std::uint32_t index = nextIndex_;
    if (!TakeIndex()) return nullptr;
    classes_.emplace_back(index, cls);
  } else {
    std::uint32_t index = value & ~kBigClassTag;
    if (index == 0 || index >= nextIndex_) {
      Fail(ArchiveError::kBadIndex);
      return nullptr;
    }
    auto it = std::find_if(classes_.begin(), classes_.end(),
                           [index](const auto& entry) { return entry.first == index; });
    if (it == classes_.end()) {
      Fail(ArchiveError::kBadIndex);  // the index names an object, not a class
      return nullptr;
    }
    cls = it->second;
  }

  if (cls != &expected) {
    Fail(ArchiveError::kBadClass);
    return nullptr;
  }
  if (!TakeIndex()) return nullptr;
  std::unique_ptr<CObject> object = cls->m_pfnCreateObject();
  object->Serialize(*this);
  if (error_ != ArchiveError::kNone) return nullptr;
  return object;
}

void CArchive::WriteBytes(const void* data, std::size_t size) {
  if (error_ != ArchiveError::kNone) return;
  const auto* in = static_cast<const unsigned char*>(data);
  while (size) {
    if (end_ == buffer_.size() && !Flush()) return;
    std::size_t n = std::min(size, buffer_.size() - end_);
    std::memcpy(buffer_.data() + end_, in, n);
    end_ += n;
    in += n;
    size -= n;
  }
}

bool CArchive::Flush() {
  if (error_ != ArchiveError::kNone) return false;
  if (end_ && !sink_->Write(buffer_.data(), end_)) {
    fileErrno_ = sink_->Error();
    Fail(ArchiveError::kFileError);
    return false;
  }
  end_ = 0;
  return true;
}

void CArchive::WriteByte(std::uint8_t v) { WriteBytes(&v, 1); }

void CArchive::WriteWord(std::uint16_t v) {
  unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
  WriteBytes(b, 2);
}

void CArchive::WriteDword(std::uint32_t v) {
  unsigned char b[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                        static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
  WriteBytes(b, 4);
}

void CArchive::WriteCount(std::uint32_t n) {
  if (n < 0xFFFF) {
    WriteWord(std::uint16_t(n));
  } else {
    WriteWord(0xFFFF);
    WriteDword(n);
  }
}

void CArchive::WriteText(const std::string& text) {
  std::size_t n = text.size();
  if (n < 0xFF) {
    WriteByte(std::uint8_t(n));
  } else if (n < 0xFFFE) {
    WriteByte(0xFF);
    WriteWord(std::uint16_t(n));
  } else {
    WriteByte(0xFF);
    WriteWord(0xFFFF);
    WriteDword(std::uint32_t(n));
  }
  WriteBytes(text.data(), n);
}

void CArchive::WriteObject(CObject& object) {
  const CRuntimeClass& cls = object.GetRuntimeClass();
  auto it = std::find_if(classes_.begin(), classes_.end(),
                         [&cls](const auto& entry) { return entry.second == &cls; });
  if (it == classes_.end()) {
    std::uint32_t index = nextIndex_;
    if (!TakeIndex()) return;
    classes_.emplace_back(index, &cls);
    std::size_t length = std::strlen(cls.m_lpszClassName);
    WriteWord(kNewClassTag);
    WriteWord(cls.m_wSchema);
    WriteWord(std::uint16_t(length));
    WriteBytes(cls.m_lpszClassName, length);
  } else if (it->first < kBigObjectTag) {
    WriteWord(std::uint16_t(kClassTag | it->first));
  } else {
    WriteWord(kBigObjectTag);
    WriteDword(kBigClassTag | it->first);
  }
  if (!TakeIndex()) return;
  object.Serialize(*this);
}

void CArchive::Exchange(std::string& text) {
  if (IsLoading()) {
    text = ReadText();
  } else {
    WriteText(text);
  }
}

void CArchive::Exchange(float& value) {
  if (IsLoading()) {
    std::uint32_t bits = ReadDword();
    std::memcpy(&value, &bits, 4);
  } else {
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    WriteDword(bits);
  }
}

void CArchive::Exchange(std::int32_t& value) {
  if (IsLoading()) {
    value = static_cast<std::int32_t>(ReadDword());
  } else {
    WriteDword(static_cast<std::uint32_t>(value));
  }
}
