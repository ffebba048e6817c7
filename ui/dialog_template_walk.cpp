// Walks a standard dialog template without trusting its counts, strings or sizes.
#include "ui/dialog_template_walk.h"

namespace {

// A read position in the template; every read checks that it fits before it moves on, and a
// failed read leaves the cursor failed for good.
class TemplateCursor {
public:
    TemplateCursor(const std::uint8_t* bytes, std::size_t size)
        : m_bytes(bytes),
          m_size(size)
    {
    }

    bool Ok() const { return m_ok; }
    std::uint16_t Word()
    {
        const std::uint8_t* bytes = Skip(2);
        return bytes ? ReadLittleEndian16(bytes) : 0;
    }

    std::uint32_t Dword()
    {
        const std::uint8_t* bytes = Skip(4);
        return bytes ? ReadLittleEndian32(bytes) : 0;
    }

    TemplateField Field()
    {
        TemplateField field = {false, 0, nullptr, 0};
        if (!Fits(2))
            return field;
        if (ReadLittleEndian16(m_bytes + m_pos) == 0xFFFF) {
            Word();
            field.isOrdinal = true;
            field.ordinal = Word();
            return field;
        }
        field.units = m_bytes + m_pos;
        while (Word() != 0 && m_ok)
            ++field.length;
        return field;
    }

    // Steps over `bytes` bytes and returns where they start; null when they do not fit.
    const std::uint8_t* Skip(std::size_t bytes)
    {
        if (!Fits(bytes))
            return nullptr;
        m_pos += bytes;
        return m_bytes + m_pos - bytes;
    }

    // Records start on 4-byte boundaries counted from the template's start.
    void AlignToDword() { Skip((4 - m_pos % 4) % 4); }

    void Fail() { m_ok = false; }

private:
    // Compared without adding to the position, so nothing can wrap.
    bool Fits(std::size_t bytes)
    {
        if (m_ok && bytes <= m_size - m_pos)
            return true;
        m_ok = false;
        return false;
    }

    const std::uint8_t* m_bytes;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

bool ReadHeader(TemplateCursor& cursor, DialogTemplateHeader& header)
{
    header.style = cursor.Dword();
    // The extended form starts with version 1 and the signature 0xFFFF: read as a standard
    // template it would give nonsense positions, so it counts as unreadable.
    if ((header.style & 0xFFFF) == 1 && (header.style >> 16) == 0xFFFF)
        return false;
    cursor.Dword();  // extended style
    header.itemCount = cursor.Word();
    cursor.Skip(8);  // x, y, cx, cy
    cursor.Field();  // menu
    cursor.Field();  // window class
    cursor.Field();  // title
    if (header.style & kTemplateSetFont) {
        cursor.Word();   // point size
        cursor.Field();  // face name
    }
    return cursor.Ok();
}

bool ReadItem(TemplateCursor& cursor, DialogItemRecord& item)
{
    cursor.AlignToDword();
    item.fixed.style = cursor.Dword();
    item.fixed.exStyle = cursor.Dword();
    item.fixed.x = static_cast<std::int16_t>(cursor.Word());
    item.fixed.y = static_cast<std::int16_t>(cursor.Word());
    item.fixed.cx = static_cast<std::int16_t>(cursor.Word());
    item.fixed.cy = static_cast<std::int16_t>(cursor.Word());
    item.fixed.id = cursor.Word();
    item.windowClass = cursor.Field();
    item.title = cursor.Field();

    // The size counts its own word; 1 would end the record inside that word.
    const std::uint16_t creationSize = cursor.Word();
    item.creationData = nullptr;
    item.creationDataSize = 0;
    if (creationSize == 1)
        cursor.Fail();
    if (creationSize > 2) {
        item.creationDataSize = creationSize - 2u;
        item.creationData = cursor.Skip(item.creationDataSize);
    }
    return cursor.Ok();
}

}  // namespace

bool WalkDialogTemplate(const std::uint8_t* templateBytes, std::size_t size,
                        DialogTemplateVisitor& visitor)
{
    TemplateCursor cursor(templateBytes, size);
    DialogTemplateHeader header = {0, 0};
    if (!templateBytes || !ReadHeader(cursor, header) || !visitor.OnHeader(header))
        return false;
    for (std::uint16_t i = 0; i < header.itemCount; ++i) {
        DialogItemRecord item;
        if (!ReadItem(cursor, item))
            return false;
        visitor.OnItem(item);
    }
    return true;
}
