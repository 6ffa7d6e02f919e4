#include "cmpdb/archive_stream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "cmpdb/record_document.h"
#include "cmpdb/record_merge.h"
#include "platform/file_system.h"
#include "tests/cmpdb_records/document_bytes.h"
#include "tests/support/box_capture.h"
#include "tests/support/disk_files.h"
#include "tests/support/scripted_file_system.h"
#include "tests/support/work_dir.h"

namespace {

using namespace tvex_test;

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += char(v);
  return s;
}

// Concatenation without operator+ chains (GCC 12 warns about those falsely under -O3).
std::string Join(std::initializer_list<std::string> parts) {
  std::string s;
  for (const std::string& p : parts) s.append(p);
  return s;
}

std::string Stored(void (*write)(CArchive&)) {
  MemoryByteSink sink;
  CArchive ar(sink);
  write(ar);
  EXPECT_TRUE(ar.Flush());
  return sink.bytes();
}

std::string TextStream(const std::string& text) {
  MemoryByteSink sink;
  CArchive ar(sink);
  ar.WriteText(text);
  ar.Flush();
  return sink.bytes();
}

std::string ReadTextFrom(const std::string& bytes, ArchiveError* error = nullptr) {
  MemoryByteSource source(bytes.data(), bytes.size());
  CArchive ar(source);
  std::string text = ar.ReadText();
  if (error) *error = ar.error();
  return text;
}

std::unique_ptr<CCapacitorRec> Capacitor(std::string maker, std::string part, float farads) {
  auto r = std::make_unique<CCapacitorRec>();
  r->m_strManufacturer = std::move(maker);
  r->m_strPartNumber = std::move(part);
  r->m_strType = "X7R";
  r->m_fCapacitance = farads;
  r->m_nParam7 = 1;
  return r;
}

// A capacitor stream of the given records, as the writer makes it.
std::string CapacitorStream(int records) {
  CCapacitorDoc doc;
  for (int i = 0; i < records; ++i) {
    doc.m_records.push_back(Capacitor("Maker", Join({"P", std::to_string(i)}), 1e-6f * i));
  }
  return StoreToBytes(doc);
}

TEST(ArchiveCount, WordUpTo0xFFFEThenEscapedDword) {
  EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(0xFFFE); }), Bytes({0xFE, 0xFF}));
  EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(0xFFFF); }),
            Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
  EXPECT_EQ(Stored([](CArchive& ar) { ar.WriteCount(1296); }), Bytes({0x10, 0x05}));
  for (std::uint32_t n : {0u, 0xFFFEu, 0xFFFFu, 0x12345678u, 0xFFFFFFFFu}) {
    MemoryByteSink sink;
    CArchive out(sink);
    out.WriteCount(n);
    out.Flush();
    MemoryByteSource source(sink.bytes().data(), sink.bytes().size());
    CArchive in(source);
    EXPECT_EQ(in.ReadCount(), n);
    EXPECT_EQ(in.error(), ArchiveError::kNone);
  }
}

TEST(ArchiveText, LengthPrefixesAtEachBoundary) {
  EXPECT_EQ(TextStream(""), Bytes({0}));
  EXPECT_EQ(TextStream(std::string(254, 'a')).substr(0, 1), Bytes({0xFE}));
  EXPECT_EQ(TextStream(std::string(255, 'a')).substr(0, 3), Bytes({0xFF, 0xFF, 0x00}));
  EXPECT_EQ(TextStream(std::string(0xFFFD, 'a')).substr(0, 3), Bytes({0xFF, 0xFD, 0xFF}));
  EXPECT_EQ(TextStream(std::string(0xFFFE, 'a')).substr(0, 7),
            Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));
  for (std::size_t n : {0, 1, 254, 255, 0xFFFD, 0xFFFE, 0x10000}) {
    std::string text(n, 'x');
    if (n) text[n - 1] = '\xE9';
    std::string stream = TextStream(text);
    EXPECT_EQ(stream.size() - text.size(), n < 255 ? 1u : n < 0xFFFE ? 3u : 7u);
    EXPECT_EQ(ReadTextFrom(stream), text) << n;
  }
}

TEST(ArchiveText, WideTextsAreNarrowed) {
  // FF FEFF marks UTF-16LE; the length prefix after it counts code units.
  std::string wide = Bytes({0xFF, 0xFE, 0xFF, 3, 'a', 0, 0xE9, 0, 0xAC, 0x20});
  EXPECT_EQ(ReadTextFrom(wide), "a\xE9?");
  // The length after the marker may itself use the long forms.
  std::string longWide = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x02, 0x00, 'O', 0, 'K', 0});
  EXPECT_EQ(ReadTextFrom(longWide), "OK");
  // The prefix after the marker is a plain length: a second FEFF there is the length 0xFFFE.
  std::string units;
  for (int i = 0; i < 0xFFFE; ++i) units += Bytes({'w', 0});
  EXPECT_EQ(ReadTextFrom(Join({Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}), units})),
            std::string(0xFFFE, 'w'));
  ArchiveError error;
  EXPECT_EQ(ReadTextFrom(Bytes({0xFF, 0xFE, 0xFF, 2, 'a', 0, 'b'}), &error), "");
  EXPECT_EQ(error, ArchiveError::kEndOfFile);
}

TEST(ArchiveText, HugeLengthWithoutBytesIsEndOfFile) {
  ArchiveError error;
  EXPECT_EQ(ReadTextFrom(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 'a'}), &error), "");
  EXPECT_EQ(error, ArchiveError::kEndOfFile);
  EXPECT_EQ(ReadTextFrom(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), &error),
            "");
  EXPECT_EQ(error, ArchiveError::kEndOfFile);
}

TEST(ArchiveStream, ShapeOfADatabase) {
  std::string s = CapacitorStream(3);
  std::string head = Join({Bytes({3, 0, 0xFF, 0xFF, 0, 0, 13, 0}), "CCapacitorRec", Bytes({5}),
                           "Maker", Bytes({2}), "P0", Bytes({3}), "X7R"});
  EXPECT_EQ(s.substr(0, head.size()), head);
  // 3 texts + 6 floats + 1 integer per record, then 01 80 before each later record.
  std::size_t first = head.size() + 6 * 4 + 4;
  EXPECT_EQ(s.substr(first, 2), Bytes({0x01, 0x80}));
  std::size_t second = first + 2 + (1 + 5) + (1 + 2) + (1 + 3) + 28;
  EXPECT_EQ(s.substr(second, 2), Bytes({0x01, 0x80}));
  EXPECT_EQ(s.size(), second + 2 + 6 + 3 + 4 + 28);

  CCapacitorDoc doc;
  ASSERT_EQ(LoadFromBytes(doc, s), ArchiveError::kNone);
  ASSERT_EQ(doc.m_records.size(), 3u);
  EXPECT_EQ(doc.m_records[2]->m_strPartNumber, "P2");
  EXPECT_EQ(StoreToBytes(doc), s);
}

TEST(ArchiveStream, EmptyInputsAndTrailingBytes) {
  CCapacitorDoc doc;
  EXPECT_EQ(LoadFromBytes(doc, ""), ArchiveError::kNone);
  EXPECT_TRUE(doc.m_records.empty());
  EXPECT_EQ(LoadFromBytes(doc, Bytes({0, 0})), ArchiveError::kNone);
  EXPECT_TRUE(doc.m_records.empty());
  EXPECT_EQ(LoadFromBytes(doc, Bytes({0})), ArchiveError::kEndOfFile);
  EXPECT_EQ(LoadFromBytes(doc, Join({CapacitorStream(2), "junk after the end"})),
            ArchiveError::kNone);
  EXPECT_EQ(doc.m_records.size(), 2u);
}

TEST(ArchiveStream, EscapedClassIndexIsAccepted) {
  std::string s = CapacitorStream(2);
  std::string::size_type at = s.rfind(Bytes({0x01, 0x80}));
  s.replace(at, 2, Bytes({0xFF, 0x7F, 0x01, 0, 0, 0x80}));
  CCapacitorDoc doc;
  EXPECT_EQ(LoadFromBytes(doc, s), ArchiveError::kNone);
  EXPECT_EQ(doc.m_records.size(), 2u);
}

struct Damage {
  const char* what;
  std::string (*make)();
  ArchiveError error;
};

// Each hostile stream with the error it must end in; every one leaves the document empty.
const Damage kDamages[] = {
    {"count beyond the records",
     [] {
       return Join({Bytes({5, 0}), CapacitorStream(2).substr(2)});
     },
     ArchiveError::kEndOfFile},
    {"escaped count 0xFFFFFFFF",
     [] {
       return Join({Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), CapacitorStream(1).substr(2)});
     },
     ArchiveError::kEndOfFile},
    {"cut inside a record", [] { return CapacitorStream(3).substr(0, 60); },
     ArchiveError::kEndOfFile},
    {"class name in other letter case",
     [] {
       std::string s = CapacitorStream(1);
       s[8] = 'c';
       return s;
     },
     ArchiveError::kBadClass},
    {"schema 1",
     [] {
       std::string s = CapacitorStream(1);
       s[4] = 1;
       return s;
     },
     ArchiveError::kBadSchema},
    {"class name longer than 63",
     [] {
       return Join({Bytes({1, 0, 0xFF, 0xFF, 0, 0, 64, 0}), std::string(64, 'C')});
     },
     ArchiveError::kBadClass},
    {"class name cut off",
     [] {
       return Join({Bytes({1, 0, 0xFF, 0xFF, 0, 0, 13, 0}), "CCapac"});
     },
     ArchiveError::kBadClass},
    {"another registered class",
     [] {
       return Join({Bytes({1, 0, 0xFF, 0xFF, 0, 0, 12, 0}), "CResistorRec", std::string(14, 0)});
     },
     ArchiveError::kBadClass},
    {"null object",
     [] {
       return Bytes({1, 0, 0, 0});
     },
     ArchiveError::kBadIndex},
    {"reference to the first record",
     [] {
       std::string s = CapacitorStream(2);
       s.replace(s.rfind(Bytes({0x01, 0x80})), 2, Bytes({0x02, 0x00}));
       return s;
     },
     ArchiveError::kBadIndex},
    {"class tag naming an object",
     [] {
       std::string s = CapacitorStream(2);
       s.replace(s.rfind(Bytes({0x01, 0x80})), 2, Bytes({0x02, 0x80}));
       return s;
     },
     ArchiveError::kBadIndex},
    {"class index not yet registered",
     [] {
       return Bytes({1, 0, 0x01, 0x80});
     },
     ArchiveError::kBadIndex},
    {"escaped object reference",
     [] {
       return Bytes({1, 0, 0xFF, 0x7F, 0x00, 0x00, 0x00, 0x00});
     },
     ArchiveError::kBadIndex},
    {"escaped class index 0",
     [] {
       return Bytes({1, 0, 0xFF, 0x7F, 0, 0, 0, 0x80});
     },
     ArchiveError::kBadIndex},
};

TEST(ArchiveStream, HostileStreamsLeaveNoRecords) {
  for (const Damage& d : kDamages) {
    CCapacitorDoc doc;
    doc.m_records.push_back(Capacitor("Old", "Record", 1));
    EXPECT_EQ(LoadFromBytes(doc, d.make()), d.error) << d.what;
    EXPECT_TRUE(doc.m_records.empty()) << d.what;
  }
}

TEST(ArchiveStream, EveryTruncationFails) {
  std::string s = CapacitorStream(4);
  for (std::size_t n = 1; n < s.size(); ++n) {
    CCapacitorDoc doc;
    ArchiveError error = LoadFromBytes(doc, s.substr(0, n));
    EXPECT_TRUE(error == ArchiveError::kEndOfFile || error == ArchiveError::kBadClass) << n;
    EXPECT_TRUE(doc.m_records.empty()) << n;
  }
}

TEST(RecordDocument, OpenReportsFormatAndFileErrors) {
  WorkDir dir;
  BoxCapture log;
  CCapacitorDoc doc;
  WriteAll(dir.Path("cut.cap"), CapacitorStream(3).substr(0, 50));
  EXPECT_FALSE(doc.Open(dir.Path("cut.cap"), BoxReport()));
  EXPECT_TRUE(doc.m_records.empty());
  std::string missing = dir.Path("missing.cap");
  doc.m_records.push_back(Capacitor("M", "P", 1));
  EXPECT_FALSE(doc.Open(missing, BoxReport()));
  EXPECT_TRUE(doc.m_records.empty()) << "a file that cannot be opened leaves no records either";
  ASSERT_EQ(log.Texts().size(), 2u);
  EXPECT_EQ(log.Texts()[0], "Unexpected file format.");
  EXPECT_EQ(log.Texts()[1], missing + " was not found.");

  WriteAll(dir.Path("empty.cap"), "");
  EXPECT_TRUE(doc.Open(dir.Path("empty.cap"), BoxReport()));
  EXPECT_TRUE(doc.m_records.empty());
  EXPECT_EQ(log.Texts().size(), 2u);
}

TEST(RecordDocument, SaveReplacesTheOldFileOnlyWhenComplete) {
  WorkDir dir;
  BoxCapture log;
  std::string path = dir.Path("standard.cap");
  std::string old = CapacitorStream(2);
  WriteAll(path, old);

  CCapacitorDoc doc;
  for (int i = 0; i < 3000; ++i) doc.m_records.push_back(Capacitor("M", "P", float(i)));
  std::string full = StoreToBytes(doc);
  {
    ScriptedFileSystem fs;
    fs.bytesLeft = 1000;  // the stream is larger than one buffer; the first write fails
    platform::ScopedFileSystem scope(fs);
    EXPECT_FALSE(doc.Save(path, BoxReport()));
  }
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"standard.cap"});
  ASSERT_EQ(log.Texts().size(), 1u);
  EXPECT_EQ(log.Texts()[0], "Disk full while accessing " + path + ".");

  {
    ScriptedFileSystem fs;
    fs.failReplace = true;
    platform::ScopedFileSystem scope(fs);
    EXPECT_FALSE(doc.Save(path, BoxReport()));
  }
  EXPECT_EQ(ReadAll(path), old);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"standard.cap"});
  EXPECT_EQ(log.Texts().back(), "Access to " + path + " was denied.");

  EXPECT_TRUE(doc.Save(path, BoxReport()));
  EXPECT_EQ(ReadAll(path), full);
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"standard.cap"});
  EXPECT_EQ(log.Texts().size(), 2u);
}

TEST(RecordDocument, FailedSaveOfANewFileLeavesNoPartialFile) {
  WorkDir dir;
  BoxCapture log;
  std::string path = dir.Path("new.cap");
  CCapacitorDoc doc;
  for (int i = 0; i < 5000; ++i) doc.m_records.push_back(Capacitor("M", "P", float(i)));
  ScriptedFileSystem fs;
  fs.bytesLeft = 70000;
  platform::ScopedFileSystem scope(fs);
  EXPECT_FALSE(doc.Save(path, BoxReport()));
  EXPECT_TRUE(dir.Files().empty());
  EXPECT_EQ(log.Texts(), std::vector<std::string>{"Disk full while accessing " + path + "."});
}

// A file that cannot be created because a folder on its path is missing, or because a file
// stands where a folder should, has an invalid path; a folder standing at the path itself
// denies access.
TEST(RecordDocument, SaveReportsWhyTheFileCannotBeCreated) {
  WorkDir dir;
  BoxCapture log;
  CCapacitorDoc doc;
  doc.m_records.push_back(Capacitor("M", "P", 1));
  ASSERT_TRUE(doc.Save(dir.Path("plain.cap"), BoxReport()));
  const std::string missing = dir.Path("missing") + "/new.cap";
  const std::string underFile = dir.Path("plain.cap") + "/new.cap";
  EXPECT_FALSE(doc.Save(missing, BoxReport()));
  EXPECT_FALSE(doc.Save(underFile, BoxReport()));
  ASSERT_EQ(platform::Fs().MakeDirectory(dir.Path("folder.cap")), 0);
  EXPECT_FALSE(doc.Save(dir.Path("folder.cap"), BoxReport()));
  EXPECT_EQ(log.Texts(), (std::vector<std::string>{
                             missing + " contains an invalid path.",
                             underFile + " contains an invalid path.",
                             "Access to " + dir.Path("folder.cap") + " was denied.",
                         }));

  // The merge reports the same and fails after its backup.
  const std::string user = dir.Path("plain.cap");
  EXPECT_EQ(MergeCapacitorDatabase(missing.c_str(), user.c_str(), user.c_str(), BoxReport()),
            MergeResult::kFailed);
  EXPECT_EQ(log.Texts().back(), missing + " contains an invalid path.");
  EXPECT_EQ(ReadAll(user + ".bak"), ReadAll(user));
}

}  // namespace
