// DeviceSim: the window tree — classes, windows, their z-order with the
// top-most band and owners, showing, moving, activation and the end of
// threads and processes that own windows.
#include "user/WindowManager.h"

#include "gdi/Gdi.h"
#include "kernel/Names.h"
#include "user/Controls.h"
#include "user/MessageBox.h"
#include "user/PopupMenu.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace sim {

WindowManager &Windows() {
    return WindowsOf(CurrentKernel());
}

WindowManager &WindowsOf(Kernel &kernel) {
    auto *wm = static_cast<WindowManager *>(kernel.GetLayer(Layer::User));
    if (!wm) {
        std::fprintf(stderr, "DeviceSim: a window call before the device has started\n");
        std::abort();
    }
    return *wm;
}

Window *WindowOf(HWND hwnd) {
    Window *w = Windows().Get(hwnd);
    if (!w)
        SetError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

WindowManager::WindowManager(Kernel &k, Gdi &g) : kernel(k), gdi(g) {
    RegisterSystemClasses(*this);
    RegisterControlClasses(*this);
    RegisterPopupMenuClass(*this);
    gdi.FillScreen(Region(ScreenArea()), kDesktopColour);
}

Rect WindowManager::ScreenArea() const {
    return Rect{0, 0, gdi.Screen().width, gdi.Screen().height};
}

WindowManager::~WindowManager() = default;

Window *WindowManager::Get(HWND hwnd) const {
    auto it = windows_.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == windows_.end() || it->second->destroying ? nullptr : it->second.get();
}

// ------------------------------------------------------------ classes

std::shared_ptr<WindowClass> WindowManager::FindClass(const std::u16string &name,
                                                      Process *process) const {
    std::u16string key = NameKey(name);
    // A program's own classes first, then the system's.
    for (const auto &c : classes_)
        if (c->owner == process && NameKey(c->name) == key)
            return c;
    for (const auto &c : classes_)
        if (!c->owner && NameKey(c->name) == key)
            return c;
    return nullptr;
}

bool WindowManager::AddClass(std::shared_ptr<WindowClass> cls) {
    for (const auto &c : classes_)
        if (c->owner == cls->owner && NameKey(c->name) == NameKey(cls->name))
            return false;
    classes_.push_back(std::move(cls));
    return true;
}

bool WindowManager::RemoveClass(const std::u16string &name, Process *process) {
    for (auto it = classes_.begin(); it != classes_.end(); ++it)
        if ((*it)->owner == process && NameKey((*it)->name) == NameKey(name)) {
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
        if (!className.empty() && CompareNames(w->cls->name, className) != 0)
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
    int cx = cs.cx == CW_USEDEFAULT ? gdi.Screen().width : cs.cx;
    int cy = cs.cy == CW_USEDEFAULT ? gdi.Screen().height : cs.cy;
    w->rect = Rect{x, y, x + std::max(cx, 0), y + std::max(cy, 0)};
    windows_[w->handle] = std::move(owned);
    // New top-level windows enter at the top of their band, new children
    // below their siblings: a parent's children stand in creation order,
    // which is the order dialogs tab through.
    PlaceInZOrder(w, w->parent ? HWND_BOTTOM : HWND_TOP);
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
    if (foreground == w) {
        foreground = nullptr;
        if (onForegroundChanged)
            onForegroundChanged();
    }
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

bool WindowManager::SetPos(Window *w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    Rect old = w->rect;
    Rect next = old;
    if (!(flags & SWP_NOMOVE))
        next = Rect{x, y, x + old.Width(), y + old.Height()};
    if (!(flags & SWP_NOSIZE))
        next.right = next.left + std::max(cx, 0), next.bottom = next.top + std::max(cy, 0);
    bool moved = !(next == old);
    // A window put where it already is, in its place in the z-order and
    // without a change of visibility, leaves the layout as it was (its update
    // region already lies inside its unchanged size): a program that keeps
    // a window pressed against the screen's edge does this many times a
    // second, so the layouts are not even compared.
    bool layoutKept =
        !moved && (flags & SWP_NOZORDER) && !(flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW));
    if (!layoutKept)
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
    if (!show && foreground == w) {
        foreground = nullptr;
        if (onForegroundChanged)
            onForegroundChanged();
    }
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
    if (onForegroundChanged)
        onForegroundChanged();
}

Rect WindowManager::WorkArea() const {
    Rect screen{0, 0, gdi.Screen().width, gdi.Screen().height};
    return workArea ? workArea->Intersect(screen) : screen;
}

void WindowManager::ScreenChanged() {
    Region all(ScreenArea());
    gdi.FillScreen(all, kDesktopColour);
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
    // A hot key registered without a window is the thread's, and ends with it.
    std::erase_if(input.hotKeys, [t](const HotKey &k) { return k.thread == t; });
    if (t->messages) {
        ThreadMessages &queue = QueueOf(t);
        for (SentMessage *sent : queue.sent) {
            sent->done = true;
            WakeForMessages(sent->sender);
        }
        queue.sent.clear();
        queue.posted.clear();
    }
}

void WindowManager::ProcessEnded(Process *p) {
    classes_.erase(std::remove_if(classes_.begin(), classes_.end(),
                                  [p](const auto &c) { return c->owner == p; }),
                   classes_.end());
    menus.ProcessEnded(p);
    // A program that ends under the wait cursor takes it with it.
    if (waitCursor == p->pid) {
        waitCursor = 0;
        kernel.Record("waitcursor " + std::to_string(p->pid) + " off");
    }
}

} // namespace sim
