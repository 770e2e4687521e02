// DeviceSim: the hardware buttons — the shell's table of what each button
// does (HKLM\SOFTWARE\Microsoft\Shell\Keys\40C1 .. 40C6), read afresh at every
// press as the Windows Mobile shell reads it, and the command lines it runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

class FileSystem;
class Registry;

inline const char16_t kShellKeysPath[] = u"HKLM\\Software\\Microsoft\\Shell\\Keys";

// One button's entry as the shell uses it: "Flags" 0 runs `command` (the
// default value); 1 to 12 are the shell's built-in actions.
struct ButtonEntry {
    uint32_t flags = 0;
    std::u16string command;
};

// The built-in actions by "Flags" value.
enum ButtonAction : uint32_t {
    kActionStartMenu = 1,
    kActionInputPanel = 2,
    kActionCustom = 3,
    kActionToday = 4,
    kActionScrollUp = 5,
    kActionScrollDown = 6,
    kActionScrollLeft = 7,
    kActionScrollRight = 8,
    kActionNone = 9,
    kActionOkClose = 10,
    kActionContextMenu = 11,
    kActionRotate = 12,
};

// The key's entry, read through the registry functions of the calling
// process; nothing when it has none the shell can use: no key, "Flags" not
// a REG_DWORD or above 12, or "Flags" 0 without a command (the default value
// missing, not a string, or blank). A missing "Flags" counts as 0.
std::optional<ButtonEntry> ReadButtonEntry(int vk);

struct CommandLine {
    std::u16string path;
    std::u16string arguments;
};

// Splits a command line into the file it names and the arguments. A path in
// double quotes ends at the closing quote (none: nothing). An unquoted path
// may hold spaces: it is the shortest run of words that names an existing
// file, or the first word when none does.
std::optional<CommandLine> SplitCommandLine(std::u16string_view line, const FileSystem &files);

// Starts what a command line names, from the calling process; a .lnk
// shortcut is resolved and its target started with the shortcut's
// arguments, then the command line's. False when nothing started.
bool RunCommandLine(std::u16string_view line, const FileSystem &files);

// A button pressed: reads its entry, records the event ("button APPn
// \"COMMAND\"" or "button APPn action N") and runs the command. Returns the
// built-in action for the shell to perform, or 0.
uint32_t PressHardwareButton(int vk);

// A fresh device's table: buttons 1, 2 and 4 run the Calendar, Contacts and
// Messaging shortcuts, button 3 shows Today.
void WriteDefaultButtonTable(Registry &registry);

} // namespace sim
