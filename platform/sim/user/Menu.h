// DeviceSim: menus — menu bars and pop-up menus as the window manager keeps
// them, whatever shows them (TrackPopupMenuEx, the shell's soft keys).
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sim {

class Process;

struct MenuItem {
    UINT flags = 0; // MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_CHECKED ...
    UINT_PTR id = 0;
    std::u16string text;
    HMENU popup = nullptr;

    bool Separator() const { return (flags & MF_SEPARATOR) != 0; }
    bool Disabled() const { return (flags & (MF_GRAYED | MF_DISABLED)) != 0; }
};

struct MenuData {
    bool popup = false; // made by CreatePopupMenu, or a MENU resource's pop-up
    std::vector<MenuItem> items;
    Process *owner = nullptr;
};

class MenuTable {
public:
    HMENU Add(std::unique_ptr<MenuData> menu);
    MenuData *Get(HMENU menu) const;
    // Removes the menu and the pop-ups it holds.
    bool Destroy(HMENU menu);
    // Menus a process made go with it.
    void ProcessEnded(Process *process);
    // The item with this command id, in the menu or any pop-up below it.
    MenuItem *FindCommand(HMENU menu, UINT_PTR id);

private:
    std::map<uintptr_t, std::unique_ptr<MenuData>> menus_;
    // Apart from window handles, which count up from 0x10010.
    uintptr_t next_ = 0x40000010;
};

// Reads a MENU or MENUEX resource into menus of the table; null when it is
// malformed.
HMENU ParseMenuResource(MenuTable &table, const uint8_t *data, size_t size, Process *owner);

} // namespace sim
