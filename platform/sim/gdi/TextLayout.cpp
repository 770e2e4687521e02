// DeviceSim: the text layout DrawText uses.
#include "gdi/TextLayout.h"

#include <algorithm>
#include <limits>

namespace sim {

namespace {

int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// A character as it will be drawn, after prefix handling.
struct Shown {
    char16_t ch;
    bool underline;
};

std::vector<Shown> ResolvePrefixes(std::u16string_view text, bool prefixes) {
    std::vector<Shown> shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (prefixes && text[i] == u'&') {
            if (++i == text.size())
                break;
            shown.push_back({text[i], text[i] != u'&'});
        } else {
            shown.push_back({text[i], false});
        }
    }
    return shown;
}

bool IsBreak(char16_t ch) {
    return ch == u'\r' || ch == u'\n';
}

// Splits one paragraph [begin, end) into lines no wider than `fit` pixels
// where it can, as [begin, end) ranges appended to `lines`. `left[i]` is the
// width of everything before character i.
void WrapParagraph(const std::vector<Shown> &shown, const std::vector<int64_t> &left, size_t begin,
                   size_t end, int64_t fit, std::vector<std::pair<size_t, size_t>> &lines) {
    auto isSpace = [&](size_t i) { return shown[i].ch == u' '; };
    size_t start = begin;
    for (;;) {
        // The first word goes on the line whether it fits or not, with the
        // paragraph's indentation if this is its first line.
        size_t stop = start;
        while (stop < end && isSpace(stop))
            ++stop;
        while (stop < end && !isSpace(stop))
            ++stop;
        size_t next = end;
        while (stop < end) {
            size_t wordStart = stop;
            while (wordStart < end && isSpace(wordStart))
                ++wordStart;
            size_t wordEnd = wordStart;
            while (wordEnd < end && !isSpace(wordEnd))
                ++wordEnd;
            if (left[wordEnd] - left[start] <= fit) {
                stop = wordEnd;
                continue;
            }
            if (wordStart < end)
                next = wordStart;
            break; // trailing spaces that do not fit are simply dropped
        }
        lines.emplace_back(start, stop);
        if (next == end)
            return;
        start = next;
    }
}

} // namespace

int64_t TextMeasure::Width(std::u16string_view text) const {
    int64_t width = 0;
    for (char16_t ch : text)
        width += Advance(ch);
    return width;
}

Rect ClampRect(int64_t left, int64_t top, int64_t right, int64_t bottom, const Rect &within) {
    Rect r{Saturate(std::max<int64_t>(left, within.left)),
           Saturate(std::max<int64_t>(top, within.top)),
           Saturate(std::min<int64_t>(right, within.right)),
           Saturate(std::min<int64_t>(bottom, within.bottom))};
    return r.Empty() ? Rect{} : r;
}

TextLayout LayoutText(std::u16string_view text, int64_t boxWidth, int64_t boxHeight, UINT format,
                      const TextMeasure &measure) {
    boxWidth = std::max<int64_t>(boxWidth, 0);
    boxHeight = std::max<int64_t>(boxHeight, 0);
    const int64_t lineHeight = measure.LineHeight();
    const bool single = format & DT_SINGLELINE;

    std::vector<Shown> shown = ResolvePrefixes(text, !(format & DT_NOPREFIX));
    std::vector<int64_t> left(shown.size() + 1, 0);
    for (size_t i = 0; i < shown.size(); ++i)
        left[i + 1] = left[i] + measure.Advance(shown[i].ch);

    std::vector<std::pair<size_t, size_t>> ranges;
    if (single) {
        ranges.emplace_back(0, shown.size());
    } else {
        size_t begin = 0;
        while (begin < shown.size()) {
            size_t end = begin;
            while (end < shown.size() && !IsBreak(shown[end].ch))
                ++end;
            if (format & DT_WORDBREAK)
                WrapParagraph(shown, left, begin, end, boxWidth, ranges);
            else
                ranges.emplace_back(begin, end);
            if (end < shown.size() && shown[end].ch == u'\r' && end + 1 < shown.size() &&
                shown[end + 1].ch == u'\n')
                ++end;
            begin = end + 1;
        }
    }

    TextLayout layout;
    for (const auto &[begin, end] : ranges) {
        TextLine line;
        for (size_t i = begin; i < end; ++i) {
            if (shown[i].underline)
                line.underlined.push_back(i - begin);
            line.text.push_back(shown[i].ch);
        }
        line.width = left[end] - left[begin];
        if (format & DT_CENTER)
            line.x = (boxWidth - line.width) / 2;
        else if (format & DT_RIGHT)
            line.x = boxWidth - line.width;
        line.y = static_cast<int64_t>(layout.lines.size()) * lineHeight;
        layout.width = std::max(layout.width, line.width);
        layout.lines.push_back(std::move(line));
    }
    layout.height = static_cast<int64_t>(layout.lines.size()) * lineHeight;
    if (single && (format & (DT_VCENTER | DT_BOTTOM))) {
        int64_t y = format & DT_VCENTER ? (boxHeight - lineHeight) / 2 : boxHeight - lineHeight;
        layout.lines.front().y = y;
    }
    return layout;
}

} // namespace sim
