// Fuzzes the dialog-template walk against a plain reader that checks every access and stops
// at the first one outside the bytes. Input: the template's bytes. The visitor refuses a
// header whose style has its lowest bit set, to exercise the refusal too.
#include "fuzzers/fuzz_check.h"
#include "little_endian.h"
#include "ui/dialog_template_walk.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

// A field as positions in the template: offset of the first unit, or the ordinal.
struct Field {
    bool isOrdinal = false;
    std::uint16_t ordinal = 0;
    std::size_t offset = 0;
    std::size_t length = 0;
    bool operator==(const Field& o) const
    {
        return isOrdinal == o.isOrdinal && ordinal == o.ordinal && offset == o.offset &&
            length == o.length;
    }
};

struct Item {
    std::uint32_t style, exStyle;
    std::int16_t x, y, cx, cy;
    std::uint16_t id;
    Field windowClass, title;
    std::size_t dataOffset, dataSize;  // dataOffset 0: no creation data
    bool operator==(const Item& o) const
    {
        return style == o.style && exStyle == o.exStyle && x == o.x && y == o.y && cx == o.cx &&
            cy == o.cy && id == o.id && windowClass == o.windowClass && title == o.title &&
            dataOffset == o.dataOffset && dataSize == o.dataSize;
    }
};

struct Walk {
    bool headerRead = false;
    DialogTemplateHeader header = {0, 0};
    std::vector<Item> items;
    bool whole = false;
};

// The reference: at() throws at the first byte outside the template.
class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes)
        : m_bytes(bytes)
    {
    }
    std::uint16_t Word()
    {
        const std::size_t at = m_pos;
        Skip(2);
        return ReadLittleEndian16(m_bytes.data() + at);
    }
    std::uint32_t Dword()
    {
        const std::size_t at = m_pos;
        Skip(4);
        return ReadLittleEndian32(m_bytes.data() + at);
    }
    Field ReadField()
    {
        Field f;
        if (Word() == 0xFFFF) {
            f.isOrdinal = true;
            f.ordinal = Word();
            return f;
        }
        f.offset = m_pos - 2;
        for (m_pos -= 2; Word() != 0;)
            ++f.length;
        return f;
    }
    void Skip(std::size_t n)
    {
        if (n > m_bytes.size() - m_pos)
            throw std::out_of_range("skip");
        m_pos += n;
    }
    std::size_t Pos() const { return m_pos; }

private:
    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_pos = 0;
};

Walk ReferenceWalk(const std::vector<std::uint8_t>& bytes)
{
    Walk walk;
    Reader r(bytes);
    try {
        const std::uint32_t style = r.Dword();
        if (style == 0xFFFF0001u)  // the extended form: version 1, signature 0xFFFF
            return walk;
        r.Dword();
        const std::uint16_t count = r.Word();
        r.Skip(8);
        r.ReadField(), r.ReadField(), r.ReadField();
        if (style & 0x40)
            r.Word(), r.ReadField();
        walk.headerRead = true;
        walk.header = {style, count};
        if (style & 1)
            return walk;
        for (unsigned i = 0; i < count; ++i) {
            r.Skip((4 - r.Pos() % 4) % 4);
            Item item;
            item.style = r.Dword();
            item.exStyle = r.Dword();
            item.x = static_cast<std::int16_t>(r.Word());
            item.y = static_cast<std::int16_t>(r.Word());
            item.cx = static_cast<std::int16_t>(r.Word());
            item.cy = static_cast<std::int16_t>(r.Word());
            item.id = r.Word();
            item.windowClass = r.ReadField();
            item.title = r.ReadField();
            const std::uint16_t dataWordAndBytes = r.Word();
            if (dataWordAndBytes == 1)
                return walk;
            item.dataSize = dataWordAndBytes > 2 ? dataWordAndBytes - 2u : 0;
            item.dataOffset = item.dataSize ? r.Pos() : 0;
            r.Skip(item.dataSize);
            walk.items.push_back(item);
        }
        walk.whole = true;
    } catch (const std::out_of_range&) {
    }
    return walk;
}

// Records the walk as positions, checking that every string and its 0 unit, and the creation
// data, lie inside the template.
class Recorder : public DialogTemplateVisitor {
public:
    Recorder(const std::uint8_t* bytes, std::size_t size)
        : m_bytes(bytes),
          m_size(size)
    {
    }
    Walk walk;

    bool OnHeader(const DialogTemplateHeader& header) override
    {
        FUZZ_CHECK(!walk.headerRead);
        walk.headerRead = true;
        walk.header = header;
        return (header.style & 1) == 0;
    }
    void OnItem(const DialogItemRecord& record) override
    {
        FUZZ_CHECK(walk.headerRead && walk.items.size() < walk.header.itemCount);
        const DialogItemFixed& f = record.fixed;
        Item item = {f.style,
                     f.exStyle,
                     f.x,
                     f.y,
                     f.cx,
                     f.cy,
                     f.id,
                     Position(record.windowClass),
                     Position(record.title),
                     0,
                     record.creationDataSize};
        FUZZ_CHECK((record.creationData != nullptr) == (record.creationDataSize != 0));
        if (record.creationData) {
            item.dataOffset = Inside(record.creationData, record.creationDataSize);
            FUZZ_CHECK(item.dataOffset != 0);
        }
        walk.items.push_back(item);
    }

private:
    // The offset of bytes [p, p + n) in the template; they must lie inside it.
    std::size_t Inside(const std::uint8_t* p, std::size_t n) const
    {
        FUZZ_CHECK(p >= m_bytes && n <= m_size && p <= m_bytes + m_size - n);
        return static_cast<std::size_t>(p - m_bytes);
    }
    Field Position(const TemplateField& field) const
    {
        Field f;
        f.isOrdinal = field.isOrdinal;
        f.ordinal = field.ordinal;
        if (field.isOrdinal)
            return f;
        f.length = field.length;
        f.offset = Inside(field.units, 2 * (field.length + 1));
        for (std::size_t i = 0; i < field.length; ++i)
            FUZZ_CHECK(TemplateFieldUnit(field, i) != 0);
        FUZZ_CHECK(TemplateFieldUnit(field, field.length) == 0);
        return f;
    }

    const std::uint8_t* m_bytes;
    std::size_t m_size;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A block of exactly the input's size, on the 4-byte boundary a template starts on.
    const std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[size]);
    std::memcpy(block.get(), data, size);
    Recorder recorder(block.get(), size);
    const bool whole = WalkDialogTemplate(block.get(), size, recorder);

    const Walk expected = ReferenceWalk(std::vector<std::uint8_t>(data, data + size));
    FUZZ_CHECK(whole == expected.whole);
    FUZZ_CHECK(recorder.walk.headerRead == expected.headerRead);
    FUZZ_CHECK(recorder.walk.header.style == expected.header.style &&
               recorder.walk.header.itemCount == expected.header.itemCount);
    FUZZ_CHECK(recorder.walk.items == expected.items);
    return 0;
}
