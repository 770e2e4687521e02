// Conformance of menus made in code: items and pop-ups, check and enable
// states by command and by position, and the errors for a dead menu.
#include "conformance/Conformance.h"

#include <windows.h>

CONFORMANCE_TEST(MenuConformance, ItemsArePlacedFoundAndChangedByCommandOrPosition) {
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    ASSERT_TRUE(bar != NULL && popup != NULL);
    EXPECT_TRUE(AppendMenuW(popup, MF_STRING, 101, TEXT("Save")));
    EXPECT_TRUE(AppendMenuW(popup, MF_SEPARATOR, 0, NULL));
    EXPECT_TRUE(AppendMenuW(popup, MF_STRING | MF_CHECKED, 103, TEXT("About")));
    // Before the item with command 101: position 0.
    EXPECT_TRUE(InsertMenuW(popup, 101, MF_BYCOMMAND | MF_STRING, 100, TEXT("Cancel")));
    EXPECT_TRUE(AppendMenuW(bar, MF_STRING, 1, TEXT("Left")));
    EXPECT_TRUE(AppendMenuW(bar, MF_POPUP, (UINT_PTR)popup, TEXT("Menu")));
    EXPECT_EQ(2, GetMenuItemCount(bar));
    EXPECT_EQ(4, GetMenuItemCount(popup));
    EXPECT_EQ((HMENU)NULL, GetSubMenu(bar, 0));
    EXPECT_EQ(popup, GetSubMenu(bar, 1));
    EXPECT_EQ((HMENU)NULL, GetSubMenu(bar, 2));

    struct Case {
        const char *what;
        HMENU menu;
        UINT which, flags;
        DWORD before; // what the call answers: the old state, or -1
    } checks[] = {
        {"by command, inside the pop-up", bar, 103, MF_BYCOMMAND | MF_UNCHECKED, MF_CHECKED},
        {"by command, now unchecked", popup, 103, MF_BYCOMMAND | MF_CHECKED, MF_UNCHECKED},
        {"by position", popup, 0, MF_BYPOSITION | MF_CHECKED, MF_UNCHECKED},
        {"a command no item has", bar, 999, MF_BYCOMMAND | MF_CHECKED, (DWORD)-1},
        {"a position past the end", popup, 4, MF_BYPOSITION | MF_CHECKED, (DWORD)-1},
    };
    for (size_t i = 0; i < sizeof checks / sizeof checks[0]; ++i) {
        SCOPED_TRACE(checks[i].what);
        EXPECT_EQ(checks[i].before,
                  CheckMenuItem(checks[i].menu, checks[i].which, checks[i].flags));
    }
    EXPECT_EQ((BOOL)MF_ENABLED, EnableMenuItem(bar, 101, MF_BYCOMMAND | MF_GRAYED));
    EXPECT_EQ((BOOL)MF_GRAYED, EnableMenuItem(bar, 101, MF_BYCOMMAND | MF_ENABLED));
    EXPECT_EQ((BOOL)-1, EnableMenuItem(bar, 999, MF_BYCOMMAND | MF_GRAYED));

    // Destroying the bar destroys the pop-up it holds.
    // Wine differs: its menu functions fail on a destroyed menu without
    // setting the last error, though each documents GetLastError for its
    // failure (GetMenuItemCount, DestroyMenu, AppendMenu).
    bool lastError = !conformance::IsWine();
    EXPECT_TRUE(DestroyMenu(bar));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(-1, GetMenuItemCount(popup));
    if (lastError) {
        EXPECT_LAST_ERROR(ERROR_INVALID_MENU_HANDLE);
    }
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DestroyMenu(bar));
    if (lastError) {
        EXPECT_LAST_ERROR(ERROR_INVALID_MENU_HANDLE);
    }
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(AppendMenuW(bar, MF_STRING, 5, TEXT("Late")));
    if (lastError) {
        EXPECT_LAST_ERROR(ERROR_INVALID_MENU_HANDLE);
    }
}
