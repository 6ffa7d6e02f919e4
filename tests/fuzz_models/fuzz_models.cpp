// libFuzzer entry point for the model-text databases: the input is split into an existing and
// a shipped database, which are loaded, combined and written as an update installation merges
// them (without the backup, whose file copy only costs time here), entirely in memory. Checks
// that each loads exactly when it is 8-bit text (no byte-order mark at its start, no NUL byte)
// and that the result is the header followed by one line per model, none of them holding a
// line break.
#include <stdio.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cmpdb/model_database.h"
#include "platform/file_system.h"

namespace {

// Serves the two databases from memory and collects what is written. The result goes to a new
// file that then replaces "out": the new file is a memory stream and the move only accepted.
class MemoryFileSystem : public platform::RealFileSystem {
 public:
  std::string existing;
  std::string shipped;
  char* output = nullptr;
  std::size_t outputSize = 0;

  ~MemoryFileSystem() override { std::free(output); }

  std::FILE* Open(const std::string& path, const char* mode) override {
    if (mode[0] != 'r') return nullptr;
    std::string& data = path == "existing" ? existing : shipped;
    if (data.empty()) return std::fopen("/dev/null", "r");
    return fmemopen(data.data(), data.size(), "r");
  }
  std::FILE* CreateNew(const std::string&) override {
    std::free(output);
    output = nullptr;
    outputSize = 0;
    return open_memstream(&output, &outputSize);
  }
  int Sync(std::FILE* f) override { return std::fflush(f); }
  int Replace(const std::string&, const std::string& to) override { return to == "out" ? 0 : -1; }
  int Remove(const std::string&) override { return 0; }
  platform::EntryKind Find(const std::string&) override { return platform::EntryKind::kFile; }
  int SetReadOnly(const std::string&, bool) override { return 0; }
  void Sleep(unsigned) override {}
};

// What the loader takes as a model database: no byte-order mark at the start, no NUL byte.
bool IsEightBitText(std::string_view text) {
  for (std::string_view mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
    if (text.starts_with(mark)) return false;
  }
  return text.find('\0') == std::string_view::npos;
}

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr ModelKind kKinds[] = {ModelKind::kBjt, ModelKind::kMosfet, ModelKind::kJfet,
                                         ModelKind::kDiode};
  const ModelKind kind = kKinds[data[0] % 4];
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = input.find("#####");

  MemoryFileSystem fs;
  fs.existing = std::string(input.substr(0, split));
  fs.shipped = split == std::string_view::npos ? fs.existing : std::string(input.substr(split + 5));
  platform::ScopedFileSystem scoped(fs);

  CRecordList existing, shipped;
  const bool existingLoads = LoadModelDatabase("existing", kind, existing);
  const bool shippedLoads = LoadModelDatabase("shipped", kind, shipped);
  Require(existingLoads == IsEightBitText(fs.existing));
  Require(shippedLoads == IsEightBitText(fs.shipped));
  // A database that does not load is left empty and fails the merge: nothing to combine.
  if (!existingLoads || !shippedLoads) {
    Require(existingLoads || existing.Count() == 0);
    Require(shippedLoads || shipped.Count() == 0);
    return 0;
  }
  const int records = existing.Count();
  const int added = shipped.Count();
  CombineModelRecords(existing, shipped);
  Require(existing.Count() >= records && existing.Count() <= records + added);
  Require(WriteModelDatabase("out", existing));
  const std::string_view written(fs.output, fs.outputSize);
  Require(written.substr(0, kModelDatabaseHeader.size()) == kModelDatabaseHeader);
  std::size_t lines = 0;
  for (std::size_t at = kModelDatabaseHeader.size(); at < written.size(); ++lines) {
    const std::size_t end = written.find("\r\n", at);
    Require(end != std::string_view::npos);
    Require(written.substr(at, end - at).find_first_of("\r\n") == std::string_view::npos);
    at = end + 2;
  }
  Require(lines == static_cast<std::size_t>(existing.Count()));
  return 0;
}
