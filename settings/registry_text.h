// Turns the bytes of the stored "Blacklist" value into the list text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "little_endian.h"

// The list is read into a buffer of this many bytes, its NUL included.
constexpr std::size_t kNumberListReadCapacityBytes = 2048;
// The longest list text that can be read back, so the longest one that may be saved.
constexpr std::size_t kNumberListMaxChars = kNumberListReadCapacityBytes / 2 - 1;

// Length in UTF-16 units of the text held in bytes[0, byteCount): up to the first NUL unit,
// else every whole unit (an odd last byte is not part of the text).
std::size_t RegistryTextLength(const std::uint8_t* bytes, std::size_t byteCount);

// Decodes the text held in bytes[0, byteCount) into out, which has room for byteCount / 2
// units, and returns its length in units. Writes no terminator and reads nothing past byteCount.
template <class CharT>
[[nodiscard]] std::size_t DecodeRegistryText(const std::uint8_t* bytes, std::size_t byteCount,
                                             CharT* out)
{
    const std::size_t length = RegistryTextLength(bytes, byteCount);
    for (std::size_t i = 0; i < length; ++i)
        out[i] = static_cast<CharT>(ReadUtf16Unit(bytes, i));
    return length;
}
