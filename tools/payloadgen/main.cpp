// payloadgen: turns a product tree into the generated payload table of the installer.
//
//   payloadgen [--target elf|coff] [--symbol NAME] [--jobs N] [--report] ROOT OUTDIR
//
// ROOT may be @FILE: the tree is then the folder named on the first line of FILE, so that a
// build can switch trees by rewriting FILE instead of its configuration.
// --report prints the table's totals (entries stored and packed, bytes installed and bytes in
// the image) and always rebuilds.
// Writes OUTDIR/payload.bin, payload.s and payload_table.cpp, each only when its bytes change,
// so a build that runs it every time recompiles nothing for an unchanged tree. A fingerprint of
// the tree's contents (names, sizes and checksums of every file's bytes; never times) kept in
// OUTDIR/payload.stamp lets a tree whose bytes did not change skip packing altogether.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/file_system.h"
#include "tools/payloadgen/payload_image.h"
#include "tools/payloadgen/payload_tree.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: payloadgen [--target elf|coff] [--symbol NAME] [--jobs N] [--report] "
               "ROOT|@FILE OUTDIR\n");
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "payloadgen: %s\n", message.c_str());
  return 1;
}

// The folder named on the first line of the file at path; empty when there is none.
std::string RootNamedIn(const std::string& path) {
  std::FILE* f = platform::Fs().Open(path, "rb");
  if (!f) return std::string();
  char line[4096] = {};
  std::string root;
  if (std::fgets(line, sizeof line, f)) root = line;
  platform::Fs().Close(f);
  while (!root.empty() && (root.back() == '\n' || root.back() == '\r')) root.pop_back();
  return root;
}

bool SameText(const std::string& path, const std::string& text) {
  std::FILE* f = platform::Fs().Open(path, "rb");
  if (!f) return false;
  std::string current(text.size() + 1, '\0');
  std::size_t got = platform::Fs().Read(current.data(), 1, current.size(), f);
  platform::Fs().Close(f);
  return got == text.size() && current.compare(0, got, text) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string target = "elf";
  std::string symbol = "tvex_payload_blob";
  unsigned jobs = std::thread::hardware_concurrency();
  bool report = false;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--target" || arg == "--symbol" || arg == "--jobs") && i + 1 < argc) {
      std::string value = argv[++i];
      if (arg == "--target") target = value;
      if (arg == "--symbol") symbol = value;
      if (arg == "--jobs") jobs = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
    } else if (arg == "--report") {
      report = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage();
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2 || (target != "elf" && target != "coff") || symbol.empty())
    return Usage();
  std::string root = positional[0];
  if (root.size() > 1 && root[0] == '@') {
    const std::string named = RootNamedIn(root.substr(1));
    if (named.empty())
      return Fail(root.substr(1) +
                  " names no payload folder (make installer PAYLOAD=DIR writes it)");
    root = named;
  }
  const std::string outDir = positional[1];

  std::vector<payloadgen::PayloadFile> files;
  std::string error;
  if (!payloadgen::ScanPayloadTree(root, files, error)) return Fail(error);

  const std::string blobPath = outDir + "/" + payloadgen::kBlobFileName;
  const std::string asmPath = outDir + "/" + payloadgen::kAsmFileName;
  const std::string tablePath = outDir + "/" + payloadgen::kTableFileName;
  const std::string stampPath = outDir + "/payload.stamp";
  std::string stamp;
  if (!payloadgen::ContentStamp(files, "payloadgen 2 " + target + " " + symbol + "\n", stamp,
                                error))
    return Fail(error);
  platform::FileSystem& fs = platform::Fs();
  if (fs.Find(outDir) != platform::EntryKind::kDirectory && fs.MakeDirectory(outDir) != 0)
    return Fail("cannot create the output directory " + outDir);
  if (!report && SameText(stampPath, stamp) && fs.Find(blobPath) == platform::EntryKind::kFile &&
      fs.Find(asmPath) == platform::EntryKind::kFile &&
      fs.Find(tablePath) == platform::EntryKind::kFile)
    return 0;

  payloadgen::PayloadImage image;
  payloadgen::ObjectFormat format =
      target == "elf" ? payloadgen::ObjectFormat::kElf : payloadgen::ObjectFormat::kCoff;
  if (!payloadgen::BuildPayloadImage(files, format, symbol, jobs ? jobs : 1, image, error))
    return Fail(error);

  bool changed = false;
  // The stamp goes last: an interrupted run is redone in full next time.
  fs.Remove(stampPath);
  if (!payloadgen::WriteIfChanged(blobPath, image.blob.data(), image.blob.size(), changed, error) ||
      !payloadgen::WriteIfChanged(asmPath, image.assembly.data(), image.assembly.size(), changed,
                                  error) ||
      !payloadgen::WriteIfChanged(tablePath, image.table.data(), image.table.size(), changed,
                                  error) ||
      !payloadgen::WriteIfChanged(stampPath, stamp.data(), stamp.size(), changed, error))
    return Fail(error);
  if (report) {
    payloadgen::PayloadTotals t = payloadgen::CountTotals(files, image);
    std::printf(
        "entries %zu (stored %zu, packed %zu, packed larger than content %zu), "
        "installed %llu bytes, stored in the image %llu bytes, largest file %llu bytes\n",
        t.entries, t.stored, t.packed, t.packedLarger,
        static_cast<unsigned long long>(t.installedBytes),
        static_cast<unsigned long long>(t.imageBytes),
        static_cast<unsigned long long>(t.largestFile));
  }
  return 0;
}
