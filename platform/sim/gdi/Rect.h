// DeviceSim: a rectangle in device pixels, right and bottom exclusive.
#pragma once

#include <algorithm>
#include <cstdint>

namespace sim {

struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    bool Empty() const { return right <= left || bottom <= top; }
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool Contains(int32_t x, int32_t y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
    Rect Intersect(const Rect &o) const {
        Rect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right),
               std::min(bottom, o.bottom)};
        return r.Empty() ? Rect{} : r;
    }
    Rect Offset(int32_t dx, int32_t dy) const {
        return Rect{left + dx, top + dy, right + dx, bottom + dy};
    }
    bool operator==(const Rect &o) const = default;
};

} // namespace sim
