#include "tools/payloadgen/gzip_pack.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace payloadgen {
namespace {

void PutLittleEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

struct DeflateEnd {
  void operator()(z_stream* z) const { deflateEnd(z); }
};

}  // namespace

std::vector<std::uint8_t> PackGzip(const std::uint8_t* data, std::size_t size) {
  z_stream z{};
  // Negative window bits: raw deflate, the gzip framing is ours.
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK)
    return {};
  std::unique_ptr<z_stream, DeflateEnd> owner(&z);

  std::vector<std::uint8_t> out(kGzipHeader, kGzipHeader + sizeof kGzipHeader);
  std::size_t bound = deflateBound(&z, static_cast<uLong>(size > ULONG_MAX ? ULONG_MAX : size));
  out.resize(out.size() + bound);
  z.next_out = out.data() + sizeof kGzipHeader;
  uLong crc = crc32(0L, Z_NULL, 0);

  // zlib counts in uInt: feed and checksum in slices that fit.
  const std::size_t kSlice = 1u << 30;
  std::size_t done = 0;
  int status = Z_OK;
  do {
    std::size_t slice = std::min(size - done, kSlice);
    z.next_in = const_cast<Bytef*>(data + done);
    z.avail_in = static_cast<uInt>(slice);
    crc = crc32(crc, data + done, static_cast<uInt>(slice));
    done += slice;
    int flush = done == size ? Z_FINISH : Z_NO_FLUSH;
    do {
      std::size_t used = z.next_out - out.data();
      if (out.size() - used < 64) {
        out.resize(out.size() * 2);
        z.next_out = out.data() + used;
      }
      z.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size() - used, UINT_MAX));
      status = deflate(&z, flush);
      if (status == Z_STREAM_ERROR) return {};
    } while (z.avail_in != 0 || (flush == Z_FINISH && status != Z_STREAM_END));
  } while (done < size);

  out.resize(z.next_out - out.data());
  PutLittleEndian32(out, static_cast<std::uint32_t>(crc));
  PutLittleEndian32(out, static_cast<std::uint32_t>(size));
  return out;
}

}  // namespace payloadgen
