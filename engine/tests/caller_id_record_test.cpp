// Tests reading the caller number from call-information records and fetching those records.
#include "engine/caller_id_record.h"
#include "engine/call_info_fetch.h"

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

// Puts the caller number into a record: its UTF-16LE units at `offset` (those that fit) and
// the two caller-number fields.
void PutCaller(std::uint8_t* record, size_t size, const Text& text, std::uint32_t offset,
               std::uint32_t idSize)
{
    WriteCallInfoField(record, size, kCallerIdSizeOffset, idSize);
    WriteCallInfoField(record, size, kCallerIdOffsetOffset, offset);
    for (size_t i = 0; i < text.size() && offset + 2 * i + 1 < size; ++i) {
        record[offset + 2 * i] = std::uint8_t(text[i] & 0xFF);
        record[offset + 2 * i + 1] = std::uint8_t((text[i] >> 8) & 0xFF);
    }
}

Text CallerIn(const std::uint8_t* record, size_t size)
{
    const CallerIdText found = FindCallerId(record, size);
    Text text(found.length, Unit(0));
    CopyCallerId(found, &text[0]);
    return text;
}

// The caller number of a zeroed record of exactly `size` heap bytes.
Text Caller(size_t size, const Text& text, std::uint32_t offset, std::uint32_t idSize)
{
    std::unique_ptr<std::uint8_t[]> record(new std::uint8_t[size]());
    PutCaller(record.get(), size, text, offset, idSize);
    return CallerIn(record.get(), size);
}

TEST(CallerIdRecord, ReadsLittleEndianFieldsThatFit)
{
    const std::uint8_t record[] = {0x30, 0x05, 0, 0, 0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(CallInfoTotalSize(record, 8), 1328u);
    EXPECT_EQ(CallInfoNeededSize(record, 8), 0x04030201u);
    EXPECT_EQ(CallInfoNeededSize(record, 7), 0u);
}

TEST(CallerIdRecord, TextEndsAtItsZeroOrItsSize)
{
    const Text number = UNITS("+35799123456");
    EXPECT_EQ(Caller(1328, number, 200, 2 * 13), number);  // zero counted in the size
    EXPECT_EQ(Caller(1328, number + UNITS("77"), 200, 2 * 12), number);  // no zero
    EXPECT_EQ(Caller(1328, UNITS("123"), 200, 5), UNITS("12"));  // whole units only
    EXPECT_EQ(Caller(1328, UNITS("123"), 200, 0), UNITS(""));
    // Longer than 29 characters: kept whole.
    const Text longNumber(40, Unit('5'));
    EXPECT_EQ(Caller(1328, longNumber, 300, 2 * 41), longNumber);
    // Unaligned, and decoded low byte first.
    EXPECT_EQ(Caller(1328, Text({Unit('1'), Unit(0x4E2D)}), 201, 6), Text({Unit('1'), Unit(0x4E2D)}));
}

TEST(CallerIdRecord, NothingIsReadOutsideTheRecord)
{
    EXPECT_EQ(Caller(1328, UNITS(""), 1328, 8), UNITS(""));
    EXPECT_EQ(Caller(1328, UNITS(""), 0xFFFFFFFF, 8), UNITS(""));
    EXPECT_EQ(Caller(1328, UNITS("4567"), 1320, 400), UNITS("4567"));
    EXPECT_EQ(Caller(1328, UNITS("89"), 1324, 0xFFFFFFF0), UNITS("89"));  // offset + size wraps
    EXPECT_EQ(Caller(1327, UNITS("1234"), 1321, 100), UNITS("123"));  // record ends mid-unit
    EXPECT_EQ(Caller(119, UNITS(""), 0, 8), UNITS(""));  // too short for the fields
}

// A stand-in for lineGetCallInfo whose record needs `needed` bytes; once the buffer holds
// them it puts the caller number at the record's end.
struct FakeService {
    std::uint32_t needed;
    Text number;
    std::vector<std::uint32_t> totalSizes;  // dwTotalSize as each request found it
    bool zeroed = true;

    void operator()(std::uint8_t* buffer, size_t size)
    {
        totalSizes.push_back(CallInfoTotalSize(buffer, size));
        for (size_t i = 4; i < size; ++i)
            zeroed = zeroed && buffer[i] == 0;
        WriteCallInfoField(buffer, size, kCallInfoNeededSizeOffset, needed);
        if (size >= needed) {
            const std::uint32_t idSize = std::uint32_t(2 * number.size());
            PutCaller(buffer, size, number, needed - idSize, idSize);
        }
    }
};

FakeService Service(std::uint32_t needed)
{
    return FakeService{needed, UNITS("357"), {}};
}

TEST(FetchCallInfo, GrowsTheBufferToTheNeededSize)
{
    FakeService fits = Service(1000);
    const CallInfoFetchResult first = FetchCallInfo(fits);
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.size, kCallInfoFirstSize);
    EXPECT_EQ(fits.totalSizes, std::vector<std::uint32_t>{1328});
    EXPECT_EQ(CallerIn(first.record.get(), first.size), UNITS("357"));

    FakeService larger = Service(5000);
    const CallInfoFetchResult grown = FetchCallInfo(larger);
    ASSERT_TRUE(grown.ok);
    EXPECT_EQ(grown.size, 5000u);
    EXPECT_EQ(larger.totalSizes, (std::vector<std::uint32_t>{1328, 5000}));
    EXPECT_TRUE(larger.zeroed);
    EXPECT_EQ(CallerIn(grown.record.get(), grown.size), UNITS("357"));

    FakeService largest = Service(std::uint32_t(kCallInfoMaxSize));
    EXPECT_TRUE(FetchCallInfo(largest).ok);
}

TEST(FetchCallInfo, GivesUpOnUnreasonableServicesAndFailedAllocations)
{
    FakeService absurd = Service(0xFFFFFFF0u);
    EXPECT_FALSE(FetchCallInfo(absurd).ok);
    FakeService justOver = Service(std::uint32_t(kCallInfoMaxSize + 1));
    EXPECT_FALSE(FetchCallInfo(justOver).ok);

    int requests = 0;
    auto greedy = [&](std::uint8_t* buffer, size_t size) {
        ++requests;
        WriteCallInfoField(buffer, size, kCallInfoNeededSizeOffset, std::uint32_t(size + 2));
    };
    const CallInfoFetchResult endless = FetchCallInfo(greedy);
    EXPECT_FALSE(endless.ok);
    EXPECT_EQ(endless.record, nullptr);
    EXPECT_EQ(requests, kCallInfoMaxGrowths + 1);

    auto firstOnly = [](size_t size) {
        return std::unique_ptr<std::uint8_t[]>(size == kCallInfoFirstSize ? new std::uint8_t[size]
                                                                          : nullptr);
    };
    FakeService larger = Service(5000);
    EXPECT_FALSE(FetchCallInfo(larger, firstOnly).ok);
    EXPECT_EQ(larger.totalSizes.size(), 1u);
}

}  // namespace
