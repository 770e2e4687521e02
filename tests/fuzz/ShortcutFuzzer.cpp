// Fuzzes the reading of a shortcut's text, as the shell reads a .lnk file
// before it runs the command in it.
#include "shell/Shortcuts.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::optional<sim::ShortcutTarget> target =
        sim::ParseShortcut(std::string(reinterpret_cast<const char *>(data), size));
    // A command is never longer than the text it was read from.
    if (target && target->path.size() + target->arguments.size() > size)
        __builtin_trap();
    return 0;
}
