// Walks the bytes of a standard dialog template (DLGTEMPLATE and its DLGITEMTEMPLATE records)
// and hands the header and each item record to a visitor. No Win32 calls: it builds everywhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "little_endian.h"

// The template's font flag: a point size and a face name follow the title.
constexpr std::uint32_t kTemplateSetFont = 0x40;  // DS_SETFONT

// Predefined window classes of an item, given as an ordinal instead of a name.
constexpr std::uint16_t kClassButton = 0x80;
constexpr std::uint16_t kClassEdit = 0x81;
constexpr std::uint16_t kClassStatic = 0x82;
constexpr std::uint16_t kClassListBox = 0x83;
constexpr std::uint16_t kClassScrollBar = 0x84;
constexpr std::uint16_t kClassComboBox = 0x85;

// A variable-length field: 0xFFFF and an ordinal, or a UTF-16 string ending in a 0 unit.
// A string's units point into the template, little-endian and possibly unaligned; `length`
// does not count the 0 unit, which always lies inside the template too.
struct TemplateField {
    bool isOrdinal;
    std::uint16_t ordinal;
    const std::uint8_t* units;
    std::size_t length;
};

// The unit at `index` of a string field.
inline char16_t TemplateFieldUnit(const TemplateField& field, std::size_t index)
{
    return ReadUtf16Unit(field.units, index);
}

// What the walk needs of the header; the rest of it is stepped over.
struct DialogTemplateHeader {
    std::uint32_t style;
    std::uint16_t itemCount;
};

// The fixed part of an item record; x, y, cx, cy are in dialog units.
struct DialogItemFixed {
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t x, y, cx, cy;
    std::uint16_t id;
};

// One whole item record.
struct DialogItemRecord {
    DialogItemFixed fixed;
    TemplateField windowClass;
    TemplateField title;
    const std::uint8_t* creationData;  // the bytes after the size word; null when there are none
    std::size_t creationDataSize;
};

class DialogTemplateVisitor {
public:
    // The header could be read. False stops the walk before any item.
    virtual bool OnHeader(const DialogTemplateHeader& header) = 0;
    // One complete item record, in template order.
    virtual void OnItem(const DialogItemRecord& item) = 0;

protected:
    ~DialogTemplateVisitor() = default;
};

// Walks template[0, size), which starts on a 4-byte boundary. True when the header and all
// of its itemCount records were read whole and OnHeader accepted. An unreadable header (too
// short, or the extended form, which is not read) calls nothing; a record cut off by the end
// of the bytes, or with an impossible creation-data size, ends the walk after the records
// before it. Never reads outside the given bytes.
[[nodiscard]] bool WalkDialogTemplate(const std::uint8_t* templateBytes, std::size_t size,
                                      DialogTemplateVisitor& visitor);
