// DeviceSim: the rectangle calls.
#include <windows.h>

#include "gdi/Rect.h"
#include "kernel/Context.h"

#include <algorithm>

using namespace sim;

BOOL WINAPI SetRect(LPRECT r, int l, int t, int rt, int b) {
    sim::CountCall("SetRect");
    if (!r)
        return FALSE;
    *r = RECT{l, t, rt, b};
    return TRUE;
}
BOOL WINAPI SetRectEmpty(LPRECT r) {
    sim::CountCall("SetRectEmpty");
    return SetRect(r, 0, 0, 0, 0);
}
BOOL WINAPI IsRectEmpty(const RECT *r) {
    sim::CountCall("IsRectEmpty");
    return !r || r->right <= r->left || r->bottom <= r->top ? TRUE : FALSE;
}
BOOL WINAPI PtInRect(const RECT *r, POINT p) {
    sim::CountCall("PtInRect");
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom ? TRUE : FALSE;
}
BOOL WINAPI OffsetRect(LPRECT r, int dx, int dy) {
    sim::CountCall("OffsetRect");
    if (!r)
        return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}
BOOL WINAPI IntersectRect(LPRECT d, const RECT *a, const RECT *b) {
    sim::CountCall("IntersectRect");
    if (!d || !a || !b)
        return FALSE;
    Rect r = Rect{a->left, a->top, a->right, a->bottom}.Intersect(
        Rect{b->left, b->top, b->right, b->bottom});
    *d = RECT{r.left, r.top, r.right, r.bottom};
    return r.Empty() ? FALSE : TRUE;
}
BOOL WINAPI UnionRect(LPRECT d, const RECT *a, const RECT *b) {
    sim::CountCall("UnionRect");
    if (!d || !a || !b)
        return FALSE;
    if (IsRectEmpty(a))
        *d = *b;
    else if (IsRectEmpty(b))
        *d = *a;
    else
        *d = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
                  std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    return IsRectEmpty(d) ? FALSE : TRUE;
}
BOOL WINAPI InflateRect(LPRECT r, int dx, int dy) {
    sim::CountCall("InflateRect");
    if (!r)
        return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}
BOOL WINAPI EqualRect(const RECT *a, const RECT *b) {
    sim::CountCall("EqualRect");
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
                   a->bottom == b->bottom
               ? TRUE
               : FALSE;
}
