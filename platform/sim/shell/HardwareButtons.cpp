// DeviceSim: what the shell does when a hardware button is pressed.
#include <windows.h>

#include "shell/HardwareButtons.h"

#include "kernel/Context.h"
#include "kernel/FileSystem.h"
#include "kernel/Kernel.h"
#include "kernel/Names.h"
#include "kernel/Registry.h"
#include "shell/Shortcuts.h"

#include <cstring>
#include <vector>

namespace sim {
namespace {

const uint32_t kLastAction = kActionRotate;

std::u16string KeyName(int vk) {
    const char16_t digits[] = u"0123456789ABCDEF";
    return std::u16string(u"40C") + digits[vk & 0xF];
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && s.front() == u' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == u' ')
        s.remove_suffix(1);
    return s;
}

bool EndsWith(std::u16string_view s, std::u16string_view tail) {
    return s.size() >= tail.size() && CompareNames(s.substr(s.size() - tail.size()), tail) == 0;
}

// The default value as text: a string type of whole characters, read up to
// its first terminator.
std::optional<std::u16string> ReadCommand(HKEY key) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || size % sizeof(WCHAR) != 0)
        return std::nullopt;
    std::vector<WCHAR> text(size / sizeof(WCHAR) + 1, 0);
    if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE *>(text.data()),
                         &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::u16string_view command = Trim(std::u16string_view(text.data()));
    if (command.empty())
        return std::nullopt;
    return std::u16string(command);
}

} // namespace

std::optional<ButtonEntry> ReadButtonEntry(int vk) {
    if (vk < VK_APP1 || vk > VK_APP6)
        return std::nullopt;
    std::u16string path = u"SOFTWARE\\Microsoft\\Shell\\Keys\\" + KeyName(vk);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    ButtonEntry entry;
    DWORD type = 0, flags = 0, size = sizeof flags;
    LONG read =
        RegQueryValueExW(key, u"Flags", nullptr, &type, reinterpret_cast<BYTE *>(&flags), &size);
    bool usable = true;
    if (read == ERROR_SUCCESS)
        usable = type == REG_DWORD && size == sizeof flags && flags <= kLastAction;
    else
        usable = read == ERROR_FILE_NOT_FOUND;
    if (usable) {
        entry.flags = read == ERROR_SUCCESS ? flags : 0;
        if (entry.flags == 0) {
            std::optional<std::u16string> command = ReadCommand(key);
            usable = command.has_value();
            if (usable)
                entry.command = *command;
        }
    }
    RegCloseKey(key);
    if (!usable)
        return std::nullopt;
    return entry;
}

std::optional<CommandLine> SplitCommandLine(std::u16string_view line, const FileSystem &files) {
    line = Trim(line);
    if (line.empty())
        return std::nullopt;
    CommandLine out;
    if (line.front() == u'"') {
        size_t close = line.find(u'"', 1);
        if (close == std::u16string_view::npos || close == 1)
            return std::nullopt;
        out.path = line.substr(1, close - 1);
        out.arguments = Trim(line.substr(close + 1));
        return out;
    }
    // Differs from the platform: no ".exe" is tried after a word without one.
    size_t end = line.find(u' ');
    for (size_t at = end;; at = line.find(u' ', at + 1)) {
        FsEntry entry;
        if (files.Stat(line.substr(0, at), &entry) == FsStatus::Ok && !entry.directory) {
            end = at;
            break;
        }
        if (at == std::u16string_view::npos)
            break;
    }
    out.path = line.substr(0, end);
    out.arguments = end == std::u16string_view::npos ? u"" : Trim(line.substr(end));
    return out;
}

bool RunCommandLine(std::u16string_view line, const FileSystem &files) {
    std::optional<CommandLine> command = SplitCommandLine(line, files);
    if (!command)
        return false;
    if (EndsWith(command->path, u".lnk"))
        return RunShortcut(files, command->path, command->arguments);
    PROCESS_INFORMATION info{};
    std::u16string arguments = command->arguments;
    if (!CreateProcessW(command->path.c_str(), arguments.empty() ? nullptr : arguments.data(),
                        nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

uint32_t PressHardwareButton(int vk) {
    std::optional<ButtonEntry> entry = ReadButtonEntry(vk);
    if (!entry)
        return 0;
    std::string button = "button APP" + std::to_string(vk - VK_APP1 + 1);
    if (entry->flags != 0) {
        CurrentKernel().Record(button + " action " + std::to_string(entry->flags));
        return entry->flags;
    }
    CurrentKernel().Record(button + " " + QuoteText(entry->command));
    RunCommandLine(entry->command, CurrentFiles());
    return 0;
}

void WriteDefaultButtonTable(Registry &registry) {
    auto text = [](std::u16string_view s) {
        std::vector<uint8_t> bytes((s.size() + 1) * sizeof(char16_t), 0);
        std::memcpy(bytes.data(), s.data(), s.size() * sizeof(char16_t));
        return bytes;
    };
    auto dword = [](uint32_t v) {
        return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16),
                                    uint8_t(v >> 24)};
    };
    const struct {
        const char16_t *key, *name, *shortcut;
        uint32_t flags;
    } buttons[] = {{u"40C1", u"Button 1", u"Calendar", 0},
                   {u"40C2", u"Button 2", u"Contacts", 0},
                   {u"40C3", u"Button 3", nullptr, kActionToday},
                   {u"40C4", u"Button 4", u"Messaging", 0}};
    for (const auto &b : buttons) {
        RegKeyRef key;
        if (registry.CreateKeyPath(std::u16string(kShellKeysPath) + u"\\" + b.key, &key) !=
            RegStatus::Ok)
            continue;
        registry.SetValue(key, u"Name", kRegSz, text(b.name));
        registry.SetValue(key, u"Flags", kRegDword, dword(b.flags));
        // As on the device, the path is stored without quotes.
        if (b.shortcut)
            registry.SetValue(key, u"", kRegSz,
                              text(std::u16string(kProgramsFolder) + u"\\" + b.shortcut + u".lnk"));
    }
}

} // namespace sim
