// The CRC-32 every checksum of the sharing protocol uses: the reflected
// polynomial 0xEDB88320, initial value all ones, final inversion.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvolin::sharing {

std::uint32_t crc32Of(std::string_view bytes);
// Continues a CRC over more bytes (start from 0).
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size);

// The CRC-32 of the first `limit` bytes of a file (the whole file by
// default). False when the file cannot be read or is shorter than `limit`.
bool fileCrc32(const std::string& path, std::uint32_t& crc,
               std::uint64_t limit = UINT64_MAX);

}  // namespace tarvolin::sharing
