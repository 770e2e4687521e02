// DeviceSim: notification HTML as text.
#include "shell/HtmlText.h"

#include <cctype>

namespace sim {

namespace {

std::u16string Lower(std::u16string s) {
    for (char16_t &c : s)
        if (c >= u'A' && c <= u'Z')
            c = char16_t(c - u'A' + u'a');
    return s;
}

bool Space(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The value of an attribute of a tag's text, quoted with ' or " or bare.
std::u16string Attribute(const std::u16string &tag, const std::u16string &name) {
    std::u16string lower = Lower(tag);
    for (size_t at = lower.find(name); at != std::u16string::npos; at = lower.find(name, at + 1)) {
        if (at == 0 || !Space(lower[at - 1]))
            continue;
        size_t p = at + name.size();
        while (p < tag.size() && Space(tag[p]))
            ++p;
        if (p >= tag.size() || tag[p] != u'=')
            continue;
        ++p;
        while (p < tag.size() && Space(tag[p]))
            ++p;
        if (p < tag.size() && (tag[p] == u'\'' || tag[p] == u'"')) {
            size_t end = tag.find(tag[p], p + 1);
            return tag.substr(p + 1,
                              end == std::u16string::npos ? std::u16string::npos : end - p - 1);
        }
        size_t end = p;
        while (end < tag.size() && !Space(tag[end]) && tag[end] != u'>' && tag[end] != u'/')
            ++end;
        return tag.substr(p, end - p);
    }
    return u"";
}

} // namespace

HtmlText RenderHtml(const std::u16string &html) {
    HtmlText out;
    bool pendingSpace = false;
    auto put = [&](char16_t c) {
        if (pendingSpace && !out.text.empty() && out.text.back() != u'\n')
            out.text += u' ';
        pendingSpace = false;
        out.text += c;
    };
    auto lineBreak = [&](int count) {
        pendingSpace = false;
        while (!out.text.empty() && out.text.back() == u' ')
            out.text.pop_back();
        for (int i = 0; i < count; ++i)
            out.text += u'\n';
    };
    for (size_t i = 0; i < html.size(); ++i) {
        char16_t c = html[i];
        if (c == u'<') {
            size_t end = html.find(u'>', i);
            if (end == std::u16string::npos)
                break; // an unfinished tag shows nothing
            std::u16string tag = html.substr(i + 1, end - i - 1);
            std::u16string lower = Lower(tag);
            size_t nameEnd = 0;
            while (nameEnd < lower.size() && !Space(lower[nameEnd]) && lower[nameEnd] != u'/')
                ++nameEnd;
            std::u16string name = lower.substr(0, nameEnd);
            if (name == u"br")
                lineBreak(1);
            else if (name == u"p" && !out.text.empty())
                lineBreak(out.text.back() == u'\n' ? 1 : 2);
            else if (name == u"input" && Lower(Attribute(tag, u"type")) == u"button")
                out.buttons.push_back(
                    HtmlButton{Attribute(tag, u"name"), Attribute(tag, u"value")});
            i = end;
            continue;
        }
        if (c == u'&') {
            static const struct {
                const char16_t *name;
                char16_t c;
            } entities[] = {{u"&amp;", u'&'},  {u"&lt;", u'<'},   {u"&gt;", u'>'},
                            {u"&quot;", u'"'}, {u"&#39;", u'\''}, {u"&nbsp;", u' '}};
            bool matched = false;
            for (const auto &e : entities) {
                std::u16string_view n(e.name);
                if (html.compare(i, n.size(), n) == 0) {
                    put(e.c);
                    i += n.size() - 1;
                    matched = true;
                    break;
                }
            }
            if (matched)
                continue;
        }
        if (Space(c)) {
            pendingSpace = true;
            continue;
        }
        put(c);
    }
    while (!out.text.empty() && (out.text.back() == u'\n' || out.text.back() == u' '))
        out.text.pop_back();
    return out;
}

} // namespace sim
