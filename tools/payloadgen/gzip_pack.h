// Packing one file's bytes as the single-member gzip stream that packed payload entries carry.
#pragma once

#include <cstdint>
#include <vector>

namespace payloadgen {

// The fixed header of every packed entry: deflate, no flags, modification time 0, extra
// flags 0, operating system 11.
inline constexpr std::uint8_t kGzipHeader[10] = {0x1F, 0x8B, 0x08, 0x00, 0x00,
                                                 0x00, 0x00, 0x00, 0x00, 0x0B};

// Returns kGzipHeader, the raw deflate stream of data (zlib at its best compression) and the
// trailer: CRC-32 of data, then its length modulo 2^32, both little-endian. The result depends
// on the bytes alone, never on time or place. Returns an empty vector only if zlib fails.
std::vector<std::uint8_t> PackGzip(const std::uint8_t* data, std::size_t size);

}  // namespace payloadgen
