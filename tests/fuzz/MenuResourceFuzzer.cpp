// Fuzzes the reading of MENU and MENUEX resources into the window manager's
// menu table, and the table's clean-up of what was read.
#include "user/Menu.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    sim::MenuTable table;
    HMENU menu = sim::ParseMenuResource(table, data, size, nullptr);
    if (menu) {
        if (!table.Get(menu))
            __builtin_trap(); // a menu handed out must be in the table
        if (!table.Destroy(menu))
            __builtin_trap();
    }
    return 0;
}
