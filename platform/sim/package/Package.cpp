// DeviceSim: the programs this build runs and the package it installs.
#include <windows.h>

#include "kernel/Device.h"
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

const std::vector<ProgramImage> &BuiltInImages() {
    static const std::vector<ProgramImage> images = [] {
        const EmbeddedFile *res = Resources("Pointrel.res");
        return std::vector<ProgramImage>{
            ProgramImage{"Pointrel", RunPointrel, res ? res->bytes : nullptr, res ? res->size : 0},
        };
    }();
    return images;
}

bool Device::Install(const std::u16string &folder) {
    std::u16string base = folder;
    while (!base.empty() && base.back() == u'\\')
        base.pop_back();
    bool ok = files_->CreateDirectories(base + u"\\cursors", Now()) == FsStatus::Ok;
    ok = files_->CreateDirectories(base + u"\\Shortcuts", Now()) == FsStatus::Ok && ok;
    ok = WriteProgramFile(base + u"\\Pointrel.exe", "Pointrel") && ok;
    ok = WriteProgramFile(base + u"\\PLSettings.exe", "PLSettings") && ok;
    ok = WriteProgramFile(base + u"\\Deployhook.dll", "Deployhook") && ok;
    for (int i = 0; i < kCursorFiles_count; ++i) {
        const EmbeddedFile &f = kCursorFiles[i];
        ok = files_->CopyIn(base + u"\\cursors\\" + Widen(f.name),
                            std::span<const uint8_t>(f.bytes, f.size), Now()) == FsStatus::Ok &&
             ok;
    }
    // A device shortcut is the length of its command line, '#', the line.
    std::string command = QuoteText(base + u"\\Pointrel.exe");
    std::string shortcut = std::to_string(command.size()) + "#" + command;
    ok = files_->CopyIn(base + u"\\Shortcuts\\Pointrel Monodex.lnk",
                        std::span<const uint8_t>(reinterpret_cast<const uint8_t *>(shortcut.data()),
                                                 shortcut.size()),
                        Now()) == FsStatus::Ok &&
         ok;
    return ok;
}

} // namespace sim
