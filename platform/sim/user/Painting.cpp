// DeviceSim: what windows show of themselves — visible regions, update
// regions, and the repainting that follows every change of the window tree.
#include "user/WindowManager.h"

#include "gdi/Gdi.h"

namespace sim {

void WindowManager::CollectVisible(Window *w, std::map<Window *, Region> &out) const {
    out[w] = VisibleRegion(w);
    for (Window *child : w->children)
        CollectVisible(child, out);
}

WindowManager::Snapshot WindowManager::TakeSnapshot() const {
    Snapshot s;
    Region covered;
    for (Window *w : topLevel_) {
        CollectVisible(w, s.visible);
        if (w->Visible()) {
            Region area(ScreenRect(w));
            if (w->shape)
                area = area.Intersect(w->shape->Offset(w->rect.left, w->rect.top));
            covered = covered.Union(area);
        }
    }
    s.desktop = Region(ScreenArea()).Subtract(covered);
    return s;
}

void WindowManager::AddPlacements(Window *w, std::vector<Placement> &out) const {
    out.push_back(Placement{w, w->rect, w->Visible(), w->shape});
    for (Window *child : w->children)
        AddPlacements(child, out);
}

std::vector<WindowManager::Placement> WindowManager::Layout() const {
    std::vector<Placement> out;
    for (Window *w : topLevel_)
        AddPlacements(w, out);
    return out;
}

void WindowManager::PutBack(const std::vector<Placement> &layout) {
    topLevel_.clear();
    for (const Placement &p : layout)
        p.window->children.clear();
    for (const Placement &p : layout) {
        Window *w = p.window;
        w->rect = p.rect;
        w->style = p.visible ? (w->style | WS_VISIBLE) : (w->style & ~WS_VISIBLE);
        w->shape = p.shape;
        (w->parent ? w->parent->children : topLevel_).push_back(w);
    }
}

void WindowManager::Change(const std::function<void()> &change, Window *moved) {
    // Most changes (a window moved to where it already is, a style bit that
    // does not touch visibility) leave the layout as it was, and nothing
    // comes into view. Otherwise the old layout is put back for a moment to
    // learn what was visible before. A layout is cheap to copy and compare;
    // the visible regions of every window are not, so they are taken only
    // when something really moved.
    std::vector<Placement> was = Layout();
    change();
    std::vector<Placement> now = Layout();
    if (now == was)
        return;
    PutBack(was);
    Snapshot before = TakeSnapshot();
    PutBack(now);
    Snapshot after = TakeSnapshot();
    for (auto &[w, visible] : after.visible) {
        if (w->destroying)
            continue;
        auto old = before.visible.find(w);
        bool redrawAll = w == moved || old == before.visible.end();
        Region exposed = redrawAll ? visible : visible.Subtract(old->second);
        if (!exposed.Empty()) {
            Rect r = ScreenRect(w);
            Invalidate(w, exposed.Offset(-r.left, -r.top), true);
        }
    }
    Region bare = after.desktop.Subtract(before.desktop);
    if (!bare.Empty())
        gdi.FillScreen(bare, kDesktopColour);
}

Region WindowManager::VisibleRegion(const Window *w) const {
    for (const Window *a = w; a; a = a->parent)
        if (!a->Visible())
            return Region();
    Rect screen{0, 0, gdi.Screen().width, gdi.Screen().height};
    Rect r = ScreenRect(w);
    Region vis(r.Intersect(screen));
    if (w->shape)
        vis = vis.Intersect(w->shape->Offset(r.left, r.top));
    // Clipped by the parents' areas, by siblings above at every level, and by
    // the window's own children (the platform clips siblings and children).
    const Window *level = w;
    while (true) {
        const std::vector<Window *> &list = level->parent ? level->parent->children : topLevel_;
        for (Window *above : list) {
            if (above == level)
                break;
            if (!above->Visible())
                continue;
            Rect ar = ScreenRect(above);
            Region area(ar);
            if (above->shape)
                area = area.Intersect(above->shape->Offset(ar.left, ar.top));
            vis = vis.Subtract(area);
        }
        if (!level->parent)
            break;
        level = level->parent;
        Rect pr = ScreenRect(level);
        Region parentArea(pr);
        if (level->shape)
            parentArea = parentArea.Intersect(level->shape->Offset(pr.left, pr.top));
        vis = vis.Intersect(parentArea);
    }
    for (Window *child : w->children)
        if (child->Visible())
            vis = vis.Subtract(Region(ScreenRect(child)));
    return vis;
}

void WindowManager::Invalidate(Window *w, const Region &area, bool erase) {
    Region inside = area.Intersect(Region(Rect{0, 0, w->rect.Width(), w->rect.Height()}));
    if (inside.Empty())
        return;
    w->update = w->update.Union(inside);
    w->erase = w->erase || erase;
    WakeForMessages(w->thread);
}

void WindowManager::Validate(Window *w, const Region &area) {
    w->update = w->update.Subtract(area);
    if (w->update.Empty())
        w->erase = false;
}

void WindowManager::UpdateNow(Window *w) {
    if (!w->update.Empty())
        Send(w, WM_PAINT, 0, 0);
}

Window *WindowManager::NextToPaint(Thread *thread) const {
    for (const auto &entry : windows_) {
        Window *w = entry.second.get();
        if (w->thread == thread && !w->destroying && !w->update.Empty() &&
            !VisibleRegion(w).Empty())
            return w;
    }
    return nullptr;
}

} // namespace sim
