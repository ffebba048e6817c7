// Tests turning the stored value's bytes into the list text.
#include "settings/registry_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
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

// The text as UTF-16LE, NULs included as given.
Bytes Le(const Text& text)
{
    Bytes bytes;
    for (Unit u : text) {
        bytes.push_back(std::uint8_t(u & 0xFF));
        bytes.push_back(std::uint8_t((u >> 8) & 0xFF));
    }
    return bytes;
}

// Decodes the first `size` bytes from a heap block of exactly that size (so memory checkers
// see any read past it) into an output one unit larger than allowed (to see any write past it).
Text Decode(const Bytes& bytes, size_t size)
{
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[size + 1]);
    std::memcpy(block.get(), bytes.data(), size);
    block[size] = 0x41;
    Text out(size / 2 + 1, Unit('#'));
    const size_t length = DecodeRegistryText(block.get(), size, &out[0]);
    EXPECT_EQ(out[size / 2], Unit('#'));
    return out.substr(0, length);
}

Text Decode(const Bytes& bytes)
{
    return Decode(bytes, bytes.size());
}

TEST(RegistryText, EndsAtFirstNulOrWithTheBytes)
{
    EXPECT_EQ(Decode(Le(Text(UNITS("12;\0" "99;\0"), 8))), UNITS("12;"));
    EXPECT_EQ(Decode(Le(Text(1, Unit(0)))), UNITS(""));  // the empty list
    EXPECT_EQ(Decode(Le(UNITS("246;357;"))), UNITS("246;357;"));
    EXPECT_EQ(Decode(Le(UNITS("246;357;")), 4), UNITS("24"));
    // An odd last byte is no unit.
    Bytes odd = Le(UNITS("12"));
    odd.push_back('3');
    EXPECT_EQ(Decode(odd), UNITS("12"));
    EXPECT_EQ(Decode(Bytes{'7'}), UNITS(""));
    // Low byte first: U+00E9, U+4E2D.
    EXPECT_EQ(Decode(Bytes{0xE9, 0x00, 0x2D, 0x4E}), Text({Unit(0x00E9), Unit(0x4E2D)}));
}

TEST(RegistryText, FullBufferIsRead)
{
    const Text longest(kNumberListMaxChars, Unit('9'));
    const Bytes bytes = Le(longest + Unit(0));
    ASSERT_EQ(bytes.size(), kNumberListReadCapacityBytes);
    EXPECT_EQ(Decode(bytes), longest);
    // Without any NUL every unit of the full buffer counts.
    EXPECT_EQ(Decode(Le(longest + Unit('8'))).size(), kNumberListReadCapacityBytes / 2);
}

}  // namespace
