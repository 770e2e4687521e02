// Fuzzes the reading of a compiled resource file (.res) as FindResourceW,
// LoadResource and LoadStringW walk it, and hands each dialog, menu and
// string table found in it to the reader of that kind.
#include "kernel/ResourceFile.h"
#include "user/DialogTemplate.h"
#include "user/Menu.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    for (const sim::ResourceEntry &e : sim::ReadResourceEntries(data, size)) {
        // An entry's data must lie inside the file.
        if (e.data < data || e.size > size_t(data + size - e.data))
            __builtin_trap();
        if (e.typeId == 5) { // RT_DIALOG
            sim::DialogTemplate t;
            std::string why;
            sim::ParseDialogTemplate(e.data, e.size, &t, &why);
        } else if (e.typeId == 4) { // RT_MENU
            sim::MenuTable table;
            if (HMENU menu = sim::ParseMenuResource(table, e.data, e.size, nullptr))
                table.Destroy(menu);
        } else if (e.typeId == 6) { // RT_STRING
            for (unsigned i = 0; i < 16; ++i)
                sim::StringInBlock(e.data, e.size, i);
        }
    }
    return 0;
}
