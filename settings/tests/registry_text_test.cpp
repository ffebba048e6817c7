// Tests turning the stored value's bytes into the list text.
#include "settings/registry_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

#ifdef _WIN32
using Unit = wchar_t;
#define UNITS(s) L##s
#else
using Unit = char16_t;
#define UNITS(s) u##s
#endif
using Text = std::basic_string<Unit>;
using Bytes = std::vector<std::uint8_t>;

// The text as the registry stores it: UTF-16LE, no terminator added.
Bytes Le(const Text& text)
{
    Bytes bytes;
    for (Unit u : text) {
        bytes.push_back(std::uint8_t(u & 0xFF));
        bytes.push_back(std::uint8_t((u >> 8) & 0xFF));
    }
    return bytes;
}

// Decodes exactly `size` bytes from a heap block of that size, so reading past it is caught
// by the sanitizers and memory checkers.
Text Decode(const Bytes& bytes, size_t size)
{
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[size ? size : 1]);
    std::copy(bytes.begin(), bytes.begin() + size, block.get());
    // One spare unit beyond what may be written, to catch writing past it.
    Text out(size / 2 + 1, Unit('#'));
    const size_t length = DecodeRegistryText(block.get(), size, &out[0]);
    EXPECT_EQ(out[size / 2], Unit('#'));
    out.resize(length);
    return out;
}

Text Decode(const Bytes& bytes)
{
    return Decode(bytes, bytes.size());
}

TEST(RegistryText, TextEndsAtFirstNul)
{
    EXPECT_EQ(Decode(Le(Text(UNITS("123;456;\0"), 9))), UNITS("123;456;"));
    EXPECT_EQ(Decode(Le(Text(UNITS("12;\0" "99;\0"), 8))), UNITS("12;"));
    // The empty list is stored as the NUL alone.
    EXPECT_EQ(Decode(Le(Text(1, Unit(0)))), UNITS(""));
    EXPECT_EQ(Decode(Bytes()), UNITS(""));
}

TEST(RegistryText, WithoutNulTextEndsWithTheBytes)
{
    EXPECT_EQ(Decode(Le(UNITS("246;357;"))), UNITS("246;357;"));
    // Only what the registry returned counts, whatever lies behind it in the buffer.
    const Bytes bytes = Le(UNITS("246;357;"));
    EXPECT_EQ(Decode(bytes, 4), UNITS("24"));
}

TEST(RegistryText, OddLastByteIsDropped)
{
    Bytes bytes = Le(UNITS("12"));
    bytes.push_back('3');
    EXPECT_EQ(Decode(bytes), UNITS("12"));
    EXPECT_EQ(Decode(Bytes{'7'}), UNITS(""));
}

TEST(RegistryText, DecodesLittleEndianUnits)
{
    // U+00E9 and U+4E2D, then NUL: the high byte follows the low one.
    const Bytes bytes = {0xE9, 0x00, 0x2D, 0x4E, 0x00, 0x00};
    EXPECT_EQ(Decode(bytes), Text({Unit(0x00E9), Unit(0x4E2D)}));
}

TEST(RegistryText, FullBufferIsRead)
{
    // The largest value that loads: 1023 characters and the NUL, exactly 2048 bytes.
    Text longest(kNumberListMaxChars, Unit('9'));
    Bytes bytes = Le(longest + Unit(0));
    ASSERT_EQ(bytes.size(), kNumberListReadCapacityBytes);
    EXPECT_EQ(Decode(bytes), longest);

    // A full buffer that holds no NUL at all still gives every unit.
    bytes = Le(Text(kNumberListReadCapacityBytes / 2, Unit('8')));
    EXPECT_EQ(Decode(bytes).size(), kNumberListReadCapacityBytes / 2);
}

}  // namespace
