// Regions are exact pixel sets, whatever way they are built.
#include "gdi/Region.h"

#include <windows.h>

#include <gtest/gtest.h>

using sim::Rect;
using sim::Region;

namespace {

int Area(const Region &r) {
    int n = 0;
    for (const Rect &x : r.Rects())
        n += x.Width() * x.Height();
    return n;
}

} // namespace

TEST(Region, OperationsGiveExactPixelSets) {
    const Region a(Rect{0, 0, 10, 10});
    const Region b(Rect{5, 5, 15, 15});
    struct Case {
        const char *what;
        Region result;
        int area;
        int kind;
        Rect bounds;
    };
    const Case cases[] = {
        {"union", a.Union(b), 175, COMPLEXREGION, Rect{0, 0, 15, 15}},
        {"intersection", a.Intersect(b), 25, SIMPLEREGION, Rect{5, 5, 10, 10}},
        {"difference", a.Subtract(b), 75, COMPLEXREGION, Rect{0, 0, 10, 10}},
        {"xor", a.Xor(b), 150, COMPLEXREGION, Rect{0, 0, 15, 15}},
        {"disjoint intersection", a.Intersect(Region(Rect{20, 20, 30, 30})), 0, NULLREGION, Rect{}},
        {"empty rectangle", Region(Rect{5, 5, 5, 9}), 0, NULLREGION, Rect{}},
        {"hole", a.Subtract(Region(Rect{3, 3, 6, 6})), 91, COMPLEXREGION, Rect{0, 0, 10, 10}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Area(c.result), c.area);
        EXPECT_EQ(c.result.Kind(), c.kind);
        EXPECT_EQ(c.result.Bounds(), c.bounds);
    }
}

TEST(Region, SamePixelsCompareEqual) {
    // Rows of single-pixel runs merge into the same bands as one rectangle.
    std::vector<Rect> rows;
    for (int y = 0; y < 8; ++y)
        rows.push_back(Rect{2, y, 6, y + 1});
    EXPECT_EQ(Region::FromRects(rows), Region(Rect{2, 0, 6, 8}));
    Region pieces = Region(Rect{0, 0, 4, 4}).Union(Region(Rect{4, 0, 8, 4}));
    EXPECT_EQ(pieces, Region(Rect{0, 0, 8, 4}));
    EXPECT_EQ(pieces.Rects().size(), 1u);
    EXPECT_EQ(pieces.Subtract(pieces), Region());
}

TEST(Region, ContainsAndOffset) {
    Region ring = Region(Rect{0, 0, 10, 10}).Subtract(Region(Rect{2, 2, 8, 8}));
    const std::tuple<int, int, bool> points[] = {{0, 0, true},  {9, 9, true}, {10, 10, false},
                                                 {5, 5, false}, {1, 5, true}, {-1, 0, false}};
    for (auto [x, y, inside] : points)
        EXPECT_EQ(ring.Contains(x, y), inside) << x << "," << y;
    Region moved = ring.Offset(100, -50);
    EXPECT_TRUE(moved.Contains(100, -50));
    EXPECT_FALSE(moved.Contains(105, -45));
    EXPECT_EQ(moved.Offset(-100, 50), ring);
}
