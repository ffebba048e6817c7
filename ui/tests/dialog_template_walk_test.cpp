// Tests the dialog-template walk on templates written byte by byte: each field form, the font
// flag, creation data, the extended form and an impossible creation size (a cut anywhere is the
// fuzzer's). The bytes are copied into a block of exactly their size, so the sanitizers see a
// read past them.
#include "ui/dialog_template_walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Writes little-endian words; padding is 0xCD, so padding read as a field would show.
struct Writer {
    std::vector<std::uint8_t> b;
    Writer& W(std::uint16_t w) { return b.push_back(std::uint8_t(w)), b.push_back(w >> 8), *this; }
    Writer& D(std::uint32_t d) { return W(std::uint16_t(d)).W(std::uint16_t(d >> 16)); }
    Writer& S(const char* s)
    {
        for (; *s; ++s)
            W(std::uint8_t(*s));
        return W(0);
    }
    Writer& O(std::uint16_t ordinal) { return W(0xFFFF).W(ordinal); }
    Writer& Header(std::uint32_t style, std::uint16_t items)
    {
        return D(style).D(0).W(items).D(0).D(0);
    }
    Writer& Item(std::uint32_t style, std::uint16_t id)
    {
        while (b.size() % 4)
            b.push_back(0xCD);
        return D(style).D(0).W(std::uint16_t(-3)).W(60).W(68).W(14).W(id);
    }
    Writer& Data(std::uint16_t bytes)  // the creation-data size word and the bytes after it
    {
        W(bytes ? bytes + 2 : 0);
        b.insert(b.end(), bytes, 0x42);
        return *this;
    }
};

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

std::vector<std::string> Walk(const std::vector<std::uint8_t>& bytes, std::size_t size, bool& whole)
{
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[size]);
    std::copy_n(bytes.begin(), size, block.get());
    Recorder recorder;
    whole = WalkDialogTemplate(block.get(), size, recorder);
    return recorder.seen;
}

// A font, every variable field in both forms, odd lengths that need padding, creation data.
Writer Rich()
{
    Writer t;
    t.Header(0x10C00048, 4).O(129).S("Class").S("Quellar").W(9).S("MS Shell Dlg");
    t.Item(0x50010000, 1000).O(0x80).S("Set Blacklist").Data(0);
    t.Item(0x50000003, 0xFFFF).O(0x82).O(128).Data(6);
    t.Item(0x5000000E, 0xFFFF).O(0x82).O(200).Data(1);
    t.Item(0, 7).S("Custom").S("").Data(0);
    return t;
}

TEST(DialogTemplateWalk, ReportsTheHeaderAndEveryRecordOrThoseBeforeAFault)
{
    Writer noFont, extended = Rich(), badSize;
    noFont.Header(0x10C00000, 1).W(0).W(0).S("T").Item(0x50010000, 5).S("Button").O(3).Data(0);
    extended.b[0] = 1, extended.b[1] = 0, extended.b[2] = 0xFF, extended.b[3] = 0xFF;
    badSize.Header(0, 2).W(0).W(0).W(0).Item(0, 1).O(0x80).S("a").Data(0);
    badSize.Item(0, 2).O(0x80).S("b").W(1).W(0);  // a size that ends inside its own word
    const struct {
        std::vector<std::uint8_t> bytes;
        bool whole;
        std::vector<std::string> seen;
    } cases[] = {
        {Rich().b,
         true,
         {"style 281018440 items 4", "1000 1342242816 -3,60,68,14 #128 'Set Blacklist' 0",
          "65535 1342177283 -3,60,68,14 #130 '#128' 6 data",
          "65535 1342177294 -3,60,68,14 #130 '#200' 1 data", "7 0 -3,60,68,14 Custom '' 0"}},
        {noFont.b, true, {"style 281018368 items 1", "5 1342242816 -3,60,68,14 Button '#3' 0"}},
        {extended.b, false, {}},
        {badSize.b, false, {"style 0 items 2", "1 0 -3,60,68,14 #128 'a' 0"}},
    };
    for (const auto& c : cases) {
        bool whole = !c.whole;
        EXPECT_EQ(c.seen, Walk(c.bytes, c.bytes.size(), whole));
        EXPECT_EQ(c.whole, whole);
    }
}

}  // namespace
