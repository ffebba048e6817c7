// Little-endian values read from and written to bytes that need not be aligned, whatever the
// machine's own byte order. Plain C++: the byte-level pieces build natively too.
#pragma once

#include <cstddef>
#include <cstdint>

inline std::uint16_t ReadLittleEndian16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline std::uint32_t ReadLittleEndian32(const std::uint8_t* bytes)
{
    return ReadLittleEndian16(bytes) | (std::uint32_t(ReadLittleEndian16(bytes + 2)) << 16);
}

inline void WriteLittleEndian32(std::uint8_t* bytes, std::uint32_t value)
{
    bytes[0] = std::uint8_t(value);
    bytes[1] = std::uint8_t(value >> 8);
    bytes[2] = std::uint8_t(value >> 16);
    bytes[3] = std::uint8_t(value >> 24);
}

// The UTF-16 unit at `index` of a text of little-endian units starting at `units`.
inline char16_t ReadUtf16Unit(const std::uint8_t* units, std::size_t index)
{
    return static_cast<char16_t>(ReadLittleEndian16(units + 2 * index));
}
