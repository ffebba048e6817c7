// Fuzzes fetching a call-information record and reading its caller number. The fuzzer plays
// the telephony service: the input is its script.
//   byte 0: which allocation fails (0 the first one ...; 9 and up: none)
//   then, for each request in turn: needed size, caller-number size, caller-number offset
//   (32-bit little-endian each), a 16-bit byte count and that many bytes, written at the
//   caller-number offset as far as the buffer reaches. An exhausted script answers nothing.
// The input's own bytes are also read as a record of their size.
#include "engine/call_info_fetch.h"
#include "engine/caller_id_record.h"
#include "fuzzers/fuzz_check.h"
#include "little_endian.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

class Script {
public:
    Script(const std::uint8_t* data, std::size_t size)
        : m_data(data),
          m_size(size)
    {
    }
    bool Empty() const { return m_pos >= m_size; }
    std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    // Past the end of the script the missing bytes read as 0.
    std::uint16_t Word()
    {
        const std::uint8_t bytes[2] = {Byte(), Byte()};
        return ReadLittleEndian16(bytes);
    }
    std::uint32_t Dword()
    {
        const std::uint8_t bytes[4] = {Byte(), Byte(), Byte(), Byte()};
        return ReadLittleEndian32(bytes);
    }
    // Up to `count` bytes; fewer at the end of the script.
    const std::uint8_t* Bytes(std::size_t& count)
    {
        count = std::min(count, m_size - std::min(m_pos, m_size));
        m_pos += count;
        return m_data + m_pos - count;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

struct Request {
    std::size_t size;      // the buffer the service was given
    std::uint32_t needed;  // what it answered
};

// A 32-bit little-endian field read byte by byte; 0 when the record is too short to hold it.
std::uint64_t Field(const std::uint8_t* record, std::size_t size, std::size_t at)
{
    return at + 4 > size ? 0
                         : record[at] | record[at + 1] << 8 | record[at + 2] << 16 |
            std::uint64_t(record[at + 3]) << 24;
}

// The caller number of record[0, size), read byte by byte apart from the reader's own helpers:
// from dwCallerIDOffset, the whole units inside both the record and dwCallerIDSize, up to a 0.
void CheckCallerId(const std::uint8_t* record, std::size_t size)
{
    const std::uint64_t offset = Field(record, size, kCallerIdOffsetOffset);
    // A record too short for both fields has none.
    const std::uint64_t end =
        size < kCallerIdOffsetOffset + 4 ? 0 : offset + Field(record, size, kCallerIdSizeOffset);
    std::vector<char16_t> expected;
    for (std::uint64_t at = offset;
         at + 2 <= std::min<std::uint64_t>(size, end) && (record[at] | record[at + 1]); at += 2)
        expected.push_back(static_cast<char16_t>(record[at] | record[at + 1] << 8));

    const CallerIdText found = FindCallerId(record, size);
    std::vector<char16_t> copy(found.length);
    CopyCallerId(found, copy.data());
    FUZZ_CHECK(copy == expected && (expected.empty() || found.units == record + offset));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The input as a record of exactly its size.
    const std::unique_ptr<std::uint8_t[]> raw(new std::uint8_t[size]);
    std::memcpy(raw.get(), data, size);
    CheckCallerId(raw.get(), size);

    Script script(data, size);
    const unsigned failingAllocation = script.Byte();
    unsigned allocations = 0;
    bool allocationFailed = false;
    auto allocate = [&](std::size_t bytes) {
        if (allocations++ == failingAllocation) {
            allocationFailed = true;
            return std::unique_ptr<std::uint8_t[]>();
        }
        return CallInfoHeap()(bytes);
    };

    std::vector<Request> requests;
    auto service = [&](std::uint8_t* buffer, std::size_t bytes) {
        FUZZ_CHECK(!allocationFailed && requests.size() < 1 + kCallInfoMaxGrowths);
        // Each request finds a zeroed buffer that says its own size.
        FUZZ_CHECK(Field(buffer, bytes, kCallInfoTotalSizeOffset) == bytes);
        for (std::size_t i = 4; i < bytes; ++i)
            FUZZ_CHECK(buffer[i] == 0);
        if (script.Empty()) {
            requests.push_back({bytes, 0});
            return;
        }
        WriteCallInfoField(buffer, bytes, kCallInfoNeededSizeOffset, script.Dword());
        WriteCallInfoField(buffer, bytes, kCallerIdSizeOffset, script.Dword());
        const std::uint32_t offset = script.Dword();
        WriteCallInfoField(buffer, bytes, kCallerIdOffsetOffset, offset);
        std::size_t count = script.Word();
        const std::uint8_t* text = script.Bytes(count);
        if (offset < bytes)
            std::memcpy(buffer + offset, text, std::min<std::size_t>(count, bytes - offset));
        // The bytes may have overwritten the fields: the answer is the record as left.
        requests.push_back({bytes, std::uint32_t(Field(buffer, bytes, kCallInfoNeededSizeOffset))});
    };
    const CallInfoFetchResult result = FetchCallInfo(service, allocate);

    // The first buffer has the first size and each next one the size last asked for.
    FUZZ_CHECK(allocationFailed || !requests.empty());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        FUZZ_CHECK(requests[i].size == (i == 0 ? kCallInfoFirstSize : requests[i - 1].needed));
        FUZZ_CHECK(requests[i].size <= kCallInfoMaxSize);
    }
    if (result.ok) {
        // The last answer fitted, and the record is the buffer it was written to.
        FUZZ_CHECK(!allocationFailed && result.record && result.size == requests.back().size);
        FUZZ_CHECK(requests.back().needed <= result.size);
        FUZZ_CHECK(Field(result.record.get(), result.size, kCallInfoNeededSizeOffset) ==
                   requests.back().needed);
        CheckCallerId(result.record.get(), result.size);
    } else {
        // Given up only for a failed allocation, a size not believed or one growth too many.
        FUZZ_CHECK(!result.record && result.size == 0);
        if (!allocationFailed) {
            const Request& last = requests.back();
            FUZZ_CHECK(last.needed > last.size);
            FUZZ_CHECK(last.needed > kCallInfoMaxSize ||
                       requests.size() == 1 + kCallInfoMaxGrowths);
        }
    }
    return 0;
}
