// Tests the dialog-template walk on templates built byte by byte: every form of the variable
// fields, the font's fields, alignment, creation data, and templates cut off at every length.
#include "ui/dialog_template_walk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

// A variable field as written: an ordinal, or a string (shown as "#n" or the text).
struct Field {
    bool ordinal;
    std::uint16_t value;
    std::u16string text;
};
Field Ord(std::uint16_t value) { return {true, value, u""}; }
Field Str(const char16_t* text) { return {false, 0, text}; }

std::string Show(const Field& f)
{
    return f.ordinal ? "#" + std::to_string(f.value) : std::string(f.text.begin(), f.text.end());
}

std::string Show(const TemplateField& f)
{
    if (f.isOrdinal)
        return "#" + std::to_string(f.ordinal);
    std::string text;
    for (std::size_t i = 0; i < f.length; ++i)
        text += static_cast<char>(TemplateFieldUnit(f, i));
    return text;
}

struct Item {
    std::uint32_t style;
    std::int16_t x, y, cx, cy;
    std::uint16_t id;
    Field windowClass, title;
    Bytes creationData;
};

// Writes a template little-endian, padding with 0xCD (never 0) so that padding read as a
// field would show. Remembers where the header and each record end.
struct TemplateWriter {
    Bytes bytes;
    std::size_t headerEnd = 0;
    std::vector<std::size_t> itemEnds;

    void Word(std::uint16_t w) { bytes.push_back(std::uint8_t(w)); bytes.push_back(std::uint8_t(w >> 8)); }
    void Dword(std::uint32_t d) { Word(std::uint16_t(d)); Word(std::uint16_t(d >> 16)); }
    void Put(const Field& f)
    {
        if (f.ordinal) {
            Word(0xFFFF);
            Word(f.value);
            return;
        }
        for (char16_t c : f.text)
            Word(c);
        Word(0);
    }

    void Header(std::uint32_t style, std::uint16_t count, const Field& menu, const Field& cls,
                const Field& title, const Field& face = Str(u""))
    {
        Dword(style);
        Dword(0x12345678);  // extended style
        Word(count);
        for (std::uint16_t v : {1, 2, 155, 176})
            Word(v);
        Put(menu);
        Put(cls);
        Put(title);
        if (style & kTemplateSetFont) {
            Word(9);
            Put(face);
        }
        headerEnd = bytes.size();
    }

    void Add(const Item& item)
    {
        while (bytes.size() % 4)
            bytes.push_back(0xCD);
        Dword(item.style);
        Dword(0);
        for (std::int16_t v : {item.x, item.y, item.cx, item.cy})
            Word(std::uint16_t(v));
        Word(item.id);
        Put(item.windowClass);
        Put(item.title);
        Word(item.creationData.empty() ? 0 : std::uint16_t(item.creationData.size() + 2));
        bytes.insert(bytes.end(), item.creationData.begin(), item.creationData.end());
        itemEnds.push_back(bytes.size());
    }
};

// What the walk reported, in a form that compares with the written items.
struct Recorder : DialogTemplateVisitor {
    bool sawHeader = false;
    DialogTemplateHeader header = {};
    std::vector<Item> items;

    bool OnHeader(const DialogTemplateHeader& h) override
    {
        sawHeader = true;
        header = h;
        return true;
    }
    void OnItem(const DialogItemRecord& r) override
    {
        const auto field = [](const TemplateField& f) {
            const std::string s = Show(f);
            return f.isOrdinal ? Ord(f.ordinal) : Field{false, 0, std::u16string(s.begin(), s.end())};
        };
        items.push_back({r.fixed.style, r.fixed.x, r.fixed.y, r.fixed.cx, r.fixed.cy, r.fixed.id,
                         field(r.windowClass), field(r.title),
                         r.creationData ? Bytes(r.creationData, r.creationData + r.creationDataSize) : Bytes()});
    }
};

void ExpectSame(const Item& want, const Item& got)
{
    SCOPED_TRACE("item " + std::to_string(want.id));
    EXPECT_EQ(want.style, got.style);
    EXPECT_EQ((std::vector<int>{want.x, want.y, want.cx, want.cy}), (std::vector<int>{got.x, got.y, got.cx, got.cy}));
    EXPECT_EQ(want.id, got.id);
    EXPECT_EQ(Show(want.windowClass), Show(got.windowClass));
    EXPECT_EQ(Show(want.title), Show(got.title));
    EXPECT_EQ(want.creationData, got.creationData);
}

// The bytes copied so that the last one is followed by an inaccessible page: a walk that
// reads past the end crashes the test instead of reading neighbouring memory.
class GuardedCopy {
public:
    explicit GuardedCopy(const Bytes& bytes, std::size_t size)
    {
#ifdef _WIN32
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        m_page = info.dwPageSize;
        m_block = static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 2 * m_page, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(m_block + m_page, m_page, PAGE_NOACCESS, &old);
#else
        m_page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
        m_block = static_cast<std::uint8_t*>(
            mmap(nullptr, 2 * m_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        mprotect(m_block + m_page, m_page, PROT_NONE);
#endif
        m_data = m_block + m_page - size;
        std::memcpy(m_data, bytes.data(), size);
    }
    ~GuardedCopy()
    {
#ifdef _WIN32
        VirtualFree(m_block, 0, MEM_RELEASE);
#else
        munmap(m_block, 2 * m_page);
#endif
    }
    GuardedCopy(const GuardedCopy&) = delete;
    GuardedCopy& operator=(const GuardedCopy&) = delete;
    const std::uint8_t* Data() const { return m_data; }

private:
    std::size_t m_page = 0;
    std::uint8_t* m_block = nullptr;
    std::uint8_t* m_data = nullptr;
};

const std::uint32_t kIcon = 0x50000003, kBitmap = 0x5000000E, kPush = 0x50010000;

// Each kind of field in each variable place, odd string lengths that need padding, creation
// data, negative positions, two unnamed statics and image items.
TemplateWriter RichTemplate()
{
    TemplateWriter t;
    t.Header(0x10C00048, 5, Ord(129), Str(u"MyDialogClass"), Str(u"Quellar"), Str(u"MS Shell Dlg"));
    t.Add({kPush, 34, 60, 68, 14, 1000, Ord(kClassButton), Str(u"Set Blacklist"), {}});
    t.Add({kIcon, -3, 0, 21, 20, 0xFFFF, Ord(kClassStatic), Ord(128), {1, 2, 3, 4, 5, 6}});
    t.Add({kBitmap, 5, 5, 32767, -1, 0xFFFF, Ord(kClassStatic), Ord(200), {7}});
    t.Add({0, 0, 0, 0, 0, 7, Str(u"Custom"), Str(u""), {}});
    t.Add({0x50A10103, 10, 28, 144, 144, 1001, Ord(kClassListBox), Str(u"odd"), {}});
    return t;
}

TEST(DialogTemplateWalk, ReadsTheHeaderAndEveryRecordWhateverFormItsFieldsTake)
{
    struct Case {
        const char* name;
        TemplateWriter t;
        std::vector<Item> items;
    };
    std::vector<Case> cases;
    {
        TemplateWriter t;
        t.Header(0x10C00000, 0, Str(u""), Str(u""), Str(u"No font"));  // no point size, no face
        cases.push_back({"no items, no font", t, {}});
    }
    {
        TemplateWriter t;
        t.Header(0x10C00040, 0, Str(u"Menu"), Ord(0x8002), Ord(5), Ord(3));  // a face given as an ordinal
        cases.push_back({"no items, font", t, {}});
    }
    {
        TemplateWriter t;
        t.Header(0x10C00000, 1, Ord(1), Ord(2), Str(u"x"));
        Item item = {kPush, 1, 2, 3, 4, 5, Str(u"Button"), Str(u"ab"), {}};
        t.Add(item);
        cases.push_back({"no font, one item", t, {item}});
    }
    {
        TemplateWriter t = RichTemplate();
        cases.push_back({"rich", t,
                         {{kPush, 34, 60, 68, 14, 1000, Ord(kClassButton), Str(u"Set Blacklist"), {}},
                          {kIcon, -3, 0, 21, 20, 0xFFFF, Ord(kClassStatic), Ord(128), {1, 2, 3, 4, 5, 6}},
                          {kBitmap, 5, 5, 32767, -1, 0xFFFF, Ord(kClassStatic), Ord(200), {7}},
                          {0, 0, 0, 0, 0, 7, Str(u"Custom"), Str(u""), {}},
                          {0x50A10103, 10, 28, 144, 144, 1001, Ord(kClassListBox), Str(u"odd"), {}}}});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GuardedCopy copy(c.t.bytes, c.t.bytes.size());
        Recorder seen;
        EXPECT_TRUE(WalkDialogTemplate(copy.Data(), c.t.bytes.size(), seen));
        ASSERT_TRUE(seen.sawHeader);
        const Bytes& b = c.t.bytes;
        EXPECT_EQ(std::uint32_t(b[0] | b[1] << 8 | b[2] << 16) | std::uint32_t(b[3]) << 24, seen.header.style);
        EXPECT_EQ(c.items.size(), seen.header.itemCount);
        ASSERT_EQ(c.items.size(), seen.items.size());
        for (std::size_t i = 0; i < c.items.size(); ++i)
            ExpectSame(c.items[i], seen.items[i]);
    }
}

// Cut off anywhere, the walk reads only what it was given: no header and no item before the
// header is whole, then exactly the records that are whole, and false.
TEST(DialogTemplateWalk, ACutOffTemplateGivesTheWholeRecordsBeforeTheCutAndFalse)
{
    const TemplateWriter t = RichTemplate();
    for (std::size_t size = 0; size < t.bytes.size(); ++size) {
        SCOPED_TRACE("size " + std::to_string(size));
        GuardedCopy copy(t.bytes, size);
        Recorder seen;
        EXPECT_FALSE(WalkDialogTemplate(copy.Data(), size, seen));
        EXPECT_EQ(size >= t.headerEnd, seen.sawHeader);
        std::size_t whole = 0;
        while (whole < t.itemEnds.size() && t.itemEnds[whole] <= size)
            ++whole;
        EXPECT_EQ(whole, seen.items.size());
    }
}

TEST(DialogTemplateWalk, RefusesWhatItCannotReadSafely)
{
    // The extended form (version 1, signature 0xFFFF) is not read: nothing is reported.
    TemplateWriter extended = RichTemplate();
    extended.bytes[0] = 1, extended.bytes[1] = 0, extended.bytes[2] = 0xFF, extended.bytes[3] = 0xFF;
    Recorder seen;
    EXPECT_FALSE(WalkDialogTemplate(extended.bytes.data(), extended.bytes.size(), seen));
    EXPECT_FALSE(seen.sawHeader);

    // A creation-data size of 1 would end the record inside its own size word.
    TemplateWriter badSize;
    badSize.Header(0, 3, Str(u""), Str(u""), Str(u""));
    badSize.Add({kPush, 0, 0, 1, 1, 1, Ord(kClassButton), Str(u"a"), {}});
    badSize.Add({kPush, 0, 0, 1, 1, 2, Ord(kClassButton), Str(u"b"), {}});
    badSize.bytes[badSize.bytes.size() - 2] = 1;
    badSize.Add({kPush, 0, 0, 1, 1, 3, Ord(kClassButton), Str(u"c"), {}});
    Recorder bad;
    EXPECT_FALSE(WalkDialogTemplate(badSize.bytes.data(), badSize.bytes.size(), bad));
    ASSERT_EQ(1u, bad.items.size());
    EXPECT_EQ(1, bad.items[0].id);

    // A visitor that cannot take the template stops the walk before any record.
    struct Refusing : Recorder {
        bool OnHeader(const DialogTemplateHeader&) override { return false; }
    } refusing;
    const TemplateWriter rich = RichTemplate();
    EXPECT_FALSE(WalkDialogTemplate(rich.bytes.data(), rich.bytes.size(), refusing));
    EXPECT_TRUE(refusing.items.empty());
}

}  // namespace
