// DeviceSim: shared libraries — LoadLibraryW, GetProcAddressW and FreeLibrary
// for the libraries installed in the device file system.
#include <windows.h>

#include "kernel/Kernel.h"
#include "kernel/Names.h"

#include <algorithm>

using namespace sim;

namespace {

std::u16string FolderOf(const std::u16string &path) {
    size_t slash = path.find_last_of(u'\\');
    return slash == std::u16string::npos ? u"" : path.substr(0, slash + 1);
}

// Where the platform looks for a library named without a folder: beside the
// program that loads it, then in \Windows. A name without an extension
// means a .dll.
std::vector<std::u16string> Candidates(const std::u16string &name, const Process &process) {
    std::u16string file = name;
    size_t slash = file.find_last_of(u'\\');
    size_t dot = file.find_last_of(u'.');
    if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash))
        file += u".dll";
    if (slash != std::u16string::npos)
        return {file};
    return {FolderOf(process.path) + file, u"\\Windows\\" + file};
}

LoadedModule *ModuleOf(Process &process, HMODULE module) {
    for (LoadedModule &m : process.modules)
        if (m.handle == reinterpret_cast<uintptr_t>(module))
            return &m;
    return nullptr;
}

} // namespace

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName) {
    sim::CountCall("LoadLibraryW");
    if (!lpLibFileName || !*lpLibFileName) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    Kernel &kernel = CurrentKernel();
    Process &process = CurrentProcess();
    uint32_t error = ERROR_MOD_NOT_FOUND;
    for (const std::u16string &path : Candidates(lpLibFileName, process)) {
        for (LoadedModule &m : process.modules)
            if (CompareNames(m.path, path) == 0) {
                ++m.references;
                return reinterpret_cast<HMODULE>(m.handle);
            }
        uint32_t why = 0;
        std::optional<std::string> name = kernel.ImageNameOf(path, &why);
        if (!name) {
            // A file that is there but is no library ends the search; a
            // missing one sends it on to the next folder.
            if (why == ERROR_BAD_EXE_FORMAT) {
                error = why;
                break;
            }
            continue;
        }
        const LibraryImage *image = kernel.FindLibrary(*name);
        if (!image) {
            error = ERROR_BAD_EXE_FORMAT;
            break;
        }
        uintptr_t handle = reinterpret_cast<uintptr_t>(process.Instance()) +
                           0x1000 * uintptr_t(++process.moduleSerial);
        process.modules.push_back(LoadedModule{handle, image, path, 1});
        if (image->entry &&
            !image->entry(reinterpret_cast<void *>(handle), DLL_PROCESS_ATTACH, nullptr)) {
            std::erase_if(process.modules,
                          [handle](const LoadedModule &m) { return m.handle == handle; });
            SetError(ERROR_DLL_INIT_FAILED);
            return nullptr;
        }
        return reinterpret_cast<HMODULE>(handle);
    }
    SetError(error);
    return nullptr;
}

FARPROC WINAPI GetProcAddressW(HMODULE hModule, LPCWSTR lpProcName) {
    sim::CountCall("GetProcAddressW");
    LoadedModule *module = ModuleOf(CurrentProcess(), hModule);
    if (!module) {
        SetError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!lpProcName) {
        SetError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const LibraryImage &image = *module->image;
    for (size_t i = 0; i < image.exportCount; ++i) {
        // Ordinals count the exports from 1, in the order the library lists them.
        bool match = IS_INTRESOURCE(lpProcName)
                         ? reinterpret_cast<uintptr_t>(lpProcName) == i + 1
                         : Narrow(lpProcName) == image.exports[i].name &&
                               std::u16string(lpProcName) == Widen(image.exports[i].name);
        if (match)
            return reinterpret_cast<FARPROC>(image.exports[i].address);
    }
    SetError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    sim::CountCall("FreeLibrary");
    Process &process = CurrentProcess();
    LoadedModule *module = ModuleOf(process, hLibModule);
    if (!module) {
        SetError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--module->references > 0)
        return TRUE;
    const LibraryImage *image = module->image;
    uintptr_t handle = module->handle;
    std::erase_if(process.modules, [handle](const LoadedModule &m) { return m.handle == handle; });
    if (image->entry)
        image->entry(reinterpret_cast<void *>(handle), DLL_PROCESS_DETACH, nullptr);
    return TRUE;
}
