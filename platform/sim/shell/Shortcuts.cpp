#include <windows.h>

#include "shell/Shortcuts.h"

#include "kernel/FileSystem.h"
#include "kernel/Kernel.h"
#include "kernel/Names.h"
#include "kernel/Utf8.h"

namespace sim {

std::optional<ShortcutTarget> ParseShortcut(const std::string &raw) {
    std::string text = raw;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    size_t hash = text.find('#');
    if (hash == 0 || hash == std::string::npos || hash > 4)
        return std::nullopt;
    for (size_t i = 0; i < hash; ++i)
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    std::string command = text.substr(hash + 1);
    if (std::stoul(text.substr(0, hash)) != command.size())
        return std::nullopt;
    std::string path, arguments;
    if (!command.empty() && command[0] == '"') {
        // A quoted path, read as device texts are quoted: \" a quote, \\ a
        // backslash where one would otherwise be read as an escape.
        size_t i = 1;
        for (; i < command.size() && command[i] != '"'; ++i) {
            if (command[i] == '\\' && i + 1 < command.size() &&
                (command[i + 1] == '"' || command[i + 1] == '\\'))
                ++i;
            path += command[i];
        }
        if (i >= command.size())
            return std::nullopt;
        arguments = command.substr(i + 1);
    } else {
        size_t space = command.find(' ');
        path = command.substr(0, space);
        arguments = space == std::string::npos ? "" : command.substr(space);
    }
    size_t first = arguments.find_first_not_of(' ');
    arguments = first == std::string::npos ? "" : arguments.substr(first);
    ShortcutTarget target;
    if (path.empty() || !FromUtf8(path, &target.path) || !FromUtf8(arguments, &target.arguments))
        return std::nullopt;
    return target;
}

std::vector<std::u16string> ProgramShortcuts(const FileSystem &files) {
    std::vector<FsEntry> entries;
    std::vector<std::u16string> names;
    if (files.List(kProgramsFolder, &entries) != FsStatus::Ok)
        return names;
    const std::u16string extension = u".lnk";
    for (const FsEntry &entry : entries) {
        if (entry.directory || entry.name.size() <= extension.size())
            continue;
        std::u16string stem = entry.name.substr(0, entry.name.size() - extension.size());
        if (CompareNames(entry.name.substr(stem.size()), extension) == 0)
            names.push_back(stem);
    }
    return names;
}

std::string ShortcutText(const std::u16string &program, const std::u16string &arguments) {
    std::string command = QuoteText(program);
    if (!arguments.empty())
        command += " " + ToUtf8(arguments);
    return std::to_string(command.size()) + "#" + command;
}

bool RunShortcut(const FileSystem &files, const std::u16string &path, const std::u16string &extra) {
    std::vector<uint8_t> bytes;
    if (files.ReadAll(path, &bytes) != FsStatus::Ok)
        return false;
    std::optional<ShortcutTarget> target = ParseShortcut(std::string(bytes.begin(), bytes.end()));
    if (!target)
        return false;
    PROCESS_INFORMATION info{};
    std::u16string arguments = target->arguments;
    if (!extra.empty())
        arguments += (arguments.empty() ? u"" : u" ") + extra;
    if (!CreateProcessW(target->path.c_str(), arguments.empty() ? nullptr : arguments.data(),
                        nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

} // namespace sim
