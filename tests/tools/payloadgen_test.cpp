// payloadgen's rules on small temporary trees: names and order, stored or packed, the gzip
// framing, read-only flags, determinism, and the trees it must refuse.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "payload/payload_check.h"
#include "platform/file_system.h"
#include "tools/payloadgen/gzip_pack.h"
#include "tools/payloadgen/payload_image.h"
#include "tools/payloadgen/payload_tree.h"

namespace {

namespace fs = std::filesystem;
using payloadgen::PayloadFile;
using payloadgen::PayloadImage;

// A fresh directory below the temporary directory, removed with everything in it.
class TempTree {
 public:
  TempTree() {
    static std::atomic<int> counter{0};
    root_ =
        fs::temp_directory_path() /
        ("payloadgen_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + std::to_string(counter++) + "_" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  ~TempTree() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  // Writes a file below the root (slashes in relative), creating its folders.
  void Add(const std::string& relative, const std::string& bytes) {
    fs::path path = root_ / fs::path(relative);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
  }
  std::string root() const { return root_.string(); }
  const fs::path& path() const { return root_; }

 private:
  fs::path root_;
};

// Bytes that deflate cannot shrink.
std::string Noise(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (char& c : bytes) {
    state = state * 1664525u + 1013904223u;
    c = static_cast<char>(state >> 24);
  }
  return bytes;
}

std::vector<std::string> Names(const std::vector<PayloadFile>& files) {
  std::vector<std::string> names;
  for (const PayloadFile& f : files) names.push_back(f.name);
  return names;
}

std::vector<PayloadFile> Scan(const TempTree& tree) {
  std::vector<PayloadFile> files;
  std::string error;
  EXPECT_TRUE(payloadgen::ScanPayloadTree(tree.root(), files, error)) << error;
  return files;
}

PayloadImage Build(const std::vector<PayloadFile>& files, unsigned threads = 2) {
  PayloadImage image;
  std::string error;
  EXPECT_TRUE(payloadgen::BuildPayloadImage(files, payloadgen::ObjectFormat::kElf, "blob", threads,
                                            image, error))
      << error;
  return image;
}

std::uint32_t LittleEndian32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Inflates the raw deflate data between the 10-byte header and the 8-byte trailer.
std::string InflateBody(const std::uint8_t* stream, std::size_t size, std::size_t expected) {
  z_stream z{};
  EXPECT_EQ(inflateInit2(&z, -MAX_WBITS), Z_OK);
  std::string out(expected + 16, '\0');
  z.next_in = const_cast<std::uint8_t*>(stream + 10);
  z.avail_in = static_cast<uInt>(size - 18);
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
  EXPECT_EQ(z.avail_in, 0u) << "deflate data must end where the trailer begins";
  out.resize(z.total_out);
  inflateEnd(&z);
  return out;
}

// Fails every open of one path.
class FailingOpen : public platform::RealFileSystem {
 public:
  explicit FailingOpen(std::string victim) : victim_(std::move(victim)) {}
  std::FILE* Open(const std::string& path, const char* mode) override {
    return path == victim_ ? nullptr : RealFileSystem::Open(path, mode);
  }

 private:
  std::string victim_;
};

TEST(PayloadOrder, FoldsLettersAndComparesOtherBytesByValue) {
  TempTree tree;
  for (const char* name : {"License.txt", "lib/sym/cap.asy", "lib/Sub/x.lib", "B.txt", "a.txt",
                           "a/x.txt", "a_b.txt", "a[1].txt", "Zeta.txt"})
    tree.Add(name, "x");
  tree.Add("lib/Sub/Y.lib", "y");
  // '.' 0x2E < '[' 0x5B < '\' 0x5C < '_' 0x5F < letters folded to lower case.
  std::vector<std::string> expected = {
      ".\\a.txt",       ".\\a[1].txt",        ".\\a\\x.txt",        ".\\a_b.txt",
      ".\\B.txt",       ".\\lib\\Sub\\x.lib", ".\\lib\\Sub\\Y.lib", ".\\lib\\sym\\cap.asy",
      ".\\License.txt", ".\\Zeta.txt"};
  EXPECT_EQ(Names(Scan(tree)), expected);
}

TEST(PayloadOrder, NamesEqualUnderFoldingStayAdjacentInAFixedOrder) {
  EXPECT_TRUE(payloadgen::PayloadNameLess(".\\lib\\x", ".\\License.txt"));
  EXPECT_FALSE(payloadgen::PayloadNameLess(".\\License.txt", ".\\lib\\x"));
  EXPECT_TRUE(payloadgen::PayloadNameLess(".\\ab", ".\\AB1"));
  // Equal when folded: the raw bytes decide, so the order never depends on listing order.
  EXPECT_TRUE(payloadgen::PayloadNameLess(".\\README", ".\\ReadMe"));
  EXPECT_FALSE(payloadgen::PayloadNameLess(".\\ReadMe", ".\\README"));
  EXPECT_FALSE(payloadgen::PayloadNameLess(".\\same", ".\\same"));
  std::vector<std::string> names = {".\\ReadMe", ".\\readme.txt", ".\\README", ".\\Read"};
  std::sort(names.begin(), names.end(), payloadgen::PayloadNameLess);
  EXPECT_EQ(names,
            (std::vector<std::string>{".\\Read", ".\\README", ".\\ReadMe", ".\\readme.txt"}));
  // Bytes above 0x7F compare unsigned, after every ASCII letter.
  EXPECT_TRUE(payloadgen::PayloadNameLess(".\\z", ".\\\xE9"));
}

TEST(PayloadTree, EmptyDirectoriesGiveNoEntryAndEmptyFilesDo) {
  TempTree tree;
  fs::create_directories(tree.path() / "examples" / "empty");
  tree.Add("examples/zero.asc", "");
  std::vector<PayloadFile> files = Scan(tree);
  ASSERT_EQ(Names(files), std::vector<std::string>{".\\examples\\zero.asc"});
  PayloadImage image = Build(files);
  ASSERT_EQ(image.entries.size(), 1u);
  EXPECT_EQ(image.entries[0].packedSize, 0u);
  EXPECT_NE(image.table.find("0, 0, 0, 0, blob + "), std::string::npos) << image.table;
}

TEST(PayloadImage, StoresUpTo1024BytesAndPacksFrom1025WhateverTheGain) {
  TempTree tree;
  tree.Add("a1024.bin", Noise(1024, 1));
  tree.Add("b1025.bin", Noise(1025, 2));
  tree.Add("c.txt", std::string(5000, 'x'));
  std::vector<PayloadFile> files = Scan(tree);
  PayloadImage image = Build(files);
  ASSERT_EQ(image.entries.size(), 3u);
  EXPECT_EQ(image.entries[0].packedSize, 0u);
  EXPECT_GT(image.entries[1].packedSize, 1025u) << "noise packs larger than it is";
  EXPECT_GT(image.entries[2].packedSize, 0u);
  EXPECT_LT(image.entries[2].packedSize, 100u);
  payloadgen::PayloadTotals totals = payloadgen::CountTotals(files, image);
  EXPECT_EQ(totals.stored, 1u);
  EXPECT_EQ(totals.packed, 2u);
  EXPECT_EQ(totals.packedLarger, 1u);
  EXPECT_EQ(totals.installedBytes, 1024u + 1025u + 5000u);
  EXPECT_EQ(totals.imageBytes, 1024u + image.entries[1].packedSize + image.entries[2].packedSize);
}

TEST(PayloadImage, PackedEntriesAreSingleGzipMembersWithTheFixedHeaderAndTrailer) {
  TempTree tree;
  std::string text;
  for (int i = 0; text.size() < 70000; ++i) text += "wire " + std::to_string(i % 97) + " 16\n";
  tree.Add("noise.bin", Noise(3000, 3));
  tree.Add("text.asc", text);
  std::vector<PayloadFile> files = Scan(tree);
  PayloadImage image = Build(files);
  const std::string contents[] = {Noise(3000, 3), text};
  for (std::size_t i = 0; i < 2; ++i) {
    const payloadgen::EntryLayout& e = image.entries[i];
    const std::uint8_t* stream = image.blob.data() + e.dataOffset;
    ASSERT_GT(e.packedSize, 18u);
    EXPECT_TRUE(
        std::equal(stream, stream + 10,
                   std::begin({0x1F, 0x8B, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0B})));
    const std::uint8_t* trailer = stream + e.packedSize - 8;
    const std::string& content = contents[i];
    EXPECT_EQ(LittleEndian32(trailer), crc32(0L, reinterpret_cast<const Bytef*>(content.data()),
                                             static_cast<uInt>(content.size())));
    EXPECT_EQ(LittleEndian32(trailer + 4), content.size());
    EXPECT_EQ(InflateBody(stream, e.packedSize, content.size()), content);
  }
}

TEST(PayloadImage, LaysNamesAndDataOutOnWordBoundariesInTableOrder) {
  TempTree tree;
  tree.Add("abc.txt", "12345");
  tree.Add("b/long-name.txt", std::string(2000, 'q'));
  tree.Add("c", "");
  std::vector<PayloadFile> files = Scan(tree);
  PayloadImage image = Build(files);
  std::size_t expected = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const payloadgen::EntryLayout& e = image.entries[i];
    EXPECT_EQ(e.nameOffset, expected);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(image.blob.data() + e.nameOffset)),
              files[i].name);
    EXPECT_EQ(e.dataOffset, (e.nameOffset + files[i].name.size() + 1 + 3) / 4 * 4);
    std::size_t dataSize = e.packedSize ? e.packedSize : files[i].size;
    expected = (e.dataOffset + dataSize + 3) / 4 * 4;
  }
  EXPECT_EQ(std::string(
                reinterpret_cast<const char*>(image.blob.data() + image.entries[0].dataOffset), 5),
            "12345");
  EXPECT_EQ(image.blob.size(), expected);
}

TEST(PayloadImage, TheTableRecordsTheCheckOfItsOwnContents) {
  TempTree tree;
  tree.Add("a.txt", "stored");
  tree.Add("lib/sym/cap.asy", "read-only");
  tree.Add("z.bin", Noise(4000, 9));
  std::vector<PayloadFile> files = Scan(tree);
  PayloadImage image = Build(files);
  // The table as a program sees it, rebuilt over the blob from the layout.
  std::vector<PayloadEntry> entries;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const payloadgen::EntryLayout& e = image.entries[i];
    entries.push_back({reinterpret_cast<const char*>(image.blob.data() + e.nameOffset),
                       files[i].readOnly ? 1u : 0u, static_cast<std::uint32_t>(files[i].size),
                       e.packedSize, 0, image.blob.data() + e.dataOffset});
  }
  std::vector<const PayloadEntry*> pointers;
  for (const PayloadEntry& e : entries) pointers.push_back(&e);
  const std::uint32_t crc = PayloadTableCrc(PayloadTable{pointers.data(), pointers.size()});
  EXPECT_EQ(image.crc, crc);
  char line[64];
  std::snprintf(line, sizeof line, "g_payloadTableCrc = 0x%08Xu;", crc);
  EXPECT_NE(image.table.find(line), std::string::npos) << image.table;

  // Another byte of content, another check.
  tree.Add("a.txt", "stoRed");
  EXPECT_NE(Build(Scan(tree)).crc, crc);
}

TEST(ContentStamp, FollowsTheBytesNotTheTimes) {
  TempTree tree;
  tree.Add("a.txt", "first");
  tree.Add("b/c.bin", Noise(3000, 4));
  std::string before, after, error;
  ASSERT_TRUE(payloadgen::ContentStamp(Scan(tree), "header\n", before, error)) << error;
  EXPECT_EQ(before.rfind("header\n", 0), 0u);

  // Same bytes, another time: the same stamp.
  const fs::path a = tree.path() / "a.txt";
  const fs::file_time_type time = fs::last_write_time(a);
  fs::last_write_time(a, time - std::chrono::hours(5));
  ASSERT_TRUE(payloadgen::ContentStamp(Scan(tree), "header\n", after, error)) << error;
  EXPECT_EQ(after, before);

  // Same size and time, other bytes (as tar -x and rsync -a leave a replaced file): another.
  tree.Add("a.txt", "fir5t");
  fs::last_write_time(a, time - std::chrono::hours(5));
  ASSERT_TRUE(payloadgen::ContentStamp(Scan(tree), "header\n", after, error)) << error;
  EXPECT_NE(after, before);

  FailingOpen failing(Scan(tree)[0].path);
  platform::ScopedFileSystem scope(failing);
  EXPECT_FALSE(payloadgen::ContentStamp(Scan(tree), "header\n", after, error));
  EXPECT_NE(error.find("a.txt"), std::string::npos) << error;
}

TEST(PayloadImage, AssemblerFileSuitsEachObjectFormat) {
  PayloadImage elf, coff;
  std::string error;
  ASSERT_TRUE(
      payloadgen::BuildPayloadImage({}, payloadgen::ObjectFormat::kElf, "sym", 1, elf, error));
  ASSERT_TRUE(
      payloadgen::BuildPayloadImage({}, payloadgen::ObjectFormat::kCoff, "sym", 1, coff, error));
  EXPECT_NE(elf.assembly.find(".section .rodata\n"), std::string::npos);
  EXPECT_NE(coff.assembly.find(".section .rdata,\"dr\"\n"), std::string::npos);
  EXPECT_EQ(coff.assembly.find("GNU-stack"), std::string::npos);
  for (const PayloadImage* image : {&elf, &coff}) {
    EXPECT_NE(image->assembly.find(".incbin \"payload.bin\""), std::string::npos);
    EXPECT_NE(image->table.find("g_payloadTableSize = 0;"), std::string::npos);
  }
}

TEST(PayloadFlags, ExactlyTheSixSymbolsAreReadOnlyWhateverTheirCase) {
  for (const char* name :
       {".\\lib\\sym\\cap.asy", ".\\lib\\sym\\diode.asy", ".\\lib\\sym\\polcap.asy",
        ".\\lib\\sym\\schottky.asy", ".\\lib\\sym\\varactor.asy", ".\\LIB\\Sym\\Zener.ASY"})
    EXPECT_TRUE(payloadgen::IsReadOnlyPayloadName(name)) << name;
  for (const char* name : {".\\lib\\sym\\res.asy", ".\\lib\\sym\\cap.asy.bak", ".\\cap.asy",
                           ".\\lib\\sub\\cap.asy", ".\\lib\\sym\\OpAmps\\cap.asy"})
    EXPECT_FALSE(payloadgen::IsReadOnlyPayloadName(name)) << name;

  TempTree tree;
  tree.Add("lib/sym/Cap.asy", "c");
  tree.Add("lib/sym/res.asy", "r");
  std::vector<PayloadFile> files = Scan(tree);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_TRUE(files[0].readOnly);
  EXPECT_FALSE(files[1].readOnly);
  PayloadImage image = Build(files);
  EXPECT_NE(image.table.find("), 1, 1, 0, 0, blob"), std::string::npos) << image.table;
  EXPECT_NE(image.table.find("), 0, 1, 0, 0, blob"), std::string::npos) << image.table;
}

TEST(PayloadImage, SameTreeGivesTheSameBytesAnywhereOnAnyNumberOfThreads) {
  TempTree one, two;
  for (TempTree* tree : {&one, &two}) {
    for (int i = 0; i < 40; ++i) {
      std::string name = std::string(1, 'd') + std::to_string(i % 3);
      name += "/f";
      name += std::to_string(i);
      tree->Add(name, i % 2 ? Noise(500 + 97 * i, i) : std::string(1500 + 31 * i, 'a' + i % 26));
    }
  }
  PayloadImage a = Build(Scan(one), 1);
  PayloadImage b = Build(Scan(two), 4);
  EXPECT_EQ(a.blob, b.blob);
  EXPECT_EQ(a.table, b.table);
  EXPECT_EQ(a.assembly, b.assembly);
}

TEST(PayloadRefusals, SymbolicLinksAreRefusedByName) {
  TempTree tree;
  tree.Add("lib/real.txt", "r");
  std::error_code ec;
  fs::create_symlink(tree.path() / "lib" / "real.txt", tree.path() / "lib" / "link.txt", ec);
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  std::vector<PayloadFile> files;
  std::string error;
  EXPECT_FALSE(payloadgen::ScanPayloadTree(tree.root(), files, error));
  EXPECT_NE(error.find("link.txt"), std::string::npos) << error;
  EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
}

TEST(PayloadRefusals, ANameTooLongForTheInstallDirectoryIsRefusedByName) {
  // The reference directory, a backslash and the name without ".\" may make 259 characters.
  const std::size_t room = payloadgen::kMaxInstalledPathLength -
                           std::string(payloadgen::kReferenceInstallDir).size() - 1;
  for (std::size_t length : {room, room + 1}) {
    TempTree tree;
    // Folders of 50 characters, then a file name that makes up the rest.
    std::string relative;
    while (length - relative.size() > 60) relative += std::string(49, 'd') + "/";
    relative += std::string(length - relative.size(), 'f');
    tree.Add(relative, "x");
    if (!fs::exists(tree.path() / relative)) GTEST_SKIP() << "cannot create long paths here";
    std::vector<PayloadFile> files;
    std::string error;
    bool accepted = payloadgen::ScanPayloadTree(tree.root(), files, error);
    if (!accepted && error.rfind("refusing", 0) != 0)
      GTEST_SKIP() << "this host cannot list paths this long itself: " << error;
    EXPECT_EQ(accepted, length == room) << length << ": " << error;
    if (!accepted) {
      EXPECT_NE(error.find(std::string(length - relative.rfind('/') - 1, 'f')), std::string::npos)
          << error;
    }
  }
}

TEST(PayloadRefusals, NamesWindowsCannotStoreAndMissingRootsAreRefused) {
  std::vector<PayloadFile> files;
  std::string error;
  EXPECT_FALSE(payloadgen::ScanPayloadTree("/no/such/payload/root", files, error));
  EXPECT_NE(error.find("/no/such/payload/root"), std::string::npos);

  TempTree tree;
  tree.Add("ok.txt", "1");
  tree.Add("what?.txt", "2");
  if (!fs::exists(tree.path() / "what?.txt")) GTEST_SKIP() << "this file system refuses '?'";
  EXPECT_FALSE(payloadgen::ScanPayloadTree(tree.root(), files, error));
  EXPECT_NE(error.find("what?.txt"), std::string::npos) << error;
}

// Whether the tree holds an entry of exactly this name in that folder (a case-insensitive file
// system, or one that drops trailing dots, keeps another).
bool Holds(const TempTree& tree, const std::string& folder, const std::string& name) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(tree.path() / folder, ec))
    if (entry.path().filename().string() == name) return true;
  return false;
}

// The refusal of a tree: its message, or "" when it was accepted.
std::string Refusal(const TempTree& tree) {
  std::vector<PayloadFile> files;
  std::string error;
  return payloadgen::ScanPayloadTree(tree.root(), files, error) ? std::string() : error;
}

TEST(PayloadRefusals, NamesDifferingOnlyInCaseAreRefusedNamingBoth) {
  {
    TempTree tree;
    tree.Add("Readme.txt", "one");
    tree.Add("README.TXT", "two");
    if (!Holds(tree, "", "Readme.txt") || !Holds(tree, "", "README.TXT"))
      GTEST_SKIP() << "this file system folds case itself";
    const std::string error = Refusal(tree);
    EXPECT_NE(error.find("Readme.txt"), std::string::npos) << error;
    EXPECT_NE(error.find("README.TXT"), std::string::npos) << error;
    EXPECT_NE(error.find("letter case"), std::string::npos) << error;
  }
  {
    // Two folders that Windows would make one: their files would mix.
    TempTree tree;
    tree.Add("lib/cmp/standard.cap", "c");
    tree.Add("LIB/CMP/standard.res", "r");
    ASSERT_TRUE(Holds(tree, "", "LIB"));
    const std::string error = Refusal(tree);
    EXPECT_NE(error.find("refusing"), std::string::npos) << error;
    EXPECT_NE(error.find("LIB"), std::string::npos) << error;
    EXPECT_NE(error.find("lib"), std::string::npos) << error;
  }
  {
    // A file and a folder of one name.
    TempTree tree;
    tree.Add("Docs/a.txt", "a");
    tree.Add("docs", "a file");
    ASSERT_TRUE(Holds(tree, "", "docs"));
    const std::string error = Refusal(tree);
    EXPECT_NE(error.find("Docs"), std::string::npos) << error;
    EXPECT_NE(error.find("docs"), std::string::npos) << error;
  }
  {
    // Equal only after folding letters: these two differ for Windows too.
    TempTree tree;
    tree.Add("a[1].txt", "1");
    tree.Add("a{1}.txt", "2");
    EXPECT_EQ(Refusal(tree), "");
  }
}

TEST(PayloadRefusals, DeviceNamesAreRefusedWithOrWithoutExtension) {
  for (const char* name : {"CON", "nul.txt", "com1.asc", "Lpt9.lib", "aux.tar.gz", "PRN"}) {
    SCOPED_TRACE(name);
    TempTree tree;
    tree.Add("ok.txt", "fine");
    tree.Add(std::string("lib/") + name, "x");
    if (!Holds(tree, "lib", name)) {
      std::cout << "  (this file system cannot hold " << name << ")\n";
      continue;
    }
    const std::string error = Refusal(tree);
    EXPECT_NE(error.find(name), std::string::npos) << error;
    EXPECT_NE(error.find("reserves for a device"), std::string::npos) << error;
  }
  TempTree folder;
  std::error_code ec;
  fs::create_directories(folder.path() / "con", ec);
  if (!ec && Holds(folder, "", "con")) {
    folder.Add("con/readme.txt", "in a folder named like a device");
    const std::string error = Refusal(folder);
    EXPECT_NE(error.find("reserves for a device"), std::string::npos) << error;
  }
  TempTree fine;
  for (const char* name : {"console.txt", "com10.asc", "nul_.txt", "lpt.txt", "auxiliary"})
    fine.Add(name, "x");
  EXPECT_EQ(Refusal(fine), "");
}

TEST(PayloadRefusals, NamesEndingInADotOrABlankAreRefused) {
  for (const std::string relative : {"notes.", "notes ", "dir./file.txt", "dir /file.txt"}) {
    SCOPED_TRACE(relative);
    TempTree tree;
    tree.Add(relative, "x");
    const std::string first = relative.substr(0, relative.find('/'));
    if (!Holds(tree, "", first)) {
      std::cout << "  (this file system cannot hold \"" << first << "\")\n";
      continue;
    }
    const std::string error = Refusal(tree);
    EXPECT_NE(error.find("dot or a blank"), std::string::npos) << error;
    EXPECT_NE(error.find(first), std::string::npos) << error;
  }
  TempTree fine;
  fine.Add(".hidden", "x");
  fine.Add("a.b.c", "x");
  EXPECT_EQ(Refusal(fine), "");
}

TEST(PayloadRefusals, NamesInTheFormOfAShortNameAliasAreRefusedAsFilesAndFolders) {
  struct Case {
    const char* relative;
    const char* alias;
  };
  for (const Case& c : {Case{"abcdef~1.txt", "abcdef~1.txt"}, Case{"lib/X~3.TAR", "X~3.TAR"},
                        Case{"PROGRA~1/tvex3.exe", "PROGRA~1"}}) {
    SCOPED_TRACE(c.relative);
    TempTree tree;
    // The long name whose alias it could be, on a volume that keeps short names.
    tree.Add("abcdefghij.txt", "long");
    tree.Add(c.relative, "x");
    const std::string error = Refusal(tree);
    EXPECT_NE(error.find("refusing"), std::string::npos) << error;
    EXPECT_NE(error.find(c.alias), std::string::npos) << error;
    EXPECT_NE(error.find("short (8.3) name"), std::string::npos) << error;
  }
  TempTree fine;
  for (const char* name : {"PROGRA~12/a.txt", "abcdef~1.html", "x~1.tar.gz", "backup~", "a~b.txt"})
    fine.Add(name, "x");
  EXPECT_EQ(Refusal(fine), "");
}

TEST(PayloadImage, APayloadPastTheImageLimitIsRefusedNamingItsTotalAndTheLimit) {
  TempTree tree;
  tree.Add("a.txt", "stored");
  tree.Add("lib/noise.bin", Noise(5000, 7));
  tree.Add("z.txt", std::string(3000, 'z'));
  const std::vector<PayloadFile> files = Scan(tree);
  const PayloadImage image = Build(files);
  // The total counted while the files are packed is the one the layout takes.
  EXPECT_EQ(image.imageBytes, image.blob.size() + files.size() * payloadgen::kImageBytesPerEntry);

  auto build = [&](std::uint64_t limit, PayloadImage& out, std::string& error) {
    return payloadgen::BuildPayloadImage(files, payloadgen::ObjectFormat::kElf, "blob", 2, out,
                                         error, limit);
  };
  PayloadImage at;
  std::string error;
  ASSERT_TRUE(build(image.imageBytes, at, error)) << error;
  EXPECT_EQ(at.blob, image.blob);
  auto bytes = [](std::uint64_t count) { return std::to_string(count).append(" bytes"); };
  // One byte less, and far less: every file is still counted, so the message names the whole.
  for (std::uint64_t limit : {image.imageBytes - 1, std::uint64_t{0}}) {
    PayloadImage over;
    EXPECT_FALSE(build(limit, over, error));
    EXPECT_NE(error.find(bytes(image.imageBytes)), std::string::npos) << error;
    EXPECT_NE(error.find("than the " + bytes(limit)), std::string::npos) << error;
    EXPECT_TRUE(over.blob.empty() && over.table.empty()) << "nothing laid out";
  }
}

TEST(PayloadRefusals, BytesOutsidePrintableAsciiAreRefused) {
  for (const std::string& name :
       {std::string("caf\xC3\xA9.txt"), std::string("del\x7F.txt"), std::string("tab\there.txt")}) {
    SCOPED_TRACE(name);
    TempTree tree;
    tree.Add("sub/" + name, "x");
    if (!Holds(tree, "sub", name)) {
      std::cout << "  (this file system cannot hold that name)\n";
      continue;
    }
    const std::string error = Refusal(tree);
    EXPECT_NE(error.find("refusing"), std::string::npos) << error;
    EXPECT_NE(error.find("sub"), std::string::npos) << error;
  }
}

TEST(PayloadImage, AnUnreadableFileFailsTheBuildByName) {
  TempTree tree;
  tree.Add("a.txt", "a");
  tree.Add("b.txt", std::string(3000, 'b'));
  std::vector<PayloadFile> files = Scan(tree);
  FailingOpen failing(files[1].path);
  platform::ScopedFileSystem scope(failing);
  PayloadImage image;
  std::string error;
  EXPECT_FALSE(payloadgen::BuildPayloadImage(files, payloadgen::ObjectFormat::kElf, "blob", 2,
                                             image, error));
  EXPECT_NE(error.find(files[1].path), std::string::npos) << error;
}

TEST(WriteIfChanged, RewritesOnlyWhenTheBytesDiffer) {
  TempTree tree;
  std::string path = (tree.path() / "out.bin").string();
  bool changed = false;
  std::string error;
  ASSERT_TRUE(payloadgen::WriteIfChanged(path, "abc", 3, changed, error)) << error;
  EXPECT_TRUE(changed);
  fs::file_time_type first = fs::last_write_time(path);
  fs::last_write_time(path, first - std::chrono::hours(1));
  ASSERT_TRUE(payloadgen::WriteIfChanged(path, "abc", 3, changed, error)) << error;
  EXPECT_FALSE(changed);
  EXPECT_EQ(fs::last_write_time(path), first - std::chrono::hours(1));
  ASSERT_TRUE(payloadgen::WriteIfChanged(path, "abcd", 4, changed, error)) << error;
  EXPECT_TRUE(changed);
  ASSERT_TRUE(payloadgen::WriteIfChanged(path, "abc", 3, changed, error)) << error;
  EXPECT_TRUE(changed) << "a prefix of the old bytes is a change";
  EXPECT_EQ(fs::file_size(path), 3u);
  EXPECT_FALSE(fs::exists(path + ".new"));
}

}  // namespace
