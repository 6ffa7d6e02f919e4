// The generated form of a payload table: one blob of names and data, an assembler file that
// pulls the blob into the read-only data of the object file with .incbin, and a small C++ table
// whose pointers are the blob's symbol plus an offset. Compiling this is quick however large
// the tree: no byte of content passes through the C++ compiler.
//
//   blob, in table order:  ".\name\0" pad to 4 | data (packed stream or plain bytes) pad to 4 | ...
//   table:                 PayloadEntry kEntries[i] = { blob + nameOffset, bReadOnly, nSize,
//                                                       nPackedSize, 0, blob + dataOffset }
//                          g_payloadTableCrc = PayloadTableCrc of the table (payload_check.h)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/payloadgen/payload_tree.h"

namespace payloadgen {

// The object format the assembler file is written for.
enum class ObjectFormat { kElf, kCoff };

// File names of the three generated outputs inside the output directory.
inline constexpr const char* kBlobFileName = "payload.bin";
inline constexpr const char* kAsmFileName = "payload.s";
inline constexpr const char* kTableFileName = "payload_table.cpp";

// What the payload may take of a program image. Windows loads no image of 2 GiB or more (its
// linker stops at 0x80000000 bytes), and x86-64 code reaches its data through 32-bit signed
// displacements, so an ELF program in the default code model is held to the same 2 GiB. The
// payload shares them with the program's code, data, resources and headers, a few MB for ours:
// 64 MiB is left to those.
inline constexpr std::uint64_t kMaxPayloadImageBytes = 0x80000000ull - 0x4000000ull;
// What one entry adds to the image besides its name and bytes in the blob: its 32-byte record,
// its pointer in g_payloadTable and three address relocations (24 bytes each in a
// position-independent ELF program, 2 in a PE one), rounded up.
inline constexpr std::uint64_t kImageBytesPerEntry = 128;

// Where one entry lies in the blob.
struct EntryLayout {
  std::size_t nameOffset = 0;
  std::size_t dataOffset = 0;
  std::uint32_t packedSize = 0;  // 0: stored plainly, the file's size bytes at dataOffset
};

// The three outputs, as bytes, and the layout behind the table.
struct PayloadImage {
  std::vector<EntryLayout> entries;  // in table order, one per file
  std::uint32_t crc = 0;             // the check recorded in the table
  std::uint64_t imageBytes = 0;      // the blob plus kImageBytesPerEntry for each entry
  std::vector<std::uint8_t> blob;
  std::string assembly;
  std::string table;
};

// Reads every file through the platform seam, packs those above 1024 bytes (on up to `threads`
// threads; the result does not depend on their number) and lays out the image. The assembler
// file names the blob by kBlobFileName alone, so the assembler must be given the output
// directory as an include path. Returns false with error naming the file that could not be read
// or that changed size while the tree was scanned, or naming the total and the limit when the
// image bytes would pass maxImageBytes; the files' bytes are then counted but not kept, so
// that a tree far too large is refused without being held in memory.
bool BuildPayloadImage(const std::vector<PayloadFile>& files, ObjectFormat format,
                       const std::string& symbol, unsigned threads, PayloadImage& image,
                       std::string& error, std::uint64_t maxImageBytes = kMaxPayloadImageBytes);

// A fingerprint of the tree's contents for deciding whether the outputs are up to date: every
// file's name, size, CRC-32 and Adler-32, read through the platform seam, after header. Times
// play no part, so a file replaced by another of the same size with its time kept (as tar -x
// and rsync -a do) still changes it. Returns false with error naming a file that cannot be read.
bool ContentStamp(const std::vector<PayloadFile>& files, const std::string& header,
                  std::string& stamp, std::string& error);

// Totals of a built table, for reports and benchmarks.
struct PayloadTotals {
  std::size_t entries = 0;
  std::size_t stored = 0;
  std::size_t packed = 0;
  std::size_t packedLarger = 0;  // packed entries whose stream is at least the file's size
  std::uint64_t installedBytes = 0;
  std::uint64_t imageBytes = 0;  // packed sizes plus stored sizes
  std::uint64_t largestFile = 0;
};

// Counts the totals of an image built from files.
PayloadTotals CountTotals(const std::vector<PayloadFile>& files, const PayloadImage& image);

// Writes bytes to path through the platform seam unless the file already holds exactly these
// bytes, so that an unchanged tree leaves the outputs' timestamps alone. Sets changed to whether
// it wrote. Returns false with error when the file cannot be written completely.
bool WriteIfChanged(const std::string& path, const void* data, std::size_t size, bool& changed,
                    std::string& error);

}  // namespace payloadgen
