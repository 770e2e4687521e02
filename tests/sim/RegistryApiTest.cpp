// The registry functions where Windows CE differs from desktop Windows, so the
// conformance suite cannot hold them: the access asked for, and deleting a
// key that has subkeys through a handle that is still open.
#include "support/Devices.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace test;

TEST(RegistryApi, WindowsCEIgnoresTheAccessAskedForAKey) {
    sim::Device d(NoShell());
    SetValue(d, u"HKLM\\Software\\T", u"V", REG_DWORD, {1, 0, 0, 0});
    struct Case {
        const char *what;
        REGSAM access;
    } cases[] = {{"KEY_READ", KEY_READ},
                 {"zero, as the documentation asks", 0},
                 {"KEY_WRITE", KEY_WRITE},
                 {"0x2001F", 0x2001F}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        LONG write = -1, read = -1, create = -1;
        RunInside(d, [&] {
            HKEY key = nullptr;
            ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\T", 0, c.access, &key),
                      ERROR_SUCCESS);
            DWORD v = 2, size = sizeof v;
            write = RegSetValueExW(key, u"V", 0, REG_DWORD, reinterpret_cast<BYTE *>(&v), sizeof v);
            read =
                RegQueryValueExW(key, u"V", nullptr, nullptr, reinterpret_cast<BYTE *>(&v), &size);
            HKEY sub = nullptr;
            create = RegCreateKeyExW(key, u"Sub", 0, nullptr, 0, c.access, nullptr, &sub, nullptr);
            RegCloseKey(sub);
            RegCloseKey(key);
        });
        EXPECT_EQ(write, ERROR_SUCCESS);
        EXPECT_EQ(read, ERROR_SUCCESS);
        EXPECT_EQ(create, ERROR_SUCCESS);
    }
}

TEST(RegistryApi, AKeyDeletedWhileOpenAnswersKeyDeletedAndTheNameIsFree) {
    sim::Device d(NoShell());
    SetValue(d, u"HKLM\\Software\\T\\A\\B", u"V", REG_DWORD, {1, 0, 0, 0});
    LONG deleted = -1, stale = -1, reopened = -1, parameter = -1;
    RunInside(d, [&] {
        HKEY a = nullptr;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\T\\A", 0, 0, &a);
        deleted = RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Software\\T\\A");
        stale = RegFlushKey(a);
        RegCloseKey(a);
        HKEY again = nullptr;
        reopened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\T\\A\\B", 0, 0, &again);
        parameter = RegDeleteKeyW(HKEY_LOCAL_MACHINE, nullptr);
    });
    EXPECT_EQ(deleted, ERROR_SUCCESS);
    EXPECT_EQ(stale, ERROR_KEY_DELETED);
    EXPECT_EQ(reopened, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(parameter, ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(d.registry().FindKey(u"HKLM\\Software\\T"));
}
