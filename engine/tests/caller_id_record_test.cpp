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
using Bytes = std::vector<std::uint8_t>;

void PutField(Bytes& record, size_t offset, std::uint32_t value)
{
    WriteCallInfoField(record.data(), record.size(), offset, value);
}

// A zeroed record of `size` bytes holding `text` (UTF-16LE) at `offset`, with dwCallerIDSize
// and dwCallerIDOffset set to the given values.
Bytes Record(size_t size, const Text& text, std::uint32_t idOffset, std::uint32_t idSize)
{
    Bytes record(size, 0);
    PutField(record, kCallInfoTotalSizeOffset, std::uint32_t(size));
    PutField(record, kCallerIdSizeOffset, idSize);
    PutField(record, kCallerIdOffsetOffset, idOffset);
    for (size_t i = 0; i < text.size() && idOffset + 2 * i + 1 < size; ++i) {
        record[idOffset + 2 * i] = std::uint8_t(text[i] & 0xFF);
        record[idOffset + 2 * i + 1] = std::uint8_t((text[i] >> 8) & 0xFF);
    }
    return record;
}

// The caller number read from exactly record.size() bytes of heap.
Text Caller(const Bytes& record)
{
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[record.size()]);
    std::memcpy(block.get(), record.data(), record.size());
    const CallerIdText found = FindCallerId(block.get(), record.size());
    Text text(found.length, Unit(0));
    CopyCallerId(found, &text[0]);
    return text;
}

TEST(CallerIdRecord, FieldOffsetsFollowTheRecordLayout)
{
    // dwCallerIDSize follows 16 DWORDs, the 4-DWORD LINEDIALPARAMS and 8 more DWORDs.
    EXPECT_EQ(kCallerIdSizeOffset, (16 + 4 + 8) * 4u);
    const Bytes record = {0x30, 0x05, 0, 0, 0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(CallInfoTotalSize(record.data(), record.size()), 1328u);
    EXPECT_EQ(CallInfoNeededSize(record.data(), record.size()), 0x04030201u);
    EXPECT_EQ(CallInfoNeededSize(record.data(), 7), 0u);  // the field does not fit
}

TEST(CallerIdRecord, ReadsTextUpToItsTerminatorOrSize)
{
    const Text number = UNITS("+35799123456");
    // Terminated, with the terminator counted in the size as the service does.
    EXPECT_EQ(Caller(Record(1328, number, 200, 2 * 13)), number);
    // No terminator: the size ends it.
    EXPECT_EQ(Caller(Record(1328, number + UNITS("77"), 200, 2 * 12)), number);
    // Numbers longer than 29 characters are kept whole.
    const Text longNumber(40, Unit('5'));
    EXPECT_EQ(Caller(Record(1328, longNumber, 300, 2 * 41)), longNumber);
}

TEST(CallerIdRecord, NoCallerNumber)
{
    EXPECT_EQ(Caller(Record(1328, UNITS("123"), 200, 0)), UNITS(""));
    EXPECT_EQ(Caller(Record(1328, UNITS(""), 0, 0)), UNITS(""));
    // Too short to hold the caller-number fields at all.
    EXPECT_EQ(Caller(Bytes(100, 0x41)), UNITS(""));
}

TEST(CallerIdRecord, NothingIsReadOutsideTheRecord)
{
    EXPECT_EQ(Caller(Record(1328, UNITS(""), 1328, 8)), UNITS(""));
    EXPECT_EQ(Caller(Record(1328, UNITS(""), 0xFFFFFFFF, 8)), UNITS(""));
    // A size past the end is cut at the end of the record.
    EXPECT_EQ(Caller(Record(1328, UNITS("4567"), 1320, 400)), UNITS("4567"));
    // Offset and size that wrap a 32-bit sum.
    EXPECT_EQ(Caller(Record(1328, UNITS("89"), 1324, 0xFFFFFFF0)), UNITS("89"));
    // An odd byte count keeps whole units only, also when the record ends mid-unit.
    EXPECT_EQ(Caller(Record(1328, UNITS("123"), 200, 5)), UNITS("12"));
    EXPECT_EQ(Caller(Record(1327, UNITS("1234"), 1321, 100)), UNITS("123"));
}

TEST(CallerIdRecord, UnalignedOffsetAndLittleEndian)
{
    Bytes record = Record(1328, UNITS(""), 201, 6);
    const std::uint8_t text[] = {0x31, 0x00, 0x2D, 0x4E, 0x00, 0x00};  // "1", U+4E2D, NUL
    std::memcpy(&record[201], text, sizeof text);
    EXPECT_EQ(Caller(record), Text({Unit('1'), Unit(0x4E2D)}));
}

// A stand-in for lineGetCallInfo that needs `needed` bytes for its record and writes the
// caller number at the end of it once the buffer is large enough.
struct FakeService {
    FakeService(std::uint32_t neededSize, const Text& callerNumber)
        : needed(neededSize), number(callerNumber) {}

    std::uint32_t needed;
    Text number;
    std::vector<std::pair<size_t, std::uint32_t>> calls;  // (buffer size, dwTotalSize seen)
    bool zeroed = true;

    void operator()(std::uint8_t* buffer, size_t size)
    {
        calls.emplace_back(size, CallInfoTotalSize(buffer, size));
        for (size_t i = 4; i < size; ++i)
            zeroed = zeroed && buffer[i] == 0;
        WriteCallInfoField(buffer, size, kCallInfoNeededSizeOffset, needed);
        if (CallInfoTotalSize(buffer, size) < needed)
            return;
        const std::uint32_t offset = needed - std::uint32_t(2 * (number.size() + 1));
        WriteCallInfoField(buffer, size, kCallerIdOffsetOffset, offset);
        WriteCallInfoField(buffer, size, kCallerIdSizeOffset,
                           std::uint32_t(2 * (number.size() + 1)));
        for (size_t i = 0; i < number.size(); ++i) {
            buffer[offset + 2 * i] = std::uint8_t(number[i] & 0xFF);
            buffer[offset + 2 * i + 1] = std::uint8_t((number[i] >> 8) & 0xFF);
        }
    }
};

Text CallerOf(const CallInfoFetchResult& result)
{
    const CallerIdText found = FindCallerId(result.record.get(), result.size);
    Text text(found.length, Unit(0));
    CopyCallerId(found, &text[0]);
    return text;
}

TEST(FetchCallInfo, RecordThatFitsNeedsOneRequest)
{
    FakeService service{1000, UNITS("246")};
    const CallInfoFetchResult result = FetchCallInfo(service);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.size, kCallInfoFirstSize);
    ASSERT_EQ(service.calls.size(), 1u);
    EXPECT_EQ(service.calls[0], std::make_pair(kCallInfoFirstSize, std::uint32_t(1328)));
    EXPECT_TRUE(service.zeroed);
    EXPECT_EQ(CallerOf(result), UNITS("246"));
}

TEST(FetchCallInfo, LargerRecordIsFetchedAgainInAGrownBuffer)
{
    FakeService service{5000, UNITS("357")};
    const CallInfoFetchResult result = FetchCallInfo(service);
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.size, 5000u);
    ASSERT_EQ(service.calls.size(), 2u);
    EXPECT_EQ(service.calls[1], std::make_pair(size_t(5000), std::uint32_t(5000)));
    EXPECT_TRUE(service.zeroed);  // the grown buffer starts zeroed too
    EXPECT_EQ(CallerOf(result), UNITS("357"));

    // The largest size believed.
    FakeService largest{std::uint32_t(kCallInfoMaxSize), UNITS("1")};
    EXPECT_TRUE(FetchCallInfo(largest).ok);
}

TEST(FetchCallInfo, UnreasonableServicesEndInFailure)
{
    // Asks for an absurd size.
    FakeService absurd{0xFFFFFFF0u, UNITS("1")};
    EXPECT_FALSE(FetchCallInfo(absurd).ok);
    FakeService justOver{std::uint32_t(kCallInfoMaxSize + 1), UNITS("1")};
    EXPECT_FALSE(FetchCallInfo(justOver).ok);
    EXPECT_EQ(justOver.calls.size(), 1u);

    // Always asks for a little more than it got.
    int calls = 0;
    auto greedy = [&](std::uint8_t* buffer, size_t size) {
        ++calls;
        WriteCallInfoField(buffer, size, kCallInfoNeededSizeOffset, std::uint32_t(size + 2));
    };
    const CallInfoFetchResult result = FetchCallInfo(greedy);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.record, nullptr);
    EXPECT_EQ(calls, kCallInfoMaxGrowths + 1);
}

TEST(FetchCallInfo, AllocationFailureEndsInFailure)
{
    FakeService service{5000, UNITS("357")};
    auto firstOnly = [](size_t size) {
        return std::unique_ptr<std::uint8_t[]>(size == kCallInfoFirstSize ? new std::uint8_t[size]
                                                                          : nullptr);
    };
    EXPECT_FALSE(FetchCallInfo(service, firstOnly).ok);
    EXPECT_EQ(service.calls.size(), 1u);

    auto none = [](size_t) { return std::unique_ptr<std::uint8_t[]>(); };
    FakeService untouched{1000, UNITS("1")};
    EXPECT_FALSE(FetchCallInfo(untouched, none).ok);
    EXPECT_TRUE(untouched.calls.empty());
}

}  // namespace
