// Tests reading the caller number from call-information records; fetching them (the first size,
// each growth and its limits, a failed allocation) is proven by the caller-id fuzzer.
#include "engine/caller_id_record.h"
#include "tests/unit_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace {

// The caller number read from a zeroed record of exactly `size` heap bytes whose caller-number
// fields are `offset` and `idSize`, with the units of `text` that fit put at `offset`.
Text Caller(size_t size, const Text& text, std::uint32_t offset, std::uint32_t idSize)
{
    std::unique_ptr<std::uint8_t[]> record(new std::uint8_t[size]());
    std::uint8_t* const p = record.get();
    WriteCallInfoField(p, size, kCallerIdSizeOffset, idSize);
    WriteCallInfoField(p, size, kCallerIdOffsetOffset, offset);
    for (size_t i = 0; i < text.size() && offset + 2 * i + 1 < size; ++i) {
        p[offset + 2 * i] = std::uint8_t(text[i] & 0xFF);
        p[offset + 2 * i + 1] = std::uint8_t((text[i] >> 8) & 0xFF);
    }
    const CallerIdText found = FindCallerId(p, size);
    Text read(found.length, Unit(0));
    CopyCallerId(found, &read[0]);
    return read;
}

// The number ends at its zero unit or after its size; nothing outside the record is read.
TEST(CallerIdRecord, TextEndsAtItsZeroOrItsSizeAndStaysInsideTheRecord)
{
    const Text number = UNITS("+35799123456"), wide({Unit('1'), Unit(0x4E2D)});
    EXPECT_EQ(Caller(1328, number, 200, 2 * 13), number);                // zero counted in the size
    EXPECT_EQ(Caller(1328, number + UNITS("77"), 200, 2 * 12), number);  // no zero
    EXPECT_EQ(Caller(1328, UNITS("123"), 200, 5), UNITS("12"));          // whole units only
    EXPECT_EQ(Caller(1328, wide, 201, 6), wide);  // unaligned, low byte first
    EXPECT_EQ(Caller(1328, UNITS(""), 1328, 8), UNITS(""));
    EXPECT_EQ(Caller(1328, UNITS(""), 0xFFFFFFFF, 8), UNITS(""));
    EXPECT_EQ(Caller(1328, UNITS("4567"), 1320, 400), UNITS("4567"));
    EXPECT_EQ(Caller(1328, UNITS("89"), 1324, 0xFFFFFFF0), UNITS("89"));  // offset + size wraps
    EXPECT_EQ(Caller(1327, UNITS("1234"), 1321, 100), UNITS("123"));      // record ends mid-unit
    EXPECT_EQ(Caller(119, UNITS(""), 0, 8), UNITS(""));  // too short for the fields
}

}  // namespace
