// Reads the caller number out of a call-information record without trusting its fields.
#include "engine/caller_id_record.h"

#include "little_endian.h"

std::uint32_t ReadCallInfoField(const std::uint8_t* record, std::size_t recordSize,
                                std::size_t fieldOffset)
{
    if (recordSize < 4 || fieldOffset > recordSize - 4)
        return 0;
    return ReadLittleEndian32(record + fieldOffset);
}

void WriteCallInfoField(std::uint8_t* record, std::size_t recordSize, std::size_t fieldOffset,
                        std::uint32_t value)
{
    if (recordSize < 4 || fieldOffset > recordSize - 4)
        return;
    WriteLittleEndian32(record + fieldOffset, value);
}

CallerIdText FindCallerId(const std::uint8_t* record, std::size_t recordSize)
{
    const CallerIdText none = {record, 0};
    if (recordSize < kCallerIdOffsetOffset + 4)
        return none;
    const std::uint32_t size = ReadCallInfoField(record, recordSize, kCallerIdSizeOffset);
    const std::uint32_t offset = ReadCallInfoField(record, recordSize, kCallerIdOffsetOffset);
    if (size == 0 || offset >= recordSize)
        return none;

    // Compared without adding, so that no sum can wrap on a 32-bit size_t.
    std::size_t bytes = recordSize - offset;
    if (size < bytes)
        bytes = size;
    const std::uint8_t* units = record + offset;
    const std::size_t wholeUnits = bytes / 2;
    std::size_t length = 0;
    while (length < wholeUnits && ReadUtf16Unit(units, length) != 0)
        ++length;
    return {units, length};
}
