// Reads the caller number out of a call-information record (LINECALLINFO) as raw bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "little_endian.h"

// Byte offsets of the fields we read; every field is a 32-bit little-endian value.
// The Windows side checks them against offsetof(LINECALLINFO, ...).
constexpr std::size_t kCallInfoTotalSizeOffset = 0;
constexpr std::size_t kCallInfoNeededSizeOffset = 4;
constexpr std::size_t kCallerIdSizeOffset = 112;
constexpr std::size_t kCallerIdOffsetOffset = 116;

// A 32-bit little-endian field of record[0, recordSize); 0 when it does not fit in the record.
std::uint32_t ReadCallInfoField(const std::uint8_t* record, std::size_t recordSize,
                                std::size_t fieldOffset);

// Stores a 32-bit little-endian field; does nothing when it does not fit in the record.
void WriteCallInfoField(std::uint8_t* record, std::size_t recordSize, std::size_t fieldOffset,
                        std::uint32_t value);

inline std::uint32_t CallInfoTotalSize(const std::uint8_t* record, std::size_t recordSize)
{
    return ReadCallInfoField(record, recordSize, kCallInfoTotalSizeOffset);
}

inline std::uint32_t CallInfoNeededSize(const std::uint8_t* record, std::size_t recordSize)
{
    return ReadCallInfoField(record, recordSize, kCallInfoNeededSizeOffset);
}

// Where the caller number lies in a record: `length` UTF-16 little-endian units from `units`
// (which need not be aligned). length 0 means no caller number.
struct CallerIdText {
    const std::uint8_t* units;
    std::size_t length;
};

// Locates the caller number: it starts dwCallerIDOffset bytes into the record and ends at its
// first zero unit or after dwCallerIDSize bytes, whichever comes first. Only whole units that
// lie inside the record count; an offset outside the record gives an empty number.
// The number is never shortened to a fixed length: it is compared whole.
CallerIdText FindCallerId(const std::uint8_t* record, std::size_t recordSize);

// Writes the caller number's text.length units to out, which must have room for them.
template <class CharT>
void CopyCallerId(const CallerIdText& text, CharT* out)
{
    for (std::size_t i = 0; i < text.length; ++i)
        out[i] = static_cast<CharT>(ReadUtf16Unit(text.units, i));
}
