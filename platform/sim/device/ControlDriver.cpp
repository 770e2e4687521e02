// DeviceSim: the driver of a device working the controls of a dialog as a
// user would — taps where a user aims, rows, tabs and thumb drags — and
// reading them back for `print dialog`.
#include "device/Device.h"
#include "gdi/Region.h"
#include "user/Controls.h"
#include "user/WindowManager.h"

#include <algorithm>

namespace sim {

namespace {

// A top-level window with the title, visible ones first.
Window *TopLevelTitled(WindowManager &wm, const std::u16string &title) {
    Window *hidden = nullptr;
    for (Window *w : wm.TopLevel())
        if (!w->destroying && w->title == title) {
            if (w->Visible())
                return w;
            if (!hidden)
                hidden = w;
        }
    return hidden;
}

void Descendants(Window *w, std::vector<Window *> &out) {
    // A new child goes to the bottom of the z-order, so its siblings stand
    // in creation order unless a program moved them.
    for (Window *child : w->children) {
        if (child->destroying)
            continue;
        out.push_back(child);
        Descendants(child, out);
    }
}

bool ShownAll(const Window *w) {
    for (; w; w = w->parent)
        if (!w->Visible())
            return false;
    return true;
}

// The control with the id: the visible one when several have it.
Window *FindControl(WindowManager &wm, const std::u16string &title, int id, std::string *why) {
    Window *top = TopLevelTitled(wm, title);
    if (!top) {
        *why = "no window titled \"" + Narrow(title) + "\"";
        return nullptr;
    }
    std::vector<Window *> all;
    Descendants(top, all);
    Window *found = nullptr;
    for (Window *w : all)
        if (w->id == id) {
            if (ShownAll(w))
                return w;
            if (!found)
                found = w;
        }
    *why = found ? "control " + std::to_string(id) + " is hidden"
                 : "no control " + std::to_string(id) + " in \"" + Narrow(title) + "\"";
    return nullptr;
}

// The centre of the largest uncovered part of `area` (screen coordinates)
// of the window; nullopt when none of it can be seen.
std::optional<POINT> AimAt(WindowManager &wm, Window *w, const Rect &area) {
    // Its own children cover nothing a user would aim past.
    Region visible = wm.VisibleRegion(w);
    for (Window *child : w->children)
        if (child->Visible())
            visible = visible.Union(wm.VisibleRegion(child));
    visible = visible.Intersect(Region(area));
    std::optional<Rect> best;
    for (const Rect &r : visible.Rects())
        if (!best || int64_t{r.Width()} * r.Height() > int64_t{best->Width()} * best->Height())
            best = r;
    if (!best || best->Empty())
        return std::nullopt;
    return POINT{(best->left + best->right) / 2, (best->top + best->bottom) / 2};
}

} // namespace

bool Device::TapInside(Window *w, const Rect &area, const std::string &what, std::string *why) {
    std::optional<POINT> at = AimAt(*windows_, w, area);
    if (!at) {
        *why = what + " is covered";
        return false;
    }
    StylusDown(at->x, at->y);
    Wait(100);
    StylusUp(at->x, at->y);
    kernel_.scheduler().RunUntil(Now());
    return true;
}

bool Device::TapControl(const std::u16string &title, int id, std::string *why) {
    Boot();
    kernel_.EnterAsDriver();
    Window *w = FindControl(*windows_, title, id, why);
    if (!w)
        return false;
    return TapInside(w, windows_->ScreenRect(w), "control " + std::to_string(id), why);
}

bool Device::SelectRow(const std::u16string &title, int id, int row, std::string *why) {
    Boot();
    kernel_.EnterAsDriver();
    Window *w = FindControl(*windows_, title, id, why);
    if (!w)
        return false;
    if (!StateAs<ControlState>(w) || DescribeControl(w).words.rfind("rows ", 0) != 0) {
        *why = "control " + std::to_string(id) + " is not a list view";
        return false;
    }
    std::optional<Rect> area = ListViewRowArea(*windows_, w, row);
    if (!area) {
        *why = "list view " + std::to_string(id) + " has no row " + std::to_string(row);
        return false;
    }
    kernel_.scheduler().RunUntil(Now()); // the list repaints scrolled
    return TapInside(w, *area, "row " + std::to_string(row), why);
}

bool Device::SlideTrackbar(const std::u16string &title, int id, int position, std::string *why) {
    Boot();
    kernel_.EnterAsDriver();
    Window *w = FindControl(*windows_, title, id, why);
    if (!w)
        return false;
    std::optional<int> from = TrackbarPosition(w);
    if (!from) {
        *why = "control " + std::to_string(id) + " is not a trackbar";
        return false;
    }
    std::optional<POINT> start = TrackbarPointFor(*windows_, w, *from);
    std::optional<POINT> end = TrackbarPointFor(*windows_, w, position);
    std::optional<POINT> aim =
        AimAt(*windows_, w, Rect{start->x, start->y, start->x + 1, start->y + 1});
    if (!aim) {
        *why = "the thumb of trackbar " + std::to_string(id) + " is covered";
        return false;
    }
    // The stylus goes down on the thumb and moves in even steps, 20 ms
    // apart, as a hand drags.
    StylusDown(start->x, start->y);
    const int steps = 8;
    for (int i = 1; i <= steps; ++i) {
        Wait(20);
        StylusMove(start->x + (end->x - start->x) * i / steps,
                   start->y + (end->y - start->y) * i / steps);
    }
    Wait(20);
    StylusUp(end->x, end->y);
    kernel_.scheduler().RunUntil(Now());
    return true;
}

bool Device::TapTab(const std::u16string &title, int id, int tab, std::string *why) {
    Boot();
    kernel_.EnterAsDriver();
    Window *w = FindControl(*windows_, title, id, why);
    if (!w)
        return false;
    std::optional<Rect> area = TabArea(*windows_, w, tab);
    if (!area) {
        *why = "control " + std::to_string(id) + " has no tab " + std::to_string(tab);
        return false;
    }
    return TapInside(w, *area, "tab " + std::to_string(tab), why);
}

std::optional<DialogReport> Device::DescribeDialog(const std::u16string &title) {
    if (!started_)
        return std::nullopt;
    Window *top = TopLevelTitled(*windows_, title);
    if (!top)
        return std::nullopt;
    DialogReport report;
    report.dialog = WindowInfo{top->cls->name,
                               top->title,
                               windows_->ScreenRect(top),
                               top->Visible(),
                               top->thread->process ? top->thread->process->pid : 0,
                               std::nullopt};
    std::vector<Window *> all;
    Descendants(top, all);
    for (Window *w : all) {
        ControlDescription d = DescribeControl(w);
        report.controls.push_back(ControlInfo{static_cast<int>(w->id), w->cls->name, w->title,
                                              windows_->ScreenRect(w), ShownAll(w), w->Enabled(),
                                              windows_->focus == w, d.words, d.lines});
    }
    return report;
}

} // namespace sim
