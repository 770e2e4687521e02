// DeviceSim: the shell library's records and what the shell shows from them.
#include "shell/ShellState.h"

#include "gdi/Gdi.h"
#include "kernel/Kernel.h"
#include "user/WindowManager.h"

#include <cstdio>
#include <cstdlib>

namespace sim {

namespace {

// The window and then its owners, up to the top.
template <class F> auto FirstUp(HWND window, const WindowManager &wm, F match) {
    for (Window *w = wm.Get(window); w; w = w->owner)
        if (auto found = match(w->Hwnd()))
            return found;
    return decltype(match(window))(nullptr);
}

const char16_t kLeftShellKey[] = u"Calendar";
const char16_t kRightShellKey[] = u"Menu";

} // namespace

const MenuBarRecord *ShellState::BarOf(HWND window, const WindowManager &wm) const {
    return FirstUp(window, wm, [this](HWND h) -> const MenuBarRecord * {
        // The latest bar of a window is the one it shows.
        for (auto it = menuBars.rbegin(); it != menuBars.rend(); ++it)
            if (it->owner == h)
                return &*it;
        return nullptr;
    });
}

const DialogRecord *ShellState::DialogOf(HWND window, const WindowManager &wm) const {
    if (!wm.Get(window))
        return nullptr;
    for (const DialogRecord &d : dialogs)
        if (d.dialog == window)
            return &d;
    return nullptr;
}

const NotificationRecord *ShellState::Shown() const {
    for (const NotificationRecord &n : notifications)
        if (n.serial == shownNotification)
            return &n;
    return nullptr;
}

ShellState &ShellOf(Kernel &kernel) {
    auto *state = static_cast<ShellState *>(kernel.GetLayer(Layer::Shell));
    if (!state) {
        std::fprintf(stderr, "DeviceSim: the shell library was used on a device without it\n");
        std::abort();
    }
    return *state;
}

std::array<SoftKey, 2> CurrentSoftKeys(Kernel &kernel) {
    ShellState &shell = ShellOf(kernel);
    WindowManager &wm = WindowsOf(kernel);
    std::array<SoftKey, 2> keys;
    if (const NotificationRecord *n = shell.Shown()) {
        if (n->longForm && !n->softKey.empty()) {
            keys[0] = SoftKey{n->softKey, SoftKeyKind::Dismiss, n->sink, n->softKeyCommand};
            return keys;
        }
    }
    HWND foreground = wm.foreground ? wm.foreground->Hwnd() : nullptr;
    const MenuBarRecord *bar = shell.BarOf(foreground, wm);
    if (!bar && shell.menuBarInUse)
        bar = shell.BarOf(shell.menuBarInUse, wm);
    if (!bar) {
        keys[0] = SoftKey{kLeftShellKey, SoftKeyKind::ShellKey};
        keys[1] = SoftKey{kRightShellKey, SoftKeyKind::ShellMenu};
        return keys;
    }
    const MenuData *menu = bar->menu ? wm.menus.Get(bar->menu) : nullptr;
    for (size_t i = 0; menu && i < 2 && i < menu->items.size(); ++i) {
        const MenuItem &item = menu->items[i];
        if (item.Separator())
            continue;
        keys[i].label = item.text;
        keys[i].owner = bar->owner;
        if (item.flags & MF_POPUP) {
            keys[i].kind = SoftKeyKind::Popup;
            keys[i].command = reinterpret_cast<UINT_PTR>(item.popup);
        } else if (!item.Disabled()) {
            keys[i].kind = SoftKeyKind::Command;
            keys[i].command = item.id;
        }
    }
    return keys;
}

bool SipButtonHidden(Kernel &kernel) {
    ShellState &shell = ShellOf(kernel);
    WindowManager &wm = WindowsOf(kernel);
    const MenuBarRecord *bar = shell.BarOf(wm.foreground ? wm.foreground->Hwnd() : nullptr, wm);
    return bar && bar->hideSip;
}

HWND DoneButtonDialog(Kernel &kernel) {
    ShellState &shell = ShellOf(kernel);
    WindowManager &wm = WindowsOf(kernel);
    if (!wm.foreground)
        return nullptr;
    const DialogRecord *d = shell.DialogOf(wm.foreground->Hwnd(), wm);
    return d && (d->flags & SHIDIF_DONEBUTTON) ? d->dialog : nullptr;
}

ShellGeometry GeometryOf(Kernel &kernel) {
    WindowManager &wm = WindowsOf(kernel);
    Rect screen = wm.ScreenArea();
    return ShellGeometry{screen.Width(), screen.Height(), wm.gdi.Dpi()};
}

void TellShell() {
    if (HWND taskBar = FindWindowW(kTaskBarClass, nullptr))
        PostMessageW(taskBar, kShellChanged, 0, 0);
}

} // namespace sim
