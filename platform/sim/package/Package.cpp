// DeviceSim: the programs this build runs and the package it installs.
#include <windows.h>

#include "package/Package.h"

#include "device/Device.h"
#include "kernel/FileSystem.h"
#include "package/Embedded.h"

#include <cstring>

int PointrelMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);

namespace sim {

extern const EmbeddedFile kCursorFiles[];
extern const int kCursorFiles_count;
extern const EmbeddedFile kResourceFiles[];
extern const int kResourceFiles_count;

namespace {

const EmbeddedFile *Resources(const char *name) {
    for (int i = 0; i < kResourceFiles_count; ++i)
        if (std::strcmp(kResourceFiles[i].name, name) == 0)
            return &kResourceFiles[i];
    return nullptr;
}

int RunPointrel(void *instance, void *, char16_t *commandLine, int show) {
    return PointrelMain(static_cast<HINSTANCE>(instance), nullptr, commandLine, show);
}

} // namespace

void AddPackagePrograms(Device &device) {
    const EmbeddedFile *res = Resources("Pointrel.res");
    device.AddProgram(
        ProgramImage{"Pointrel", RunPointrel, res ? res->bytes : nullptr, res ? res->size : 0});
}

bool InstallPackage(Device &device, const std::u16string &folder) {
    AddPackagePrograms(device);
    FileSystem &files = device.files();
    std::u16string base = folder;
    while (!base.empty() && base.back() == u'\\')
        base.pop_back();
    // Every file is tried; one that cannot be written makes the whole false.
    bool ok = true;
    auto done = [&ok](bool written) { ok = ok && written; };
    auto copy = [&](const std::u16string &path, const uint8_t *bytes, size_t size) {
        done(files.CopyIn(path, std::span<const uint8_t>(bytes, size), device.CalendarNow()) ==
             FsStatus::Ok);
    };
    done(files.CreateDirectories(base + u"\\cursors", device.CalendarNow()) == FsStatus::Ok);
    done(files.CreateDirectories(base + u"\\Shortcuts", device.CalendarNow()) == FsStatus::Ok);
    done(device.WriteProgramFile(base + u"\\Pointrel.exe", "Pointrel"));
    done(device.WriteProgramFile(base + u"\\PLSettings.exe", "PLSettings"));
    done(device.WriteProgramFile(base + u"\\Deployhook.dll", "Deployhook"));
    for (int i = 0; i < kCursorFiles_count; ++i)
        copy(base + u"\\cursors\\" + Widen(kCursorFiles[i].name), kCursorFiles[i].bytes,
             kCursorFiles[i].size);
    // A device shortcut is the length of its command line, '#', the line.
    std::string command = QuoteText(base + u"\\Pointrel.exe");
    std::string shortcut = std::to_string(command.size()) + "#" + command;
    copy(base + u"\\Shortcuts\\Pointrel Monodex.lnk",
         reinterpret_cast<const uint8_t *>(shortcut.data()), shortcut.size());
    return ok;
}

} // namespace sim
