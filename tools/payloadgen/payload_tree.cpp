#include "tools/payloadgen/payload_tree.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <system_error>

#include "platform/ascii.h"
#include "platform/windows_names.h"

namespace payloadgen {
namespace fs = std::filesystem;

namespace {

// Why Windows could not reproduce a name as it is in the tree, or empty when it can.
std::string NameProblem(const std::string& component) {
  if (platform::ForbiddenNameCharacter(component) != '\0')
    return "the name holds a character that Windows cannot store in a file name";
  for (unsigned char c : component) {
    if (c > 0x7E) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "0x%02X", c);
      return std::string("the name holds the byte ") + hex +
             ", outside plain ASCII: the installer's 8-bit file calls would store it under "
             "another name";
    }
  }
  if (platform::IsReservedDeviceName(component))
    return "\"" + component + "\" is a name that Windows reserves for a device";
  if (platform::EndsInDotOrBlank(component))
    return "the name ends in a dot or a blank, which Windows drops from the name it stores";
  if (platform::LooksLikeShortNameAlias(component))
    return "\"" + component +
           "\" has the form of a short (8.3) name that Windows gives a long one: where short names "
           "are kept, it could open another file or folder instead of making its own";
  return std::string();
}

std::string Describe(fs::file_type type) {
  switch (type) {
    case fs::file_type::symlink:
      return "a symbolic link";
    case fs::file_type::block:
      return "a block device";
    case fs::file_type::character:
      return "a character device";
    case fs::file_type::fifo:
      return "a named pipe";
    case fs::file_type::socket:
      return "a socket";
    default:
      return "neither a regular file nor a directory";
  }
}

}  // namespace

bool PayloadNameLess(const std::string& a, const std::string& b) {
  if (const int order = platform::CompareNoCase(a, b)) return order < 0;
  return a < b;
}

bool IsReadOnlyPayloadName(const std::string& name) {
  static constexpr std::array<const char*, 6> kReadOnly = {
      ".\\lib\\sym\\cap.asy",      ".\\lib\\sym\\diode.asy",    ".\\lib\\sym\\polcap.asy",
      ".\\lib\\sym\\schottky.asy", ".\\lib\\sym\\varactor.asy", ".\\lib\\sym\\zener.asy"};
  return std::any_of(kReadOnly.begin(), kReadOnly.end(),
                     [&](const char* r) { return platform::EqualsNoCase(name, r); });
}

bool ScanPayloadTree(const std::string& root, std::vector<PayloadFile>& files, std::string& error) {
  files.clear();
  std::error_code ec;
  fs::path rootPath(root);
  if (!fs::is_directory(rootPath, ec)) {
    error = "payload root is not a directory: " + root;
    return false;
  }
  const std::size_t prefixLength = std::strlen(kReferenceInstallDir) + 1;  // "...\TvexIII\"

  fs::recursive_directory_iterator it(rootPath, fs::directory_options::none, ec);
  if (ec) {
    error = "cannot list " + root + ": " + ec.message();
    return false;
  }
  // Every name seen so far, folded to lower case, with the path it came from: Windows keeps
  // one entry for names that differ only in case, so the second would overwrite the first.
  std::map<std::string, fs::path> folded;
  for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const fs::path& path = it->path();
    fs::path relative = path.lexically_relative(rootPath);
    std::string name = ".";
    for (const fs::path& part : relative) {
      std::string component = part.string();
      const std::string problem = NameProblem(component);
      if (!problem.empty()) {
        error = "refusing " + path.string() + ": " + problem;
        return false;
      }
      name += '\\';
      name += component;
    }
    const auto [seen, added] = folded.emplace(platform::AsciiLowered(name), path);
    if (!added) {
      // Named in a fixed order, whatever order the tree was listed in.
      std::string first = seen->second.string(), second = path.string();
      if (second < first) std::swap(first, second);
      error = "refusing " + first + " and " + second +
              ": their names differ only in letter case, and Windows would install them as one";
      return false;
    }
    fs::file_status status = it->symlink_status(ec);
    if (ec) {
      error = "cannot inspect " + path.string() + ": " + ec.message();
      return false;
    }
    if (status.type() == fs::file_type::directory) continue;
    if (status.type() != fs::file_type::regular) {
      error = "refusing " + path.string() + ": it is " + Describe(status.type());
      return false;
    }
    std::string installed = name.substr(2);
    if (prefixLength + installed.size() > kMaxInstalledPathLength) {
      error = "refusing " + path.string() + ": installed as " + kReferenceInstallDir + "\\" +
              installed + " its path has " + std::to_string(prefixLength + installed.size()) +
              " characters, more than " + std::to_string(kMaxInstalledPathLength);
      return false;
    }
    std::uintmax_t size = it->file_size(ec);
    if (ec) {
      error = "cannot read the size of " + path.string() + ": " + ec.message();
      return false;
    }
    if (size > 0xFFFFFFFFull) {
      error = "refusing " + path.string() + ": " + std::to_string(size) +
              " bytes, the payload holds files below 4 GiB only";
      return false;
    }
    PayloadFile file;
    file.name = std::move(name);
    file.path = path.string();
    file.size = size;
    file.readOnly = IsReadOnlyPayloadName(file.name);
    files.push_back(std::move(file));
  }
  if (ec) {
    error = "cannot list " + root + ": " + ec.message();
    return false;
  }
  std::sort(files.begin(), files.end(), [](const PayloadFile& a, const PayloadFile& b) {
    return PayloadNameLess(a.name, b.name);
  });
  return true;
}

}  // namespace payloadgen
