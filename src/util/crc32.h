// The program's CRC32: the standard reflected table (polynomial 0xEDB88320), a
// register that starts at 0 and no final inversion. Every checksum stored in a
// blog file (pictures, files, pages) is made this way, so the variant must not
// change: "abc" gives 0xCA6598D0, the empty string 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessary::util {

// Returns the checksum of the bytes.
uint32_t CalculateCRC32String(std::string_view bytes);

// Continues a checksum over more bytes: CRC32Update(CRC32Update(0, a), b) equals
// CalculateCRC32String(a + b).
uint32_t CRC32Update(uint32_t crc, const void* data, size_t size);

// Returns the checksum of the whole content of the file, or 0 when it cannot be read.
uint32_t CalculateCRC32File(const std::string& fileName);

// The 32 bits of a checksum as the signed value an integer column stores.
inline int32_t crcToStored(uint32_t crc) { return static_cast<int32_t>(crc); }
inline uint32_t storedToCrc(int32_t stored) { return static_cast<uint32_t>(stored); }

}  // namespace tessary::util
