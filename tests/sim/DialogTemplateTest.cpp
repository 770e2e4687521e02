// Dialog templates read as the documented binary forms: the standard and the
// extended header, names given by number or by string, the font block,
// item alignment and creation data; and templates cut short or malformed
// refused without reading past their end.
#include "user/DialogTemplate.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace {

// Writes a template as windres lays one out.
class Bytes {
public:
    Bytes &Word(uint16_t v) {
        b.push_back(uint8_t(v));
        b.push_back(uint8_t(v >> 8));
        return *this;
    }
    Bytes &Dword(uint32_t v) { return Word(uint16_t(v)).Word(uint16_t(v >> 16)); }
    Bytes &Text(std::u16string_view s) {
        for (char16_t c : s)
            Word(c);
        return Word(0);
    }
    Bytes &Ordinal(uint16_t n) { return Word(0xFFFF).Word(n); }
    Bytes &Align() {
        while (b.size() % 4)
            b.push_back(0);
        return *this;
    }
    std::vector<uint8_t> b;
};

// A DIALOG with FONT 8, "MS Shell Dlg" and the given items already written.
Bytes StandardHeader(DWORD style, uint16_t items, std::u16string_view title) {
    Bytes t;
    t.Dword(style).Dword(WS_EX_TOPMOST).Word(items);
    t.Word(7).Word(uint16_t(-3)).Word(156).Word(177);
    t.Word(0).Word(0).Text(title);
    if (style & DS_SETFONT)
        t.Word(8).Text(u"MS Shell Dlg");
    return t;
}

// A standard item.
void StandardItem(Bytes &t, DWORD style, uint16_t id, uint16_t classOrdinal,
                  std::u16string_view className, std::u16string_view title) {
    t.Align();
    t.Dword(style).Dword(0).Word(7).Word(7).Word(142).Word(163).Word(id);
    if (classOrdinal)
        t.Ordinal(classOrdinal);
    else
        t.Text(className);
    t.Text(title).Word(0);
}

// Parses from a heap block of exactly the template's size, so that a read
// past its end is caught by the address sanitizer.
bool Parse(const std::vector<uint8_t> &bytes, sim::DialogTemplate *out, std::string *why) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty())
        std::memcpy(exact.get(), bytes.data(), bytes.size());
    bool ok = sim::ParseDialogTemplate(exact.get(), bytes.size(), out, why);
    // Creation data points into the block; keep the reference valid for
    // the caller only through offsets.
    for (sim::TemplateItem &item : out->items)
        if (item.creationData)
            item.creationData = bytes.data() + (item.creationData - exact.get());
    return ok;
}

TEST(DialogTemplate, AStandardTemplateGivesItsHeaderFontAndItems) {
    Bytes t = StandardHeader(DS_SETFONT | WS_CHILD | WS_VISIBLE, 3, u"Cursor Settings");
    StandardItem(t, WS_CHILD | WS_TABSTOP, 1001, 0, u"SysTabControl32", u"");
    StandardItem(t, WS_CHILD | WS_GROUP, 1013, 0x0080, u"", u"Use Up and Down keys");
    StandardItem(t, WS_CHILD, 0xFFFF, 0x0082, u"", u"[?]");

    sim::DialogTemplate d;
    std::string why;
    ASSERT_TRUE(Parse(t.b, &d, &why)) << why;
    EXPECT_FALSE(d.extended);
    EXPECT_EQ(d.style, DWORD(DS_SETFONT | WS_CHILD | WS_VISIBLE));
    EXPECT_EQ(d.exStyle, DWORD(WS_EX_TOPMOST));
    EXPECT_EQ(d.x, 7);
    EXPECT_EQ(d.y, -3) << "coordinates are signed";
    EXPECT_EQ(d.cx, 156);
    EXPECT_EQ(d.cy, 177);
    EXPECT_TRUE(d.menu.Empty());
    EXPECT_TRUE(d.className.Empty()) << "0x0000: the system's dialog class";
    EXPECT_EQ(d.title, u"Cursor Settings");
    ASSERT_TRUE(d.font.has_value());
    EXPECT_EQ(d.font->points, 8);
    EXPECT_EQ(d.font->face, u"MS Shell Dlg");
    EXPECT_EQ(d.font->weight, FW_DONTCARE) << "a standard template has no weight";

    struct Case {
        const char *what;
        DWORD style;
        LONG_PTR id;
        bool classOrdinal;
        uint16_t ordinal;
        std::u16string className, title;
    } cases[] = {
        {"a class by name", WS_CHILD | WS_TABSTOP, 1001, false, 0, u"SysTabControl32", u""},
        {"BUTTON by ordinal", WS_CHILD | WS_GROUP, 1013, true, 0x0080, u"",
         u"Use Up and Down keys"},
        {"a WORD id of 0xFFFF stays 65535", WS_CHILD, 0xFFFF, true, 0x0082, u"", u"[?]"},
    };
    ASSERT_EQ(d.items.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        const sim::TemplateItem &item = d.items[i];
        EXPECT_EQ(item.style, c.style);
        EXPECT_EQ(item.id, c.id);
        EXPECT_EQ(item.className.isOrdinal, c.classOrdinal);
        EXPECT_EQ(item.className.ordinal, c.ordinal);
        EXPECT_EQ(item.className.text, c.className);
        EXPECT_EQ(item.title.text, c.title);
        EXPECT_EQ(item.x, 7);
        EXPECT_EQ(item.cy, 163);
        EXPECT_EQ(item.creationData, nullptr);
    }
}

TEST(DialogTemplate, AnExtendedTemplateGivesHelpIdsWeightsAndThirtyTwoBitIds) {
    Bytes t;
    t.Word(1).Word(0xFFFF).Dword(77).Dword(WS_EX_CONTROLPARENT).Dword(DS_SHELLFONT | WS_POPUP);
    t.Word(2).Word(0).Word(0).Word(100).Word(50);
    t.Ordinal(101).Text(u"PageClass").Text(u"About");
    t.Word(9).Word(FW_BOLD).Word(0x0001 | DEFAULT_CHARSET << 8).Text(u"Tahoma");
    t.Align();
    t.Dword(5).Dword(WS_EX_CLIENTEDGE).Dword(WS_CHILD | WS_TABSTOP);
    t.Word(1).Word(2).Word(3).Word(4).Dword(0xFFFFFFFF);
    t.Text(u"msctls_trackbar32").Ordinal(133).Word(0);
    t.Align();
    t.Dword(0).Dword(0).Dword(WS_CHILD).Word(0).Word(0).Word(10).Word(10).Dword(70000);
    t.Ordinal(0x0085).Text(u"").Word(0);

    sim::DialogTemplate d;
    std::string why;
    ASSERT_TRUE(Parse(t.b, &d, &why)) << why;
    EXPECT_TRUE(d.extended);
    EXPECT_EQ(d.helpId, 77u);
    EXPECT_EQ(d.exStyle, DWORD(WS_EX_CONTROLPARENT));
    EXPECT_EQ(d.style, DWORD(DS_SHELLFONT | WS_POPUP));
    EXPECT_TRUE(d.menu.isOrdinal);
    EXPECT_EQ(d.menu.ordinal, 101);
    EXPECT_EQ(d.className.text, u"PageClass");
    EXPECT_EQ(d.title, u"About");
    ASSERT_TRUE(d.font.has_value()) << "DS_SHELLFONT includes DS_SETFONT";
    EXPECT_EQ(d.font->points, 9);
    EXPECT_EQ(d.font->weight, FW_BOLD);
    EXPECT_TRUE(d.font->italic);
    EXPECT_EQ(d.font->charSet, DEFAULT_CHARSET);
    EXPECT_EQ(d.font->face, u"Tahoma");
    ASSERT_EQ(d.items.size(), 2u);
    EXPECT_EQ(d.items[0].helpId, 5u);
    EXPECT_EQ(d.items[0].exStyle, DWORD(WS_EX_CLIENTEDGE));
    EXPECT_EQ(d.items[0].style, DWORD(WS_CHILD | WS_TABSTOP));
    EXPECT_EQ(d.items[0].id, -1) << "a DWORD id of -1 stays -1";
    EXPECT_EQ(d.items[0].className.text, u"msctls_trackbar32");
    EXPECT_TRUE(d.items[0].title.isOrdinal) << "a picture's resource number";
    EXPECT_EQ(d.items[0].title.ordinal, 133);
    EXPECT_EQ(d.items[1].id, 70000) << "ids above 16 bits";
    EXPECT_EQ(d.items[1].className.ordinal, 0x0085);
}

// Each item starts on a 32-bit boundary whatever the strings before it
// take; creation data is passed from its size word.
TEST(DialogTemplate, ItemsStartOnDwordBoundariesAfterTheirCreationData) {
    struct Case {
        const char *what;
        std::u16string title;           // of the first item: moves the boundary
        std::vector<uint16_t> creation; // of the first item
    } cases[] = {
        {"no padding needed", u"ab", {}},
        {"one word of padding", u"a", {}},
        {"creation data of one word", u"", {0xBEEF}},
        {"creation data of two words", u"abc", {0x1234, 0x5678}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Bytes t = StandardHeader(WS_POPUP, 2, u"x");
        t.Align();
        t.Dword(WS_CHILD).Dword(0).Word(1).Word(2).Word(3).Word(4).Word(10);
        t.Ordinal(0x0080).Text(c.title);
        size_t sizeWord = t.b.size();
        t.Word(uint16_t(c.creation.size() * 2));
        for (uint16_t w : c.creation)
            t.Word(w);
        StandardItem(t, WS_CHILD | WS_TABSTOP, 20, 0x0081, u"", u"second");

        sim::DialogTemplate d;
        std::string why;
        ASSERT_TRUE(Parse(t.b, &d, &why)) << why;
        ASSERT_EQ(d.items.size(), 2u);
        EXPECT_EQ(d.items[0].title.text, c.title);
        if (c.creation.empty()) {
            EXPECT_EQ(d.items[0].creationData, nullptr);
        } else {
            EXPECT_EQ(d.items[0].creationData, t.b.data() + sizeWord);
            EXPECT_EQ(d.items[0].creationSize, c.creation.size() * 2);
        }
        EXPECT_EQ(d.items[1].id, 20);
        EXPECT_EQ(d.items[1].className.ordinal, 0x0081);
        EXPECT_EQ(d.items[1].title.text, u"second");
    }
}

TEST(DialogTemplate, TheMessageFontSizeEndsTheFontBlock) {
    Bytes t;
    t.Dword(DS_SETFONT | WS_POPUP).Dword(0).Word(1).Word(0).Word(0).Word(10).Word(10);
    t.Word(0).Word(0).Text(u"").Word(0x7FFF);
    StandardItem(t, WS_CHILD, 3, 0x0082, u"", u"text");
    sim::DialogTemplate d;
    std::string why;
    ASSERT_TRUE(Parse(t.b, &d, &why)) << why;
    ASSERT_TRUE(d.font.has_value());
    EXPECT_EQ(d.font->points, 0x7FFF);
    EXPECT_TRUE(d.font->face.empty());
    ASSERT_EQ(d.items.size(), 1u);
    EXPECT_EQ(d.items[0].title.text, u"text");
}

TEST(DialogTemplate, NoCutOfAValidTemplateIsAccepted) {
    // Both forms, ending in an item with creation data, so that every byte
    // of the template is needed.
    Bytes standard = StandardHeader(DS_SETFONT | WS_POPUP, 2, u"Title");
    StandardItem(standard, WS_CHILD, 1, 0, u"SysListView32", u"");
    standard.Align();
    standard.Dword(WS_CHILD).Dword(0).Word(1).Word(2).Word(3).Word(4).Word(2);
    standard.Ordinal(0x0080).Text(u"OK").Word(4).Word(1).Word(2);

    Bytes extended;
    extended.Word(1).Word(0xFFFF).Dword(0).Dword(0).Dword(DS_SETFONT | WS_POPUP);
    extended.Word(1).Word(0).Word(0).Word(50).Word(50);
    extended.Word(0).Word(0).Text(u"T").Word(8).Word(FW_NORMAL).Word(0).Text(u"MS Shell Dlg");
    extended.Align();
    extended.Dword(0).Dword(0).Dword(WS_CHILD).Word(0).Word(0).Word(9).Word(9).Dword(7);
    extended.Ordinal(0x0082).Text(u"abc").Word(2).Word(0xAAAA);

    for (const Bytes *whole : {&standard, &extended}) {
        sim::DialogTemplate d;
        std::string why;
        ASSERT_TRUE(Parse(whole->b, &d, &why)) << why;
        for (size_t cut = 0; cut < whole->b.size(); ++cut) {
            SCOPED_TRACE(cut);
            std::vector<uint8_t> part(whole->b.begin(), whole->b.begin() + cut);
            EXPECT_FALSE(Parse(part, &d, &why));
            EXPECT_FALSE(why.empty());
        }
    }
}

TEST(DialogTemplate, MalformedTemplatesAreRefusedWithTheReason) {
    auto header = [](uint16_t items) {
        Bytes t;
        t.Dword(WS_POPUP).Dword(0).Word(items).Word(0).Word(0).Word(10).Word(10);
        return t;
    };
    struct Case {
        const char *what;
        std::vector<uint8_t> bytes;
        const char *reason; // a part of the reason given
    } cases[] = {
        {"nothing at all", {}, "header"},
        {"an extended template of version 2",
         Bytes().Word(2).Word(0xFFFF).Dword(0).Dword(0).Dword(0).Word(0).Dword(0).Dword(0).b,
         "version 2"},
        {"a menu ordinal without its number", header(0).Word(0xFFFF).b, "menu"},
        {"a class name without its end", header(0).Word(0).Word('A').Word('B').b, "class"},
        {"a title without its end", header(0).Word(0).Word(0).Word('T').b, "title"},
        {"a title cut in half a character",
         [&] {
             auto b = header(0).Word(0).Word(0).Word('T').b;
             b.push_back(0);
             return b;
         }(),
         "title"},
        {"DS_SETFONT without the font",
         Bytes().Dword(DS_SETFONT).Dword(0).Word(0).Dword(0).Dword(0).Word(0).Word(0).Word(0).b,
         "font"},
        {"more items than the template holds", header(2).Word(0).Word(0).Word(0).b, "item 1"},
        {"creation data longer than what follows",
         [&] {
             Bytes t = header(1).Word(0).Word(0).Word(0);
             t.Align().Dword(0).Dword(0).Word(0).Word(0).Word(0).Word(0).Word(1);
             t.Ordinal(0x80).Text(u"").Word(40).Word(1);
             return t.b;
         }(),
         "creation data"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        sim::DialogTemplate d;
        std::string why;
        EXPECT_FALSE(Parse(c.bytes, &d, &why));
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
    std::string why;
    sim::DialogTemplate d;
    EXPECT_FALSE(sim::ParseDialogTemplate(nullptr, 100, &d, &why)) << "no template at all";
}

TEST(DialogTemplate, PredefinedClassOrdinalsNameTheSystemClasses) {
    struct Case {
        uint16_t ordinal;
        const char16_t *name;
    } cases[] = {
        {0x0080, u"BUTTON"},  {0x0081, u"EDIT"},      {0x0082, u"STATIC"},
        {0x0083, u"LISTBOX"}, {0x0084, u"SCROLLBAR"}, {0x0085, u"COMBOBOX"},
        {0x0086, nullptr},    {0x007F, nullptr},      {0x0000, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ordinal);
        const char16_t *name = sim::PredefinedClassName(c.ordinal);
        if (!c.name)
            EXPECT_EQ(name, nullptr);
        else
            EXPECT_EQ(std::u16string(name), c.name);
    }
}

} // namespace
