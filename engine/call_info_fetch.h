// Asks the telephony service for a call's information record, growing the buffer as it asks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "engine/caller_id_record.h"

// The first request's buffer; most records fit in it.
constexpr std::size_t kCallInfoFirstSize = 1328;
// A record that claims to need more than this is not believed.
constexpr std::size_t kCallInfoMaxSize = std::size_t{64} * 1024;
// A service that asks for more again and again is given up on after this many growths.
constexpr int kCallInfoMaxGrowths = 8;

struct CallInfoFetchResult {
    bool ok = false;
    std::unique_ptr<std::uint8_t[]> record;  // null when !ok
    std::size_t size = 0;
};

// The plain heap, reporting failure as a null buffer instead of throwing.
struct CallInfoHeap {
    std::unique_ptr<std::uint8_t[]> operator()(std::size_t size) const
    {
        return std::unique_ptr<std::uint8_t[]>(new (std::nothrow) std::uint8_t[size]);
    }
};

// Fills a zeroed buffer of `size` bytes whose dwTotalSize says `size`, then lets the service
// fill it: service(uint8_t* buffer, size_t size), its result ignored. While the record says it
// needs more than the buffer holds, does the same with the needed size. Fails on an allocation
// failure, a needed size over kCallInfoMaxSize, or more than kCallInfoMaxGrowths growths;
// the caller then has no record (and so no caller number).
template <class Service, class Allocate = CallInfoHeap>
[[nodiscard]] CallInfoFetchResult FetchCallInfo(Service&& service, Allocate&& allocate = Allocate())
{
    CallInfoFetchResult result;
    std::size_t size = kCallInfoFirstSize;
    for (int growths = 0;; ++growths) {
        std::unique_ptr<std::uint8_t[]> record = allocate(size);
        if (!record)
            return CallInfoFetchResult();
        std::memset(record.get(), 0, size);
        WriteCallInfoField(record.get(), size, kCallInfoTotalSizeOffset,
                           static_cast<std::uint32_t>(size));
        service(record.get(), size);

        // Compared with the size we allocated, not with dwTotalSize as the service left it.
        const std::uint32_t needed = CallInfoNeededSize(record.get(), size);
        if (needed <= size) {
            result.ok = true;
            result.record = std::move(record);
            result.size = size;
            return result;
        }
        if (needed > kCallInfoMaxSize || growths == kCallInfoMaxGrowths)
            return CallInfoFetchResult();
        size = needed;
    }
}
