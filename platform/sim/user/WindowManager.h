// DeviceSim: the window manager — classes, windows, z-order, message queues,
// timers and painting.
//
// The screen is not composed: as on the device, every window paints straight
// into the one frame buffer, clipped to what of it is visible. When windows
// move, appear or vanish, the parts of other windows that come into view are
// added to their update regions and they repaint on WM_PAINT; the parts that
// no window covers are filled with the desktop colour at once.
#pragma once

#include <windows.h>

#include "gdi/Region.h"
#include "kernel/Kernel.h"
#include "user/Input.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class Gdi;
struct DialogInfo;
struct ControlState;

struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
    Thread *sender;
};

struct ThreadMessages : ThreadLayerState {
    std::deque<MSG> posted;
    std::deque<SentMessage *> sent;
    bool quit = false;
    int quitCode = 0;
    bool waiting = false; // blocked in a message wait (GetMessage, SendMessage)
};

struct WindowClass {
    std::u16string name;
    WNDPROC proc;
    UINT style;
    HBRUSH background;
    Process *owner; // null for the system's classes
};

struct Window {
    uintptr_t handle;
    Thread *thread;
    std::shared_ptr<WindowClass> cls;
    WNDPROC proc;
    std::u16string title;
    DWORD style;
    DWORD exStyle;
    Window *parent = nullptr;
    Window *owner = nullptr;
    Rect rect;                   // in the parent's client coordinates; screen for top-level windows
    std::optional<Region> shape; // the window region, window coordinates
    Region update;               // window coordinates
    bool erase = false;
    std::vector<std::pair<std::u16string, HANDLE>> props;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    std::vector<Window *> children; // z-order, top first
    bool dying = false;             // DestroyWindow has begun
    bool destroying = false;        // gone: the handle no longer names it
    // What the dialog manager keeps for a dialog window.
    std::shared_ptr<DialogInfo> dialog;
    // What a standard or common control keeps; null for other windows.
    std::shared_ptr<ControlState> control;

    bool Visible() const { return (style & WS_VISIBLE) != 0; }
    bool Enabled() const { return (style & WS_DISABLED) == 0; }
    bool Topmost() const { return (exStyle & WS_EX_TOPMOST) != 0; }
    HWND Hwnd() const { return reinterpret_cast<HWND>(handle); }
};

struct Timer {
    uint64_t serial; // later timers come first when several fall due at once
    Window *window;
    Thread *thread;
    UINT_PTR id;
    uint32_t period;
    uint64_t due;
    TIMERPROC callback;
};

// The colour the device shows where no window is.
inline constexpr uint32_t kDesktopColour = 0x00A08060;

// Messages below WM_USER whose parameters point into the sender's memory:
// they may be sent but never posted.
bool CarriesPointers(UINT msg);

class WindowManager {
public:
    WindowManager(Kernel &kernel, Gdi &gdi);
    ~WindowManager();

    Kernel &kernel;
    Gdi &gdi;
    // The whole screen, in screen coordinates.
    Rect ScreenArea() const;

    // ---- windows
    Window *Get(HWND hwnd) const;
    std::shared_ptr<WindowClass> FindClass(const std::u16string &name, Process *process) const;
    bool AddClass(std::shared_ptr<WindowClass> cls);
    bool RemoveClass(const std::u16string &name, Process *process);
    Window *Create(const CREATESTRUCTW &cs, std::shared_ptr<WindowClass> cls, Thread *thread);
    void Destroy(Window *w);
    // Top-level windows in z-order, top first.
    const std::vector<Window *> &TopLevel() const { return topLevel_; }
    Rect ScreenRect(const Window *w) const; // the window's rectangle on the screen
    Window *FindTopmost(const std::u16string &className, const std::u16string *title) const;

    // Changes window state so that the screen follows: what comes into view
    // is invalidated, what no window covers any more is filled.
    void Change(const std::function<void()> &change, Window *moved = nullptr);
    bool SetPos(Window *w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
    bool Show(Window *w, int cmd);
    void ScreenChanged();

    // ---- painting
    Region VisibleRegion(const Window *w) const; // screen coordinates
    void Invalidate(Window *w, const Region &area, bool erase);
    void Validate(Window *w, const Region &area);
    // Sends WM_PAINT now when the window needs painting.
    void UpdateNow(Window *w);
    Window *NextToPaint(Thread *thread) const;

    // ---- messages
    LRESULT Send(Window *w, UINT msg, WPARAM wParam, LPARAM lParam);
    bool Post(Window *w, UINT msg, WPARAM wParam, LPARAM lParam);
    bool PostToThread(Thread *t, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // GetMessage (block) and PeekMessage (no block) in one: false when
    // nothing came (peek) — the WM_QUIT result is reported through msg.
    bool NextMessage(MSG *msg, HWND filter, UINT first, UINT last, bool block, bool remove);
    void ProcessSentMessages(Thread *t);
    // A thread's message queue, made on first use.
    ThreadMessages &QueueOf(Thread *t);

    // ---- timers
    UINT_PTR SetTimer(Window *w, UINT_PTR id, UINT elapse, TIMERPROC callback);
    bool KillTimer(Window *w, UINT_PTR id);
    std::vector<uintptr_t> TimerIdsOf(const Window *w) const;
    // Whether `callback` was set with SetTimer for this window (or, without
    // one, this thread) and id: only then may a WM_TIMER's lParam be called.
    bool IsTimerCallback(const Window *w, const Thread *t, UINT_PTR id, TIMERPROC callback) const;

    InputState input;
    // Set by the shell with SPI_SETWORKAREA; the whole screen until then.
    std::optional<Rect> workArea;
    Rect WorkArea() const;

    // ---- focus, foreground, capture
    Window *foreground = nullptr;
    Window *focus = nullptr;
    Window *capture = nullptr;
    void Activate(Window *w);

    // ---- lifetime
    void ThreadEnded(Thread *t);
    void ProcessEnded(Process *p);

private:
    struct Snapshot {
        std::map<Window *, Region> visible;
        Region desktop;
    };
    Snapshot TakeSnapshot() const;
    void CollectVisible(Window *w, std::map<Window *, Region> &out) const;
    // What decides every visible region: each window's place, area, shape and
    // visibility, depth first in z-order. Equal layouts mean nothing came into
    // view, and a layout put back restores the window tree's z-order exactly.
    struct Placement {
        Window *window;
        Rect rect;
        bool visible;
        std::optional<Region> shape;
        bool operator==(const Placement &o) const = default;
    };
    std::vector<Placement> Layout() const;
    void AddPlacements(Window *w, std::vector<Placement> &out) const;
    void PutBack(const std::vector<Placement> &layout);
    std::vector<Window *> &SiblingsOf(Window *w);
    void PlaceInZOrder(Window *w, HWND insertAfter);
    void KeepOwnedAbove(Window *owner);
    void Forget(Window *w);
    void Sweep();
    void WakeForMessages(Thread *t);

    std::map<uintptr_t, std::unique_ptr<Window>> windows_;
    std::vector<Window *> topLevel_;
    std::vector<std::shared_ptr<WindowClass>> classes_;
    std::vector<Timer> timers_;
    uintptr_t nextHandle_ = 0x10010;
    uint64_t timerSerial_ = 0;
};

// Whether the calling thread owns the window.
inline bool OwnThread(const Window *w) {
    return w->thread == &CurrentThread();
}

// The whole client area of a window, in client coordinates.
inline Region WholeClient(const Window *w) {
    return Region(Rect{0, 0, w->rect.Width(), w->rect.Height()});
}

// The window manager of the calling thread's device, or of a kernel's.
WindowManager &Windows();
WindowManager &WindowsOf(Kernel &kernel);
// The window behind a handle, or null with ERROR_INVALID_WINDOW_HANDLE set.
Window *WindowOf(HWND hwnd);

} // namespace sim
