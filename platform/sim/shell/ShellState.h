// DeviceSim: what the shell library keeps for the device shell — menu bars,
// dialogs set up with SHInitDialog, notifications — and what the soft keys
// and the task bar show from it. Programs write it through the shell
// library; the device shell reads it when it paints and when it is tapped.
#pragma once

#include <aygshell.h>

#include "gdi/Rect.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

class Kernel;
class WindowManager;

struct MenuBarRecord {
    HWND owner;
    HWND bar;   // the window SHCreateMenuBar handed out; null for an empty bar of SHInitDialog
    HMENU menu; // null for an empty bar
    bool hideSip;
};

struct DialogRecord {
    HWND dialog;
    DWORD flags; // SHIDIF_*
};

struct NotificationRecord {
    CLSID clsid;
    DWORD id;
    std::u16string title, html;
    // The long record carries a soft key; the short one closes with a
    // button of its HTML.
    bool longForm;
    std::u16string softKey;
    WPARAM softKeyCommand;
    HWND sink;
    uint64_t serial; // later notifications show over earlier ones
};

struct ShellState {
    std::vector<MenuBarRecord> menuBars;
    std::vector<DialogRecord> dialogs;
    std::vector<NotificationRecord> notifications;
    uint64_t nextSerial = 1;
    // The notification the bubble shows now (its serial), 0 for none.
    uint64_t shownNotification = 0;
    // The menu bar whose pop-up the shell has open, so that its soft keys
    // stay while the menu has the focus.
    HWND menuBarInUse = nullptr;
    // The soft key pressed and not yet released: 0 left, 1 right, -1 none.
    int pressedSoftKey = -1;

    const MenuBarRecord *BarOf(HWND window, const WindowManager &wm) const;
    const DialogRecord *DialogOf(HWND window, const WindowManager &wm) const;
    const NotificationRecord *Shown() const;
};

// The device's shell state, as the device keeps it.
ShellState &ShellOf(Kernel &kernel);

enum class SoftKeyKind { None, ShellKey, ShellMenu, Command, Popup, Dismiss };

struct SoftKey {
    std::u16string label;
    SoftKeyKind kind = SoftKeyKind::None;
    HWND owner = nullptr; // who hears the command
    UINT_PTR command = 0; // the command id, or the pop-up menu
};

// The soft keys as the soft-key bar shows them now: a notification's soft
// key, or the menu bar of the foreground window (or of a window that owns
// it), or the shell's own.
std::array<SoftKey, 2> CurrentSoftKeys(Kernel &kernel);
// Whether the input-panel button hides behind the current menu bar.
bool SipButtonHidden(Kernel &kernel);
// The foreground dialog whose "ok" the task bar shows, or null.
HWND DoneButtonDialog(Kernel &kernel);

// Where the task bar's and the soft-key bar's parts lie on a screen of this
// size; s(v) = (v * dpi + 48) / 96.
struct ShellGeometry {
    int width, height, dpi;
    int S(int v) const { return (v * dpi + 48) / 96; }
    int BarHeight() const { return S(26); }
    Rect OkButton() const { return Rect{width - S(30), S(3), width - S(3), BarHeight() - S(3)}; }
    Rect SoftKeyRect(int key) const {
        return key == 0 ? Rect{0, height - BarHeight(), width / 2, height}
                        : Rect{width / 2, height - BarHeight(), width, height};
    }
};
ShellGeometry GeometryOf(Kernel &kernel);

// Tells the device shell that what it shows has changed.
void TellShell();
// The shell's private message for that, to its task bar.
inline constexpr UINT kShellChanged = WM_APP + 0x3E0;
inline constexpr char16_t kTaskBarClass[] = u"HHTaskBar";

} // namespace sim
