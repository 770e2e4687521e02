#include "user/WindowManager.h"

#include "gdi/Gdi.h"
#include "user/MessageBox.h"

#include <algorithm>

namespace sim {

namespace {

// The colour the device shows where no window is.
const uint32_t kDesktopColour = 0x00A08060;

} // namespace

WindowManager &Windows() {
    return CurrentDevice().windows();
}

Window *WindowOf(HWND hwnd) {
    Window *w = Windows().Get(hwnd);
    if (!w)
        SetError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

WindowManager::WindowManager(Device &d) : device(d) {
    RegisterSystemClasses(*this);
    device.gdi().FillScreen(Region(Rect{0, 0, device.Config().width, device.Config().height}),
                            kDesktopColour);
}

WindowManager::~WindowManager() = default;

Window *WindowManager::Get(HWND hwnd) const {
    auto it = windows_.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == windows_.end() || it->second->destroying ? nullptr : it->second.get();
}

// ------------------------------------------------------------ classes

std::shared_ptr<WindowClass> WindowManager::FindClass(const std::u16string &name,
                                                      Process *process) const {
    std::u16string key = Device::NameKey(name);
    // A program's own classes first, then the system's.
    for (const auto &c : classes_)
        if (c->owner == process && Device::NameKey(c->name) == key)
            return c;
    for (const auto &c : classes_)
        if (!c->owner && Device::NameKey(c->name) == key)
            return c;
    return nullptr;
}

bool WindowManager::AddClass(std::shared_ptr<WindowClass> cls) {
    for (const auto &c : classes_)
        if (c->owner == cls->owner && Device::NameKey(c->name) == Device::NameKey(cls->name))
            return false;
    classes_.push_back(std::move(cls));
    return true;
}

bool WindowManager::RemoveClass(const std::u16string &name, Process *process) {
    for (auto it = classes_.begin(); it != classes_.end(); ++it)
        if ((*it)->owner == process && Device::NameKey((*it)->name) == Device::NameKey(name)) {
            classes_.erase(it);
            return true;
        }
    return false;
}

// ------------------------------------------------------------ windows

Rect WindowManager::ScreenRect(const Window *w) const {
    Rect r = w->rect;
    for (const Window *p = w->parent; p; p = p->parent)
        r = r.Offset(p->rect.left, p->rect.top);
    return r;
}

Window *WindowManager::FindTopmost(const std::u16string &className,
                                   const std::u16string *title) const {
    for (Window *w : topLevel_) {
        if (!className.empty() && Device::NameKey(w->cls->name) != Device::NameKey(className))
            continue;
        if (title && w->title != *title)
            continue;
        return w;
    }
    return nullptr;
}

std::vector<Window *> &WindowManager::SiblingsOf(Window *w) {
    return w->parent ? w->parent->children : topLevel_;
}

Window *WindowManager::Create(const CREATESTRUCTW &cs, std::shared_ptr<WindowClass> cls,
                              Thread *thread) {
    auto owned = std::make_unique<Window>();
    Window *w = owned.get();
    w->handle = nextHandle_;
    nextHandle_ += 4;
    w->thread = thread;
    w->cls = cls;
    w->proc = cls->proc;
    w->title = cs.lpszName ? std::u16string(cs.lpszName) : std::u16string();
    w->style = static_cast<DWORD>(cs.style) & ~WS_VISIBLE;
    w->exStyle = cs.dwExStyle;
    Window *parentOrOwner = Get(cs.hwndParent);
    if (parentOrOwner && (cs.style & WS_CHILD)) {
        w->parent = parentOrOwner;
        w->id = reinterpret_cast<LONG_PTR>(cs.hMenu);
    } else {
        w->owner = parentOrOwner;
    }
    int x = cs.x == CW_USEDEFAULT ? 0 : cs.x;
    int y = cs.y == CW_USEDEFAULT ? 0 : cs.y;
    int cx = cs.cx == CW_USEDEFAULT ? device.Config().width : cs.cx;
    int cy = cs.cy == CW_USEDEFAULT ? device.Config().height : cs.cy;
    w->rect = Rect{x, y, x + std::max(cx, 0), y + std::max(cy, 0)};
    windows_[w->handle] = std::move(owned);
    // New windows enter at the top of their band.
    PlaceInZOrder(w, HWND_TOP);
    return w;
}

void WindowManager::PlaceInZOrder(Window *w, HWND insertAfter) {
    std::vector<Window *> &list = SiblingsOf(w);
    auto self = std::find(list.begin(), list.end(), w);
    if (self != list.end())
        list.erase(self);
    if (insertAfter == HWND_TOPMOST && !w->parent)
        w->exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST || insertAfter == HWND_BOTTOM)
        w->exStyle &= ~WS_EX_TOPMOST;
    // The band a window belongs to: top-most windows stay above the others.
    auto bandStart = [&] {
        if (w->parent || w->Topmost())
            return list.begin();
        return std::find_if(list.begin(), list.end(), [](Window *o) { return !o->Topmost(); });
    };
    auto bandEnd = [&] {
        if (w->parent || !w->Topmost())
            return list.end();
        return std::find_if(list.begin(), list.end(), [](Window *o) { return !o->Topmost(); });
    };
    Window *after = Get(insertAfter);
    if (insertAfter == HWND_BOTTOM) {
        list.insert(bandEnd(), w);
        return;
    }
    if (after && after != w) {
        auto pos = std::find(list.begin(), list.end(), after);
        if (pos != list.end()) {
            ++pos;
            // Out of its band the window goes to the nearest end of its band.
            if (pos < bandStart())
                pos = bandStart();
            if (pos > bandEnd())
                pos = bandEnd();
            list.insert(pos, w);
            return;
        }
    }
    list.insert(bandStart(), w);
}

// An owned window stays above its owner: those the move left below it come
// directly above it, in their order. A window of the normal band cannot rise
// above a top-most owner and stays where it is.
void WindowManager::KeepOwnedAbove(Window *owner) {
    if (owner->parent)
        return;
    std::vector<Window *> below;
    auto self = std::find(topLevel_.begin(), topLevel_.end(), owner);
    for (auto it = self + 1; it != topLevel_.end(); ++it)
        if ((*it)->owner == owner && (*it)->Topmost() == owner->Topmost())
            below.push_back(*it);
    for (Window *o : below) {
        topLevel_.erase(std::find(topLevel_.begin(), topLevel_.end(), o));
        topLevel_.insert(std::find(topLevel_.begin(), topLevel_.end(), owner), o);
    }
    for (Window *o : below)
        KeepOwnedAbove(o);
}

void WindowManager::Forget(Window *w) {
    for (Window *child : std::vector<Window *>(w->children))
        Forget(child);
    std::vector<Window *> &list = SiblingsOf(w);
    list.erase(std::remove(list.begin(), list.end(), w), list.end());
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [w](const Timer &t) { return t.window == w; }),
                  timers_.end());
    for (auto &entry : windows_)
        if (entry.second->owner == w)
            entry.second->owner = nullptr;
    auto &keys = input.hotKeys;
    keys.erase(
        std::remove_if(keys.begin(), keys.end(), [w](const HotKey &k) { return k.window == w; }),
        keys.end());
    if (foreground == w)
        foreground = nullptr;
    if (focus == w)
        focus = nullptr;
    if (capture == w)
        capture = nullptr;
    w->destroying = true;
}

void WindowManager::Sweep() {
    for (auto it = windows_.begin(); it != windows_.end();)
        it = it->second->destroying ? windows_.erase(it) : std::next(it);
}

void WindowManager::Destroy(Window *w) {
    if (w->dying)
        return;
    w->dying = true;
    // Owned windows go first, as the platform destroys them with their owner.
    std::vector<Window *> ownedWindows;
    for (auto &entry : windows_)
        if (entry.second->owner == w && !entry.second->destroying)
            ownedWindows.push_back(entry.second.get());
    for (Window *o : ownedWindows)
        Destroy(o);
    Change([&] { w->style &= ~WS_VISIBLE; });
    if (Thread *t = w->thread;
        t->state != Thread::State::Done && !t->terminating && t == &CurrentThread()) {
        // The window first, then every window below it, each before its own
        // children, as the platform sends WM_DESTROY.
        // Handles, not pointers: a procedure may destroy a child meanwhile.
        std::function<void(HWND)> tell = [&](HWND hwnd) {
            Window *x = Get(hwnd);
            if (!x)
                return;
            Send(x, WM_DESTROY, 0, 0);
            std::vector<HWND> children;
            if ((x = Get(hwnd)))
                for (Window *child : x->children)
                    children.push_back(child->Hwnd());
            for (HWND child : children)
                tell(child);
        };
        tell(w->Hwnd());
    }
    Forget(w);
    Sweep();
}

// ------------------------------------------------------------ screen state

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
    s.desktop = Region(Rect{0, 0, device.Config().width, device.Config().height}).Subtract(covered);
    return s;
}

void WindowManager::Change(const std::function<void()> &change, Window *moved) {
    Snapshot before = TakeSnapshot();
    change();
    Snapshot after = TakeSnapshot();
    for (auto &[w, now] : after.visible) {
        if (w->destroying)
            continue;
        auto old = before.visible.find(w);
        bool redrawAll = w == moved || old == before.visible.end();
        Region exposed = redrawAll ? now : now.Subtract(old->second);
        if (!exposed.Empty()) {
            Rect r = ScreenRect(w);
            Invalidate(w, exposed.Offset(-r.left, -r.top), true);
        }
    }
    Region bare = after.desktop.Subtract(before.desktop);
    if (!bare.Empty())
        device.gdi().FillScreen(bare, kDesktopColour);
}

Region WindowManager::VisibleRegion(const Window *w) const {
    for (const Window *a = w; a; a = a->parent)
        if (!a->Visible())
            return Region();
    Rect screen{0, 0, device.Config().width, device.Config().height};
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

bool WindowManager::SetPos(Window *w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    Rect old = w->rect;
    Rect next = old;
    if (!(flags & SWP_NOMOVE))
        next = Rect{x, y, x + old.Width(), y + old.Height()};
    if (!(flags & SWP_NOSIZE))
        next.right = next.left + std::max(cx, 0), next.bottom = next.top + std::max(cy, 0);
    bool moved = !(next == old);
    Change(
        [&] {
            w->rect = next;
            w->update = w->update.Intersect(Region(Rect{0, 0, next.Width(), next.Height()}));
            // A window placed after itself keeps its place, and so does a
            // window of the normal band sent to the top of that band.
            bool keepPlace =
                insertAfter == w->Hwnd() || (insertAfter == HWND_NOTOPMOST && !w->Topmost());
            if (!(flags & SWP_NOZORDER) && !keepPlace) {
                PlaceInZOrder(w, insertAfter);
                if (!(flags & SWP_NOOWNERZORDER))
                    KeepOwnedAbove(w);
            }
            if (flags & SWP_SHOWWINDOW)
                w->style |= WS_VISIBLE;
            if (flags & SWP_HIDEWINDOW)
                w->style &= ~WS_VISIBLE;
        },
        moved ? w : nullptr);
    if (!(flags & SWP_NOACTIVATE))
        Activate(w);
    // The platform reports the move before the new size.
    if (old.left != next.left || old.top != next.top)
        Send(w, WM_MOVE, 0, MAKELPARAM(next.left, next.top));
    if (old.Width() != next.Width() || old.Height() != next.Height())
        Send(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(next.Width(), next.Height()));
    return true;
}

bool WindowManager::Show(Window *w, int cmd) {
    bool wasVisible = w->Visible();
    bool show = cmd != SW_HIDE;
    if (show != wasVisible) {
        Send(w, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (Get(w->Hwnd()) != w)
            return wasVisible;
        Change([&] {
            if (show)
                w->style |= WS_VISIBLE;
            else
                w->style &= ~WS_VISIBLE;
        });
    }
    if (show && cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE && !w->parent)
        Activate(w);
    if (!show && foreground == w)
        foreground = nullptr;
    return wasVisible;
}

void WindowManager::Activate(Window *w) {
    if (w->parent || (w->exStyle & WS_EX_NOACTIVATE) || foreground == w)
        return;
    Window *old = foreground;
    foreground = w;
    focus = w;
    if (old && Get(old->Hwnd()))
        Post(old, WM_ACTIVATE, 0 /* WA_INACTIVE */, reinterpret_cast<LPARAM>(w->Hwnd()));
    Post(w, WM_ACTIVATE, 1 /* WA_ACTIVE */, old ? reinterpret_cast<LPARAM>(old->Hwnd()) : 0);
}

Rect WindowManager::WorkArea() const {
    Rect screen{0, 0, device.Config().width, device.Config().height};
    return workArea ? workArea->Intersect(screen) : screen;
}

void WindowManager::ScreenChanged() {
    Region all(Rect{0, 0, device.Config().width, device.Config().height});
    device.gdi().FillScreen(all, kDesktopColour);
    for (Window *w : std::vector<Window *>(topLevel_)) {
        std::map<Window *, Region> visible;
        CollectVisible(w, visible);
        for (auto &[win, vis] : visible) {
            Rect r = ScreenRect(win);
            Invalidate(win, vis.Offset(-r.left, -r.top), true);
        }
    }
    for (Window *w : std::vector<Window *>(topLevel_))
        Post(w, WM_SETTINGCHANGE, 0, 0);
}

// ------------------------------------------------------------ painting

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

// ------------------------------------------------------------ messages

ThreadMessages &WindowManager::QueueOf(Thread *t) {
    if (!t->messages)
        t->messages = std::make_unique<ThreadMessages>();
    return *t->messages;
}

void WindowManager::WakeForMessages(Thread *t) {
    if (t->messages && t->messages->waiting)
        device.scheduler().Wake(t);
}

LRESULT WindowManager::Send(Window *w, UINT msg, WPARAM wParam, LPARAM lParam) {
    Thread &self = CurrentThread();
    if (w->thread == &self)
        return w->proc(w->Hwnd(), msg, wParam, lParam);
    Thread *target = w->thread;
    if (target->state == Thread::State::Done || target->terminating)
        return 0;
    SentMessage sent{w->Hwnd(), msg, wParam, lParam, 0, false, &self};
    QueueOf(target).sent.push_back(&sent);
    WakeForMessages(target);
    ThreadMessages &mine = QueueOf(&self);
    while (!sent.done) {
        // While it waits, the sender answers messages sent to it, so two
        // threads that send to each other do not stall.
        ProcessSentMessages(&self);
        if (sent.done)
            break;
        if (target->state == Thread::State::Done || target->terminating) {
            auto &q = QueueOf(target).sent;
            q.erase(std::remove(q.begin(), q.end(), &sent), q.end());
            return 0;
        }
        mine.waiting = true;
        device.scheduler().Block(&self, kNever);
        mine.waiting = false;
    }
    return sent.result;
}

void WindowManager::ProcessSentMessages(Thread *t) {
    ThreadMessages &q = QueueOf(t);
    while (!q.sent.empty()) {
        SentMessage *sent = q.sent.front();
        q.sent.pop_front();
        Window *w = Get(sent->hwnd);
        sent->result = w ? w->proc(sent->hwnd, sent->message, sent->wParam, sent->lParam) : 0;
        sent->done = true;
        WakeForMessages(sent->sender);
    }
}

bool WindowManager::PostToThread(Thread *t, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (t->state == Thread::State::Done || t->terminating)
        return false;
    MSG m{hwnd, msg, wParam, lParam, static_cast<DWORD>(device.Now()), POINT{0, 0}};
    QueueOf(t).posted.push_back(m);
    WakeForMessages(t);
    return true;
}

bool WindowManager::Post(Window *w, UINT msg, WPARAM wParam, LPARAM lParam) {
    return PostToThread(w->thread, w->Hwnd(), msg, wParam, lParam);
}

bool WindowManager::NextMessage(MSG *msg, HWND filter, UINT first, UINT last, bool block,
                                bool remove) {
    Thread &self = CurrentThread();
    ThreadMessages &q = QueueOf(&self);
    auto wanted = [&](HWND hwnd, UINT m) {
        if (filter && hwnd != filter)
            return false;
        return (first == 0 && last == 0) || (m >= first && m <= last);
    };
    for (;;) {
        ProcessSentMessages(&self);
        for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
            if (!wanted(it->hwnd, it->message))
                continue;
            *msg = *it;
            if (remove)
                q.posted.erase(it);
            return true;
        }
        if (q.quit) {
            *msg = MSG{nullptr,
                       WM_QUIT,
                       static_cast<WPARAM>(q.quitCode),
                       0,
                       static_cast<DWORD>(device.Now()),
                       POINT{0, 0}};
            if (remove)
                q.quit = false;
            return true;
        }
        if (Window *w = NextToPaint(&self); w && wanted(w->Hwnd(), WM_PAINT)) {
            *msg = MSG{w->Hwnd(), WM_PAINT, 0, 0, static_cast<DWORD>(device.Now()), POINT{0, 0}};
            return true;
        }
        uint64_t now = device.Now();
        uint64_t nextDue = kNever;
        Timer *dueTimer = nullptr;
        for (Timer &t : timers_) {
            if (t.thread != &self || !wanted(t.window ? t.window->Hwnd() : nullptr, WM_TIMER))
                continue;
            // Of timers due together, the one set last comes first, as the
            // system keeps its timers newest first.
            if (t.due <= now && (!dueTimer || t.due < dueTimer->due ||
                                 (t.due == dueTimer->due && t.serial > dueTimer->serial)))
                dueTimer = &t;
            nextDue = std::min(nextDue, t.due);
        }
        if (dueTimer) {
            *msg = MSG{dueTimer->window ? dueTimer->window->Hwnd() : nullptr,
                       WM_TIMER,
                       dueTimer->id,
                       reinterpret_cast<LPARAM>(dueTimer->callback),
                       static_cast<DWORD>(now),
                       POINT{0, 0}};
            if (remove) {
                // The timer re-arms from its own schedule; expiries missed
                // while the thread was busy fold into this one message.
                while (dueTimer->due <= now)
                    dueTimer->due += dueTimer->period;
            }
            return true;
        }
        if (!block)
            return false;
        q.waiting = true;
        device.scheduler().Block(&self, nextDue);
        q.waiting = false;
    }
}

// ------------------------------------------------------------ timers

UINT_PTR WindowManager::SetTimer(Window *w, UINT_PTR id, UINT elapse, TIMERPROC callback) {
    Thread *self = &CurrentThread();
    uint32_t period = std::max<UINT>(elapse, 1);
    for (Timer &t : timers_)
        if (t.window == w && t.id == id && t.thread == self) {
            t.serial = ++timerSerial_;
            t.period = period;
            t.due = device.Now() + period;
            t.callback = callback;
            return w ? id : t.id;
        }
    if (!w) {
        // Thread timers get an id of their own.
        UINT_PTR fresh = 1;
        for (const Timer &t : timers_)
            fresh = std::max(fresh, t.id + 1);
        id = fresh;
    }
    timers_.push_back(Timer{++timerSerial_, w, self, id, period, device.Now() + period, callback});
    return id;
}

bool WindowManager::KillTimer(Window *w, UINT_PTR id) {
    Thread *self = &CurrentThread();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->window == w && it->id == id && it->thread == self) {
            timers_.erase(it);
            return true;
        }
    return false;
}

std::vector<uintptr_t> WindowManager::TimerIdsOf(const Window *w) const {
    std::vector<uintptr_t> ids;
    for (const Timer &t : timers_)
        if (t.window == w)
            ids.push_back(t.id);
    std::sort(ids.begin(), ids.end());
    return ids;
}

bool WindowManager::IsTimerCallback(const Window *w, const Thread *t, UINT_PTR id,
                                    TIMERPROC callback) const {
    for (const Timer &timer : timers_)
        if (timer.id == id && timer.callback == callback &&
            (w ? timer.window == w : !timer.window && timer.thread == t))
            return true;
    return false;
}

bool CarriesPointers(UINT msg) {
    switch (msg) {
    case WM_CREATE:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETMINMAXINFO:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_COPYDATA:
    case WM_NOTIFY:
    case WM_HELP:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_NCCREATE:
    case WM_NCCALCSIZE: return true;
    default: return false;
    }
}

// ------------------------------------------------------------ lifetime

void WindowManager::ThreadEnded(Thread *t) {
    // The platform destroys a thread's windows when the thread ends; their
    // procedures are not called any more.
    std::vector<Window *> mine;
    for (auto &entry : windows_)
        if (entry.second->thread == t && !entry.second->destroying && !entry.second->parent)
            mine.push_back(entry.second.get());
    for (Window *w : mine) {
        Change([&] { w->style &= ~WS_VISIBLE; });
        Forget(w);
    }
    Sweep();
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [t](const Timer &timer) { return timer.thread == t; }),
                  timers_.end());
    if (t->messages) {
        for (SentMessage *sent : t->messages->sent) {
            sent->done = true;
            WakeForMessages(sent->sender);
        }
        t->messages->sent.clear();
        t->messages->posted.clear();
    }
}

void WindowManager::ProcessEnded(Process *p) {
    classes_.erase(std::remove_if(classes_.begin(), classes_.end(),
                                  [p](const auto &c) { return c->owner == p; }),
                   classes_.end());
}

} // namespace sim
