// The plain text that the desktop build's notification box shows for a
// notification's HTML.
#include "../../platform/desktop/include/HtmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Plain(const std::u16string &html, int capacity = 256) {
    std::u16string out(static_cast<size_t>(capacity) + 1, u'#');
    HtmlToPlainText(html.c_str(), out.data(), capacity);
    EXPECT_EQ(out[static_cast<size_t>(capacity)], u'#') << "wrote past the capacity";
    return std::u16string(out.c_str());
}

} // namespace

TEST(HtmlText, TagsGoAndBreaksBecomeNewLines) {
    struct Case {
        const char *what;
        std::u16string html, text;
    };
    const Case cases[] = {
        {"plain text", u"Speed", u"Speed"},
        {"inline tags", u"<b>Fast</b> and <i>slow</i>", u"Fast and slow"},
        {"line breaks", u"one<br>two<BR/>three<br />four", u"one\ntwo\nthree\nfour"},
        {"paragraphs", u"<p>first</p><p align=left>second</p>", u"first\nsecond"},
        {"no break before the first text", u"<p><br>text", u"text"},
        {"trailing breaks dropped", u"text<br><br>", u"text"},
        {"pre and param are no paragraphs", u"a<pre>b</pre><param>c", u"abc"},
        {"entities", u"&lt;OK&gt; &amp; &quot;Save&quot;&nbsp;now", u"<OK> & \"Save\" now"},
        {"unknown entity kept", u"&copy; 2007", u"&copy; 2007"},
        {"unclosed tag ends the text", u"text<b", u"text"},
        {"empty", u"", u""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Plain(c.html), c.text);
    }
}

TEST(HtmlText, LongTextIsCutAndAlwaysEnds) {
    EXPECT_EQ(Plain(u"abcdefgh", 5), u"abcd");
    EXPECT_EQ(Plain(u"ab&amp;cd", 4), u"ab&");
    EXPECT_EQ(Plain(u"abc", 1), u"");
    char16_t out[4] = {u'x', u'x', u'x', u'x'};
    HtmlToPlainText<char16_t>(nullptr, out, 4);
    EXPECT_EQ(out[0], u'\0');
}
