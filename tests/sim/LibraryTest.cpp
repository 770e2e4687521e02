// Libraries on the device: loading by path and by name, the platform's error
// codes for what cannot be loaded, exports by name and ordinal, and the
// reference count that FreeLibrary ends.
#include <ce_setup.h>

#include "support/Devices.h"

#include <gtest/gtest.h>

TEST(Library, LoadingFailsWithThePlatformsErrorCodes) {
    struct Case {
        const char *what;
        const char16_t *name;
        DWORD error; // 0: loads
    };
    const Case cases[] = {
        {"the installed library by path", u"\\Program Files\\Pointrel\\Deployhook.dll", 0},
        {"by path without the extension", u"\\Program Files\\Pointrel\\Deployhook", 0},
        {"by name, beside the loading program", u"Deployhook.dll", 0},
        {"a missing file", u"\\Program Files\\Pointrel\\Missing.dll", ERROR_MOD_NOT_FOUND},
        {"a missing name in every folder", u"Missing.dll", ERROR_MOD_NOT_FOUND},
        {"a program is no library", u"\\Program Files\\Pointrel\\Pointrel.exe",
         ERROR_BAD_EXE_FORMAT},
        {"a text file is no library", u"\\Temp\\notes.dll", ERROR_BAD_EXE_FORMAT},
        {"an empty name", u"", ERROR_INVALID_PARAMETER},
    };
    sim::Device d(test::NoShell());
    ASSERT_TRUE(sim::InstallPackage(d));
    test::WriteFile(d, u"\\Temp\\notes.dll", {'h', 'i'});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        d.StartFunction(u"\\Program Files\\Pointrel\\probe.exe", [&c] {
            SetLastError(0xdeadbeef);
            HMODULE module = LoadLibraryW(c.name);
            if (c.error == 0) {
                EXPECT_NE(module, nullptr);
                EXPECT_TRUE(FreeLibrary(module));
            } else {
                EXPECT_EQ(module, nullptr);
                EXPECT_EQ(GetLastError(), c.error);
            }
            return 0u;
        });
        d.Wait(10);
    }
}

TEST(Library, ExportsAreFoundByNameAndOrdinalUntilTheLastFree) {
    sim::Device d(test::NoShell());
    ASSERT_TRUE(sim::InstallPackage(d));
    test::RunInside(d, [] {
        HMODULE first = LoadLibraryW(u"\\Program Files\\Pointrel\\Deployhook.dll");
        HMODULE again = LoadLibraryW(u"\\PROGRAM FILES\\POINTREL\\DEPLOYHOOK.DLL");
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(first, again);
        struct Case {
            LPCWSTR name;
            void *address;
        };
        const Case cases[] = {
            {szINSTALL_INIT, reinterpret_cast<void *>(&Install_Init)},
            {szINSTALL_EXIT, reinterpret_cast<void *>(&Install_Exit)},
            {szUNINSTALL_INIT, reinterpret_cast<void *>(&Uninstall_Init)},
            {szUNINSTALL_EXIT, reinterpret_cast<void *>(&Uninstall_Exit)},
            {MAKEINTRESOURCEW(1), reinterpret_cast<void *>(&Install_Init)},
            {u"install_init", nullptr}, // names are exact
            {u"DllMain", nullptr},
            {MAKEINTRESOURCEW(5), nullptr},
        };
        for (const Case &c : cases) {
            SetLastError(0xdeadbeef);
            void *found = reinterpret_cast<void *>(GetProcAddressW(first, c.name));
            EXPECT_EQ(found, c.address);
            if (!c.address) {
                EXPECT_EQ(GetLastError(), DWORD(ERROR_PROC_NOT_FOUND));
            }
        }
        WCHAR path[MAX_PATH];
        EXPECT_EQ(GetModuleFileNameW(first, path, MAX_PATH), 38u);
        EXPECT_EQ(std::u16string(path), u"\\Program Files\\Pointrel\\Deployhook.dll");
        EXPECT_TRUE(FreeLibrary(first));
        EXPECT_NE(GetProcAddressW(first, szINSTALL_INIT), nullptr); // one reference left
        EXPECT_TRUE(FreeLibrary(again));
        SetLastError(0xdeadbeef);
        EXPECT_EQ(GetProcAddressW(first, szINSTALL_INIT), nullptr);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        EXPECT_FALSE(FreeLibrary(first));
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    });
}
