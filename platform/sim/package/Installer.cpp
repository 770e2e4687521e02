// DeviceSim: the installer. It keeps what it installed where the platform's
// installer keeps it, under HKLM\SOFTWARE\Apps, and a copy of the package's
// setup library beside its own records, from which a removal calls the hooks.
// It shows no window of its own, so the hooks' message boxes stand alone.
#include <windows.h>

#include <ce_setup.h>

#include "package/Installer.h"

#include "device/Device.h"
#include "kernel/FileSystem.h"
#include "kernel/Registry.h"
#include "package/Package.h"

namespace sim {

namespace {

const char16_t kAppKey[] = u"HKLM\\SOFTWARE\\Apps\\Quorvane Pointrel";
const char16_t kSetupCopy[] = u"\\Windows\\AppMgr\\Quorvane Pointrel.dll";

std::vector<uint8_t> Utf16z(const std::u16string &text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

void RecordHook(Kernel &kernel, const std::string &call, int result) {
    kernel.Record("hook " + call + " returned " + std::to_string(result));
}

template <class F> F Hook(HMODULE library, const char16_t *name) {
    // A FARPROC is cast to the hook's own type, as C callers of the platform do.
    return library ? reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddressW(library, name)))
                   : nullptr;
}

uint32_t Install(Device &device, const std::u16string &folder) {
    Kernel &kernel = device.kernel();
    Registry &registry = device.registry();
    bool previouslyInstalled = !InstalledFolder(device).empty();
    // The setup library comes out of the package first.
    device.WriteProgramFile(kSetupCopy, "Deployhook");
    HMODULE library = LoadLibraryW(kSetupCopy);
    auto init = Hook<pfnINSTALL_INIT>(library, szINSTALL_INIT);
    auto exit = Hook<pfnINSTALL_EXIT>(library, szINSTALL_EXIT);
    if (init) {
        int result = init(nullptr, TRUE, previouslyInstalled ? TRUE : FALSE, folder.c_str());
        RecordHook(kernel, "Install_Init 1 " + QuoteText(folder), result);
        if (result == codeINSTALL_INIT_CANCEL) {
            FreeLibrary(library);
            return 1;
        }
    }
    int failed = InstallPackageFiles(device, folder, true);
    RegKeyRef key;
    registry.CreateKeyPath(kAppKey, &key);
    registry.SetValue(key, u"InstlDir", REG_SZ, Utf16z(folder));
    registry.SetValue(key, u"Instl", REG_DWORD, std::vector<uint8_t>{1, 0, 0, 0});
    if (exit) {
        WORD files = static_cast<WORD>(std::min(failed, 0xFFFF));
        int result = exit(nullptr, folder.c_str(), 0, files, 0, 0, 0);
        RecordHook(kernel,
                   "Install_Exit " + QuoteText(folder) + " 0 " + std::to_string(files) + " 0 0 0",
                   result);
    }
    if (library)
        FreeLibrary(library);
    return 0;
}

uint32_t Uninstall(Device &device, const std::u16string &folder) {
    Kernel &kernel = device.kernel();
    HMODULE library = LoadLibraryW(kSetupCopy);
    auto init = Hook<pfnUNINSTALL_INIT>(library, szUNINSTALL_INIT);
    auto exit = Hook<pfnUNINSTALL_EXIT>(library, szUNINSTALL_EXIT);
    if (init) {
        int result = init(nullptr, folder.c_str());
        RecordHook(kernel, "Uninstall_Init " + QuoteText(folder), result);
        if (result == codeUNINSTALL_INIT_CANCEL) {
            FreeLibrary(library);
            return 1;
        }
    }
    RemovePackageFiles(device, folder);
    device.registry().DeleteKeyPath(kAppKey);
    if (exit)
        RecordHook(kernel, "Uninstall_Exit", exit(nullptr));
    if (library)
        FreeLibrary(library);
    DeleteFileW(kSetupCopy);
    return 0;
}

} // namespace

std::u16string InstalledFolder(Device &device) {
    RegKeyRef key = device.registry().FindKey(kAppKey);
    const RegValue *dir = key ? key->FindValue(u"InstlDir") : nullptr;
    if (!dir || dir->type != REG_SZ)
        return u"";
    std::u16string folder;
    for (size_t i = 0; i + 1 < dir->data.size(); i += 2) {
        char16_t c = static_cast<char16_t>(dir->data[i] | dir->data[i + 1] << 8);
        if (c == 0)
            break;
        folder += c;
    }
    return folder;
}

uint32_t StartSetupInstall(Device &device, const std::u16string &folder) {
    AddPackagePrograms(device);
    return device.StartFunction(kInstallerPath,
                                [&device, folder] { return Install(device, folder); });
}

uint32_t StartSetupUninstall(Device &device) {
    std::u16string folder = InstalledFolder(device);
    if (folder.empty())
        return 0;
    return device.StartFunction(kInstallerPath,
                                [&device, folder] { return Uninstall(device, folder); });
}

} // namespace sim
