// Reads the caller number out of a call-information record without trusting its fields.
#include "engine/caller_id_record.h"

std::uint32_t ReadCallInfoField(const std::uint8_t* record, std::size_t recordSize,
                                std::size_t fieldOffset)
{
    if (recordSize < 4 || fieldOffset > recordSize - 4)
        return 0;
    const std::uint8_t* p = record + fieldOffset;
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
        (std::uint32_t(p[3]) << 24);
}

void WriteCallInfoField(std::uint8_t* record, std::size_t recordSize, std::size_t fieldOffset,
                        std::uint32_t value)
{
    if (recordSize < 4 || fieldOffset > recordSize - 4)
        return;
    std::uint8_t* p = record + fieldOffset;
    p[0] = std::uint8_t(value);
    p[1] = std::uint8_t(value >> 8);
    p[2] = std::uint8_t(value >> 16);
    p[3] = std::uint8_t(value >> 24);
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
    while (length < wholeUnits && (units[2 * length] | units[2 * length + 1]) != 0)
        ++length;
    return {units, length};
}
