#include "gdi/Region.h"

#include <algorithm>

namespace sim {

Region::Region(const Rect &r) {
    if (!r.Empty())
        bands_.push_back(Band{r.top, r.bottom, {Span{r.left, r.right}}});
}

Region Region::FromRects(const std::vector<Rect> &rects) {
    // Union band by band: collect every y edge, then each band's spans.
    std::vector<int32_t> edges;
    for (const Rect &r : rects)
        if (!r.Empty()) {
            edges.push_back(r.top);
            edges.push_back(r.bottom);
        }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    Region out;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        std::vector<Span> spans;
        for (const Rect &r : rects)
            if (!r.Empty() && r.top <= edges[i] && r.bottom >= edges[i + 1])
                spans.push_back(Span{r.left, r.right});
        std::sort(spans.begin(), spans.end(),
                  [](const Span &a, const Span &b) { return a.left < b.left; });
        std::vector<Span> merged;
        for (const Span &s : spans) {
            if (!merged.empty() && s.left <= merged.back().right)
                merged.back().right = std::max(merged.back().right, s.right);
            else
                merged.push_back(s);
        }
        out.Append(edges[i], edges[i + 1], std::move(merged));
    }
    return out;
}

Rect Region::Bounds() const {
    if (bands_.empty())
        return Rect{};
    Rect r{bands_.front().spans.front().left, bands_.front().top, bands_.front().spans.back().right,
           bands_.back().bottom};
    for (const Band &b : bands_) {
        r.left = std::min(r.left, b.spans.front().left);
        r.right = std::max(r.right, b.spans.back().right);
    }
    return r;
}

const std::vector<Region::Span> *Region::SpansAt(int32_t y) const {
    for (const Band &b : bands_)
        if (y >= b.top && y < b.bottom)
            return &b.spans;
    return nullptr;
}

bool Region::Contains(int32_t x, int32_t y) const {
    const std::vector<Span> *spans = SpansAt(y);
    if (!spans)
        return false;
    for (const Span &s : *spans)
        if (x >= s.left && x < s.right)
            return true;
    return false;
}

int Region::Kind() const {
    if (bands_.empty())
        return 1;
    return bands_.size() == 1 && bands_[0].spans.size() == 1 ? 2 : 3;
}

std::vector<Rect> Region::Rects() const {
    std::vector<Rect> out;
    for (const Band &b : bands_)
        for (const Span &s : b.spans)
            out.push_back(Rect{s.left, b.top, s.right, b.bottom});
    return out;
}

Region Region::Offset(int32_t dx, int32_t dy) const {
    Region out = *this;
    for (Band &b : out.bands_) {
        b.top += dy;
        b.bottom += dy;
        for (Span &s : b.spans) {
            s.left += dx;
            s.right += dx;
        }
    }
    return out;
}

void Region::Append(int32_t top, int32_t bottom, std::vector<Span> spans) {
    if (spans.empty() || top >= bottom)
        return;
    if (!bands_.empty() && bands_.back().bottom == top && bands_.back().spans == spans) {
        bands_.back().bottom = bottom;
        return;
    }
    bands_.push_back(Band{top, bottom, std::move(spans)});
}

namespace {

bool Keep(bool a, bool b, int op) {
    switch (op) {
    case 0: return a && b;
    case 1: return a || b;
    case 2: return a && !b;
    default: return a != b;
    }
}

} // namespace

Region Region::Combine(const Region &o, Op op) const {
    // Most windows on a screen lie apart; their regions combine without a
    // sweep.
    if (Empty() || o.Empty() || Bounds().Intersect(o.Bounds()).Empty()) {
        switch (op) {
        case Op::And: return Region();
        case Op::Diff: return *this;
        default:
            if (Empty())
                return o;
            if (o.Empty())
                return *this;
            break;
        }
    }

    std::vector<int32_t> edges;
    for (const Band &b : bands_) {
        edges.push_back(b.top);
        edges.push_back(b.bottom);
    }
    for (const Band &b : o.bands_) {
        edges.push_back(b.top);
        edges.push_back(b.bottom);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    static const std::vector<Span> none;
    // Both band lists are sorted, so each is walked once alongside the edges.
    auto spansAt = [](const std::vector<Band> &bands, size_t &next, int32_t y) {
        while (next < bands.size() && bands[next].bottom <= y)
            ++next;
        return next < bands.size() && bands[next].top <= y ? &bands[next].spans : &none;
    };
    size_t nextA = 0;
    size_t nextB = 0;
    Region out;
    std::vector<int32_t> xs;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        const std::vector<Span> *a = spansAt(bands_, nextA, edges[i]);
        const std::vector<Span> *b = spansAt(o.bands_, nextB, edges[i]);
        // Sweep the x edges of both span lists.
        xs.clear();
        for (const Span &s : *a) {
            xs.push_back(s.left);
            xs.push_back(s.right);
        }
        for (const Span &s : *b) {
            xs.push_back(s.left);
            xs.push_back(s.right);
        }
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        std::vector<Span> spans;
        auto inside = [](const std::vector<Span> &list, int32_t x) {
            for (const Span &s : list)
                if (x >= s.left && x < s.right)
                    return true;
            return false;
        };
        for (size_t j = 0; j + 1 < xs.size(); ++j) {
            if (!Keep(inside(*a, xs[j]), inside(*b, xs[j]), static_cast<int>(op)))
                continue;
            if (!spans.empty() && spans.back().right == xs[j])
                spans.back().right = xs[j + 1];
            else
                spans.push_back(Span{xs[j], xs[j + 1]});
        }
        out.Append(edges[i], edges[i + 1], std::move(spans));
    }
    return out;
}

} // namespace sim
