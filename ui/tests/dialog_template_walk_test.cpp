// Tests the dialog-template walk on templates written byte by byte, whole and cut off anywhere.
#include "ui/dialog_template_walk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

// Writes little-endian words; padding is 0xCD, so padding read as a field would show.
struct Writer {
    Bytes b;
    std::size_t headerEnd = 0;
    std::vector<std::size_t> itemEnds;
    void W(std::uint16_t w) { b.push_back(std::uint8_t(w)), b.push_back(std::uint8_t(w >> 8)); }
    void D(std::uint32_t d) { W(std::uint16_t(d)), W(std::uint16_t(d >> 16)); }
    void S(const char* s)
    {
        for (; *s; ++s)
            W(std::uint8_t(*s));
        W(0);
    }
    void O(std::uint16_t ordinal) { W(0xFFFF), W(ordinal); }
    void Item(std::uint32_t style, std::uint16_t id)
    {
        while (b.size() % 4)
            b.push_back(0xCD);
        D(style), D(0), W(std::uint16_t(-3)), W(60), W(68), W(14), W(id);
    }
    void End(std::uint16_t creationBytes)
    {
        W(creationBytes ? creationBytes + 2 : 0);
        b.insert(b.end(), creationBytes, 0x42);
        itemEnds.push_back(b.size());
    }
};

// A font, every variable field in both forms, odd lengths that need padding, creation data.
Writer RichTemplate()
{
    Writer t;
    t.D(0x10C00048), t.D(0), t.W(4), t.W(0), t.W(0), t.W(155), t.W(176);
    t.O(129), t.S("Class"), t.S("Quellar"), t.W(9), t.S("MS Shell Dlg");
    t.headerEnd = t.b.size();
    t.Item(0x50010000, 1000), t.O(0x80), t.S("Set Blacklist"), t.End(0);
    t.Item(0x50000003, 0xFFFF), t.O(0x82), t.O(128), t.End(6);
    t.Item(0x5000000E, 0xFFFF), t.O(0x82), t.O(200), t.End(1);
    t.Item(0, 7), t.S("Custom"), t.S(""), t.End(0);
    return t;
}

std::string Show(const TemplateField& f)
{
    std::string s = f.isOrdinal ? "#" + std::to_string(f.ordinal) : "";
    for (std::size_t i = 0; !f.isOrdinal && i < f.length; ++i)
        s += char(TemplateFieldUnit(f, i));
    return s;
}

struct Recorder : DialogTemplateVisitor {
    std::vector<std::string> seen;
    bool OnHeader(const DialogTemplateHeader& h) override
    {
        seen.push_back("style " + std::to_string(h.style) + " items " +
                       std::to_string(h.itemCount));
        return true;
    }
    void OnItem(const DialogItemRecord& r) override
    {
        const DialogItemFixed& f = r.fixed;
        seen.push_back(
            std::to_string(f.id) + " " + std::to_string(f.style) + " " + std::to_string(f.x) + "," +
            std::to_string(f.y) + "," + std::to_string(f.cx) + "," + std::to_string(f.cy) + " " +
            Show(r.windowClass) + " '" + Show(r.title) + "' " + std::to_string(r.creationDataSize) +
            (r.creationData && r.creationData[0] == 0x42 ? " data" : ""));
    }
};

// The bytes end right before an inaccessible page: a read past them crashes the test.
std::vector<std::string> WalkGuarded(const Bytes& bytes, std::size_t size, bool& result)
{
    const std::size_t page = 65536;
#ifdef _WIN32
    auto* block =
        static_cast<std::uint8_t*>(VirtualAlloc(nullptr, 2 * page, MEM_COMMIT, PAGE_READWRITE));
    DWORD old;
    VirtualProtect(block + page, page, PAGE_NOACCESS, &old);
#else
    auto* block = static_cast<std::uint8_t*>(
        mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(block + page, page, PROT_NONE);
#endif
    std::memcpy(block + page - size, bytes.data(), size);
    Recorder recorder;
    result = WalkDialogTemplate(block + page - size, size, recorder);
#ifdef _WIN32
    VirtualFree(block, 0, MEM_RELEASE);
#else
    munmap(block, 2 * page);
#endif
    return recorder.seen;
}

TEST(DialogTemplateWalk, ReportsTheHeaderAndEveryRecordInEachFieldForm)
{
    Writer noFont;  // no DS_SETFONT: no point size or face name follows the title
    noFont.D(0x10C00000), noFont.D(0), noFont.W(1), noFont.D(0), noFont.D(0), noFont.W(0),
        noFont.W(0), noFont.S("T");
    noFont.Item(0x50010000, 5), noFont.S("Button"), noFont.O(3), noFont.End(0);
    const struct {
        Bytes bytes;
        std::vector<std::string> seen;
    } cases[] = {
        {RichTemplate().b,
         {"style 281018440 items 4", "1000 1342242816 -3,60,68,14 #128 'Set Blacklist' 0",
          "65535 1342177283 -3,60,68,14 #130 '#128' 6 data",
          "65535 1342177294 -3,60,68,14 #130 '#200' 1 data", "7 0 -3,60,68,14 Custom '' 0"}},
        {noFont.b, {"style 281018368 items 1", "5 1342242816 -3,60,68,14 Button '#3' 0"}},
    };
    for (const auto& c : cases) {
        bool result = false;
        EXPECT_EQ(c.seen, WalkGuarded(c.bytes, c.bytes.size(), result));
        EXPECT_TRUE(result);
    }
}

// Cut off anywhere: no header before it is whole, then exactly the whole records, and false.
TEST(DialogTemplateWalk, ACutOffTemplateGivesTheWholeRecordsBeforeTheCut)
{
    const Writer t = RichTemplate();
    for (std::size_t size = 0; size < t.b.size(); ++size) {
        std::size_t whole = size >= t.headerEnd ? 1 : 0;
        for (std::size_t end : t.itemEnds)
            whole += end <= size;
        bool result = true;
        EXPECT_EQ(whole, WalkGuarded(t.b, size, result).size()) << size;
        EXPECT_FALSE(result) << size;
    }
}

TEST(DialogTemplateWalk, RefusesTheExtendedFormAndAnImpossibleCreationSize)
{
    Writer extended = RichTemplate();
    extended.b[0] = 1, extended.b[1] = 0, extended.b[2] = 0xFF, extended.b[3] = 0xFF;
    bool result = true;
    EXPECT_TRUE(WalkGuarded(extended.b, extended.b.size(), result).empty());
    EXPECT_FALSE(result);

    // A size of 1 would end the record inside its own size word: the records before it count.
    Writer badSize;
    badSize.D(0), badSize.D(0), badSize.W(2), badSize.D(0), badSize.D(0), badSize.W(0),
        badSize.W(0), badSize.W(0);
    badSize.Item(0, 1), badSize.O(0x80), badSize.S("a"), badSize.End(0);
    badSize.Item(0, 2), badSize.O(0x80), badSize.S("b"), badSize.W(1), badSize.W(0);
    EXPECT_EQ(2u, WalkGuarded(badSize.b, badSize.b.size(), result).size());
    EXPECT_FALSE(result);
}

}  // namespace
