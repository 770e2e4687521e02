// Texts as device scripts print them: UTF-8, with the few escapes a reader
// turns back, and the UTF-8 coding under them.
#include "kernel/Utf8.h"
#include "kernel/Kernel.h"

#include <gtest/gtest.h>

namespace {

// What a reader of a printed line does: \" \n \\ are escapes, every other
// backslash stands for itself.
std::string Unquote(const std::string &quoted) {
    std::string text;
    for (size_t i = 1; i + 1 < quoted.size(); ++i) {
        char c = quoted[i];
        char next = i + 2 < quoted.size() ? quoted[i + 1] : '\0';
        if (c == '\\' && (next == '"' || next == '\\')) {
            text += next;
            ++i;
        } else if (c == '\\' && next == 'n') {
            text += '\n';
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

} // namespace

TEST(Utf8, PrintedTextsEscapeOnlyWhatAReaderWouldMisread) {
    struct Case {
        std::u16string text;
        std::string printed;
    };
    const Case cases[] = {
        {u"\\Program Files\\Pointrel\\Pointrel.exe", R"("\Program Files\Pointrel\Pointrel.exe")"},
        {u"\\Windows\\notes.exe", R"("\Windows\\notes.exe")"},
        {u"\\My Folder\\", R"("\My Folder\\")"},
        {u"a\\\\b", R"("a\\\b")"},
        {u"say \"hi\"", R"("say \"hi\"")"},
        {u"end\\\"", R"("end\\\"")"},
        {u"two\r\nlines", R"("two\nlines")"},
        {u"back\\\nslash", R"("back\\\nslash")"},
        {u"caf\u00e9 \u20ac", "\"caf\xc3\xa9 \xe2\x82\xac\""},
        {u"\U0001F600", "\"\xf0\x9f\x98\x80\""},
        {u"lone \xD800 surrogate", "\"lone \xef\xbf\xbd surrogate\""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.printed);
        std::string printed = sim::QuoteText(c.text);
        EXPECT_EQ(printed, c.printed);
        std::u16string back;
        ASSERT_TRUE(sim::FromUtf8(Unquote(printed), &back));
        std::u16string expected;
        for (char16_t ch : c.text)
            if (ch != u'\r')
                expected += ch == 0xD800 ? char16_t(0xFFFD) : ch;
        EXPECT_EQ(back, expected);
    }
}

TEST(Utf8, MalformedInputIsRefused) {
    const char *const malformed[] = {
        "\x80",             // a continuation byte alone
        "\xc3",             // cut short
        "\xc0\xaf",         // overlong
        "\xed\xa0\x80",     // an encoded surrogate
        "\xf4\x90\x80\x80", // past U+10FFFF
        "\xff",
    };
    for (const char *bytes : malformed) {
        SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
        std::u16string out;
        EXPECT_FALSE(sim::FromUtf8(bytes, &out));
    }
}
