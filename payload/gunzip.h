// Expansion of packed payload entries: a single-member gzip stream in memory (the payload in
// the program's image) inflated straight into an open file, in large blocks.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// A message, or nothing for success.
using Failure = std::optional<std::string>;

// What the gzip reader says when the expansion cannot be written.
inline constexpr char kFailedWrite[] = "gz_uncompress(): failed fwrite";

// One inflate state and one output block, reused for every entry of a run.
class GzipExpander {
 public:
  GzipExpander();
  ~GzipExpander();
  GzipExpander(const GzipExpander&) = delete;
  GzipExpander& operator=(const GzipExpander&) = delete;

  // Writes the expansion of the gzip stream of size bytes at data to out, which stays open. Only
  // a gzip stream is accepted (no raw deflate, no plain data); bytes after its single member are
  // ignored. A corrupt, truncated or non-gzip stream gives "<name>: <zlib's error text>"
  // ("incorrect data check", "unexpected end of file", "incorrect header check", ...), as the
  // gzip reader words it for a file of that name; a short write gives kFailedWrite. What was
  // written before a failure stays in out.
  Failure Expand(const unsigned char* data, std::size_t size, const std::string& name,
                 std::FILE* out);

  // Takes one block of the expansion; false to stop it.
  using Sink = std::function<bool(const unsigned char* data, std::size_t size)>;
  // The same expansion handed to sink block by block; a sink that stops it gives kFailedWrite.
  Failure Expand(const unsigned char* data, std::size_t size, const std::string& name,
                 const Sink& sink);

 private:
  z_stream stream_{};
  bool initialised_ = false;
  std::unique_ptr<unsigned char[]> block_;
};
