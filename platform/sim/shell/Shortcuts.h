// DeviceSim: the shell's shortcuts — the .lnk files of the Start menu's
// Programs folder, and how the shell runs one.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sim {

class FileSystem;

inline const char16_t kProgramsFolder[] = u"\\Windows\\Start Menu\\Programs";

// What a shortcut runs: a program and its command line.
struct ShortcutTarget {
    std::u16string path;
    std::u16string arguments;
};

// Reads a shortcut's text: the length of the command, '#', the command (a
// program path, in double quotes when it holds spaces, then its arguments).
// Nothing when the text has not that form or the length does not match.
std::optional<ShortcutTarget> ParseShortcut(const std::string &text);
// The names of the Programs folder's shortcuts (without ".lnk"), in order.
std::vector<std::u16string> ProgramShortcuts(const FileSystem &files);
// A shortcut's text for a program and its arguments (none when empty).
std::string ShortcutText(const std::u16string &program, const std::u16string &arguments);
// Starts what the shortcut at `path` names, as the shell does when it is
// tapped, with `extra` arguments after the shortcut's own; false when the
// shortcut or its program cannot be run.
bool RunShortcut(const FileSystem &files, const std::u16string &path,
                 const std::u16string &extra = u"");

} // namespace sim
