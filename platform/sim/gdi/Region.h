// DeviceSim: regions as exact sets of pixels.
//
// A region is kept in the canonical banded form: horizontal bands sorted top
// to bottom, each with sorted, disjoint, non-touching x spans, and no two
// adjacent bands with the same spans. Two regions that cover the same pixels
// are therefore equal field by field.
#pragma once

#include "gdi/Rect.h"

#include <vector>

namespace sim {

class Region {
public:
    Region() = default;
    explicit Region(const Rect &r);
    static Region FromRects(const std::vector<Rect> &rects);

    bool Empty() const { return bands_.empty(); }
    Rect Bounds() const;
    bool Contains(int32_t x, int32_t y) const;
    // NULLREGION (1), SIMPLEREGION (2) or COMPLEXREGION (3).
    int Kind() const;
    // The region as rectangles, band by band from the top, left to right.
    std::vector<Rect> Rects() const;

    Region Union(const Region &o) const { return Combine(o, Op::Or); }
    Region Intersect(const Region &o) const { return Combine(o, Op::And); }
    Region Subtract(const Region &o) const { return Combine(o, Op::Diff); }
    Region Xor(const Region &o) const { return Combine(o, Op::Xor); }
    Region Offset(int32_t dx, int32_t dy) const;

    bool operator==(const Region &o) const = default;

private:
    enum class Op { And, Or, Diff, Xor };
    struct Span {
        int32_t left, right;
        bool operator==(const Span &o) const = default;
    };
    struct Band {
        int32_t top, bottom;
        std::vector<Span> spans;
        bool operator==(const Band &o) const = default;
    };
    Region Combine(const Region &o, Op op) const;
    const std::vector<Span> *SpansAt(int32_t y) const;
    void Append(int32_t top, int32_t bottom, std::vector<Span> spans);

    std::vector<Band> bands_;
};

} // namespace sim
