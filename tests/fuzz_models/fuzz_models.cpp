// libFuzzer entry point for the model-text databases: the input is split into an existing and
// a shipped database, which are loaded, combined and written as an update installation merges
// them (without the backup, whose file copy only costs time here), entirely in memory. Checks
// that whatever the bytes, both load and the result is the header followed by one line per
// model, none of them holding a line break.
#include <stdio.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cmpdb/model_database.h"
#include "platform/file_system.h"

namespace {

// Serves the two databases from memory and collects what is written.
class MemoryFileSystem : public platform::RealFileSystem {
 public:
  std::string existing;
  std::string shipped;
  char* output = nullptr;
  std::size_t outputSize = 0;

  ~MemoryFileSystem() override { std::free(output); }

  std::FILE* Open(const std::string& path, const char* mode) override {
    if (mode[0] == 'w') {
      if (path != "out") return std::fopen("/dev/null", mode);
      std::free(output);
      output = nullptr;
      return open_memstream(&output, &outputSize);
    }
    std::string& data = path == "existing" ? existing : shipped;
    if (data.empty()) return std::fopen("/dev/null", "r");
    return fmemopen(data.data(), data.size(), "r");
  }
  platform::EntryKind Find(const std::string&) override { return platform::EntryKind::kFile; }
  int SetReadOnly(const std::string&, bool) override { return 0; }
  void Sleep(unsigned) override {}
};

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
  Require(LoadModelDatabase("existing", kind, existing));
  Require(LoadModelDatabase("shipped", kind, shipped));
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
