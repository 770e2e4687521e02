// DeviceSim: the programs this build runs and the package it installs.
#include <windows.h>

#include <ce_setup.h>

#include "package/Package.h"

#include "device/Device.h"
#include "kernel/FileSystem.h"
#include "package/Embedded.h"

#include <cstring>

int PointrelMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);
int PLSettingsMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);
extern "C" BOOL WINAPI DeployhookDllMain(HANDLE module, DWORD reason, LPVOID reserved);

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

int RunPLSettings(void *instance, void *, char16_t *commandLine, int show) {
    return PLSettingsMain(static_cast<HINSTANCE>(instance), nullptr, commandLine, show);
}

void AddProgram(Device &device, const char *name, const char *resources,
                int (*entry)(void *, void *, char16_t *, int)) {
    const EmbeddedFile *res = Resources(resources);
    device.AddProgram(ProgramImage{name, entry, res ? res->bytes : nullptr, res ? res->size : 0});
}

int DeployhookEntry(void *module, uint32_t reason, void *reserved) {
    return DeployhookDllMain(module, reason, reserved);
}

const LibraryExport kDeployhookExports[] = {
    {"Install_Init", reinterpret_cast<void *>(&Install_Init)},
    {"Install_Exit", reinterpret_cast<void *>(&Install_Exit)},
    {"Uninstall_Init", reinterpret_cast<void *>(&Uninstall_Init)},
    {"Uninstall_Exit", reinterpret_cast<void *>(&Uninstall_Exit)},
};

std::u16string Base(const std::u16string &folder) {
    std::u16string base = folder;
    while (!base.empty() && base.back() == u'\\')
        base.pop_back();
    return base;
}

// A device shortcut is the length of its command line, '#', the line.
std::string Shortcut(const std::u16string &target) {
    std::string command = QuoteText(target);
    return std::to_string(command.size()) + "#" + command;
}

} // namespace

void AddPackagePrograms(Device &device) {
    AddProgram(device, "Pointrel", "Pointrel.res", RunPointrel);
    AddProgram(device, "PLSettings", "PLSettings.res", RunPLSettings);
    device.kernel().AddLibrary(LibraryImage{"Deployhook", DeployhookEntry, kDeployhookExports,
                                            std::size(kDeployhookExports)});
}

std::vector<std::u16string> PackageFiles(Device &device, const std::u16string &folder) {
    std::u16string base = Base(folder);
    std::vector<std::u16string> files = {base + u"\\Pointrel.exe"};
    // The settings program is laid out once this build can run it.
    if (device.kernel().FindProgram("PLSettings"))
        files.push_back(base + u"\\PLSettings.exe");
    files.push_back(base + u"\\Deployhook.dll");
    for (int i = 0; i < kCursorFiles_count; ++i)
        files.push_back(base + u"\\cursors\\" + Widen(kCursorFiles[i].name));
    files.push_back(base + u"\\Shortcuts\\Pointrel Monodex.lnk");
    files.push_back(kStartMenuPrograms + u"\\Toggle Pointrel.lnk");
    files.push_back(kStartMenuPrograms + u"\\Pointrel Settings.lnk");
    return files;
}

int InstallPackageFiles(Device &device, const std::u16string &folder, bool startMenu) {
    AddPackagePrograms(device);
    FileSystem &files = device.files();
    std::u16string base = Base(folder);
    // Every file is tried; each that cannot be written counts.
    int failed = 0;
    auto done = [&failed](bool written) { failed += written ? 0 : 1; };
    auto copy = [&](const std::u16string &path, const uint8_t *bytes, size_t size) {
        done(files.CopyIn(path, std::span<const uint8_t>(bytes, size), device.CalendarNow()) ==
             FsStatus::Ok);
    };
    auto text = [&](const std::u16string &path, const std::string &content) {
        copy(path, reinterpret_cast<const uint8_t *>(content.data()), content.size());
    };
    done(files.CreateDirectories(base + u"\\cursors", device.CalendarNow()) == FsStatus::Ok);
    done(files.CreateDirectories(base + u"\\Shortcuts", device.CalendarNow()) == FsStatus::Ok);
    done(device.WriteProgramFile(base + u"\\Pointrel.exe", "Pointrel"));
    if (device.kernel().FindProgram("PLSettings"))
        done(device.WriteProgramFile(base + u"\\PLSettings.exe", "PLSettings"));
    done(device.WriteProgramFile(base + u"\\Deployhook.dll", "Deployhook"));
    for (int i = 0; i < kCursorFiles_count; ++i)
        copy(base + u"\\cursors\\" + Widen(kCursorFiles[i].name), kCursorFiles[i].bytes,
             kCursorFiles[i].size);
    text(base + u"\\Shortcuts\\Pointrel Monodex.lnk", Shortcut(base + u"\\Pointrel.exe"));
    if (startMenu) {
        text(kStartMenuPrograms + u"\\Toggle Pointrel.lnk", Shortcut(base + u"\\Pointrel.exe"));
        text(kStartMenuPrograms + u"\\Pointrel Settings.lnk", Shortcut(base + u"\\PLSettings.exe"));
    }
    return failed;
}

bool InstallPackage(Device &device, const std::u16string &folder) {
    return InstallPackageFiles(device, folder, false) == 0;
}

void RemovePackageFiles(Device &device, const std::u16string &folder) {
    FileSystem &files = device.files();
    for (const std::u16string &path : PackageFiles(device, folder))
        files.Delete(path);
    // Folders go when the package leaves them empty; what else lies there stays.
    std::u16string base = Base(folder);
    for (const std::u16string &dir : {base + u"\\cursors", base + u"\\Shortcuts", base})
        files.Delete(dir);
}

} // namespace sim
