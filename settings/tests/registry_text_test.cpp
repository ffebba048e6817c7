// Tests turning the stored value's bytes into the list text.
#include "settings/registry_text.h"
#include "tests/unit_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Decodes bytes[0, size) from a heap block of that size plus a non-NUL guard byte, into an
// output one unit larger than allowed (to see any write past it).
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

// Ends at the first NUL unit or after the last whole unit of the given bytes, low byte first.
// The full read capacity and NULs in stored values are covered by the settings store test.
TEST(RegistryText, EndsAtFirstNulOrWithTheGivenBytes)
{
    const Bytes list = {'2', 0, '4', 0, '6', 0, ';', 0, '3', 0, '5', 0, '7', 0, ';', 0};
    EXPECT_EQ(Decode(list, 16), UNITS("246;357;"));
    EXPECT_EQ(Decode(list, 4), UNITS("24"));
    EXPECT_EQ(Decode(Bytes{'1', 0, '2', 0, 0, 0, '9', 0}, 8), UNITS("12"));
    EXPECT_EQ(Decode(Bytes{0, 0}, 2), UNITS(""));  // the empty list
    EXPECT_EQ(Decode(list, 5), UNITS("24"));       // an odd last byte is no unit
    EXPECT_EQ(Decode(Bytes{'7'}, 1), UNITS(""));
    EXPECT_EQ(Decode(Bytes{0xE9, 0x00, 0x2D, 0x4E}, 4), Text({Unit(0x00E9), Unit(0x4E2D)}));
}

}  // namespace
