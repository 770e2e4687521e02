// DeviceSim: the pop-up menu window (class "MNU") that TrackPopupMenuEx and
// the shell's Start menu and soft keys open: it takes the keys and every
// tap while it is open, and ends with an item chosen or with nothing.
#pragma once

#include <windows.h>

#include "gdi/Rect.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace sim {

class WindowManager;
struct Window;

struct PopupItem {
    std::u16string text;
    bool separator = false;
    bool disabled = false;
    bool checked = false;
};

struct PopupRequest {
    std::u16string title; // names the menu in its events
    std::vector<PopupItem> items;
    // Where the menu goes: a point of the screen and TPM_* alignment flags
    // that say which corner of the menu lies on it.
    int x = 0, y = 0;
    UINT align = 0;
    // Opened by a stylus press that is still down: a lift over an item
    // chooses it (press, slide, lift).
    bool byStylus = false;
    // Heard once, with the index of the chosen item or -1, after the menu
    // window is gone.
    std::function<void(int)> onEnd;
};

// The items of a menu as its pop-up shows them. A pop-up inside it shows as
// an item that cannot be chosen.
struct MenuData;
std::vector<PopupItem> PopupItemsFor(const MenuData &menu);

// The system class of pop-up menus; registered once per device.
void RegisterPopupMenuClass(WindowManager &wm);

// Opens a menu on the calling thread; null when it cannot be made.
HWND OpenPopupMenu(PopupRequest request);
// Closes the menu without a choice ("closed").
void ClosePopupMenu(HWND menu);

// For the test face: the items of an open menu window and where one of them
// lies on the screen.
const std::vector<PopupItem> *PopupItemsOf(const Window *menu);
std::optional<Rect> PopupItemRect(WindowManager &wm, const Window *menu, size_t item);

} // namespace sim
