// The plain text of a notification's HTML, for desktop stand-ins that show
// it in a message box. Plain code over any 16-bit character type, shared
// with the host's tests.
#ifndef POINTREL_DESKTOP_HTMLTEXT_H
#define POINTREL_DESKTOP_HTMLTEXT_H

namespace html_text {

template <typename Char> Char AsciiLower(Char c) {
    return c >= 'A' && c <= 'Z' ? (Char)(c - 'A' + 'a') : c;
}

// Whether `text` begins with the ASCII `prefix`, ignoring case.
template <typename Char> bool StartsWith(const Char *text, const char *prefix) {
    for (; *prefix != 0; ++text, ++prefix)
        if (*text == 0 || AsciiLower(*text) != (Char)AsciiLower(*prefix))
            return false;
    return true;
}

// Whether the tag at `tag` (its '<') is <br>, <p> or </p>, with or without
// attributes; "<pre>" and "<param>" are not.
template <typename Char> bool IsBreakTag(const Char *tag) {
    int name;
    if (StartsWith(tag, "<br"))
        name = 3;
    else if (StartsWith(tag, "</p"))
        name = 3;
    else if (StartsWith(tag, "<p"))
        name = 2;
    else
        return false;
    Char end = tag[name];
    return end == '>' || end == ' ' || end == '/' || end == 0;
}

} // namespace html_text

// Writes the text of `html` to `out` (`capacity` characters, at least 1):
// tags dropped, <br> and paragraph tags as one new line, the entities &amp;
// &lt; &gt; &quot; &nbsp; decoded, trailing new lines removed. The result
// always ends with a zero; text that does not fit is cut.
template <typename Char> void HtmlToPlainText(const Char *html, Char *out, int capacity) {
    static const struct {
        const char *name;
        char character;
    } ENTITIES[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&nbsp;", ' '}};
    if (capacity <= 0)
        return;
    int length = 0;
    for (const Char *p = html; p != 0 && *p != 0 && length < capacity - 1;) {
        if (*p == '<') {
            if (html_text::IsBreakTag(p) && length > 0 && out[length - 1] != '\n')
                out[length++] = '\n';
            while (*p != 0 && *p != '>')
                ++p;
            if (*p == '>')
                ++p;
            continue;
        }
        bool decoded = false;
        if (*p == '&')
            for (unsigned i = 0; i < sizeof ENTITIES / sizeof ENTITIES[0] && !decoded; ++i)
                if (html_text::StartsWith(p, ENTITIES[i].name)) {
                    out[length++] = (Char)ENTITIES[i].character;
                    for (const char *n = ENTITIES[i].name; *n != 0; ++n)
                        ++p;
                    decoded = true;
                }
        if (!decoded)
            out[length++] = *p++;
    }
    while (length > 0 && out[length - 1] == '\n')
        --length;
    out[length] = 0;
}

#endif
