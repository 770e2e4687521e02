// Conformance of the registry functions: keys, typed values, enumeration and
// the status codes programs branch on.
#include "conformance/Conformance.h"

#include <windows.h>

#include <string.h>

namespace {

const WCHAR kTestKey[] = TEXT("Software\\ConformanceTest");

HKEY CreateTestKey(LPCWSTR subKey) {
    HKEY key = NULL;
    LONG ret = RegCreateKeyExW(HKEY_CURRENT_USER, subKey, 0, NULL, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, NULL, &key, NULL);
    EXPECT_EQ(ERROR_SUCCESS, ret);
    return key;
}

} // namespace

CONFORMANCE_TEST(RegistryConformance, CreateSaysWhetherItMadeTheKeyAndOpenFindsOnlyExistingKeys) {
    HKEY key = (HKEY)(ULONG_PTR)0xdeadbeef;
    LONG ret =
        RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software\\ConformanceTest\\A"), 0, KEY_READ, &key);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ret);
    EXPECT_EQ((HKEY)NULL, key) << "a failed open clears the handle";

    // Every missing key on the path is made.
    DWORD disposition = 0xdeadbeef;
    key = NULL;
    ret = RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("Software\\ConformanceTest\\A\\B"), 0, NULL,
                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key, &disposition);
    EXPECT_EQ(ERROR_SUCCESS, ret);
    EXPECT_EQ((DWORD)REG_CREATED_NEW_KEY, disposition);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key)) << "a handle closes once";

    disposition = 0xdeadbeef;
    ret = RegCreateKeyExW(HKEY_CURRENT_USER, TEXT("Software\\ConformanceTest\\A\\B"), 0, NULL,
                          REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &key, &disposition);
    EXPECT_EQ(ERROR_SUCCESS, ret);
    EXPECT_EQ((DWORD)REG_OPENED_EXISTING_KEY, disposition);
    RegCloseKey(key);

    // Key names compare without regard to case.
    key = NULL;
    ret = RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("SOFTWARE\\conformancetest\\a"), 0, KEY_READ, &key);
    EXPECT_EQ(ERROR_SUCCESS, ret);
    EXPECT_NE((HKEY)NULL, key);
    RegCloseKey(key);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER)) << "predefined keys close quietly";

    EXPECT_EQ(ERROR_SUCCESS,
              RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("Software\\ConformanceTest\\A\\B")));
    EXPECT_EQ(ERROR_SUCCESS,
              RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("Software\\ConformanceTest\\A")));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey));
}

CONFORMANCE_TEST(RegistryConformance, QueryGivesTypeAndSizeAndAsksForMoreRoomWithTheSizeNeeded) {
    static const WCHAR terminated[] = TEXT("abc");
    static const WCHAR unterminated[] = {'a', 'b', 'c', 'd'};
    static const WCHAR multi[] = {'a', 0, 'b', 'c', 0, 0};
    static const BYTE binary[] = {1, 2, 3};
    static const DWORD number = 0x12345678;
    struct Case {
        const char *what;
        LPCWSTR name;
        DWORD type;
        const void *data;
        DWORD size; // as written, and as read back
    } cases[] = {
        {"a string with its terminator", TEXT("Sz"), REG_SZ, terminated, sizeof terminated},
        // The platform keeps exactly the bytes given; no terminator is added.
        {"a string written without a terminator", TEXT("Cut"), REG_SZ, unterminated,
         3 * sizeof(WCHAR)},
        {"a list of strings", TEXT("Multi"), REG_MULTI_SZ, multi, sizeof multi},
        {"a number", TEXT("Number"), REG_DWORD, &number, sizeof number},
        {"bytes", TEXT("Bytes"), REG_BINARY, binary, sizeof binary},
        {"no bytes", TEXT("Empty"), REG_BINARY, binary, 0},
        {"the default value", NULL, REG_SZ, terminated, sizeof terminated},
    };
    HKEY key = CreateTestKey(kTestKey);
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key, c.name, 0, c.type, (const BYTE *)c.data, c.size));

        // Without a buffer: the type and the size a buffer needs.
        DWORD type = 0xdeadbeef, size = 0xdeadbeef;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, c.name, NULL, &type, NULL, &size));
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.size, size);

        // A buffer of exactly that size: the data, and nothing past it.
        BYTE buffer[32];
        memset(buffer, 0xbd, sizeof buffer);
        type = 0xdeadbeef;
        size = c.size;
        EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, c.name, NULL, &type, buffer, &size));
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.size, size);
        EXPECT_EQ(0, memcmp(buffer, c.data, c.size));
        EXPECT_EQ(0xbd, buffer[c.size]) << "written past the data";

        // One byte short: ERROR_MORE_DATA and the size needed.
        if (c.size > 0) {
            memset(buffer, 0xbd, sizeof buffer);
            type = 0xdeadbeef;
            size = c.size - 1;
            EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(key, c.name, NULL, &type, buffer, &size));
            EXPECT_EQ(c.type, type);
            EXPECT_EQ(c.size, size);
            EXPECT_EQ(0xbd, buffer[c.size - 1]) << "written past the room given";
        }
    }

    // A buffer needs its size.
    BYTE buffer[8];
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExW(key, TEXT("Sz"), NULL, NULL, buffer, NULL));
    DWORD type = 0xdeadbeef, size = sizeof buffer;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExW(key, TEXT("Missing"), NULL, &type, buffer, &size));
    EXPECT_EQ(sizeof buffer, size) << "a missing value leaves the size given";

    // Names compare without regard to case, and a new write replaces type and data.
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, TEXT("NUMBER"), 0, REG_BINARY, binary, 1));
    size = 0xdeadbeef;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, TEXT("number"), NULL, &type, NULL, &size));
    EXPECT_EQ((DWORD)REG_BINARY, type);
    EXPECT_EQ(1u, size);

    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(key));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegFlushKey(key)) << "flushing a closed handle";
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
}

CONFORMANCE_TEST(RegistryConformance, EnumerationAsksForMoreRoomAndStillGivesTypeAndDataSize) {
    static const WCHAR data[] = TEXT("foobar");
    HKEY key = CreateTestKey(kTestKey);
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key, TEXT("Test"), 0, REG_SZ, (const BYTE *)data, sizeof data));
    struct Case {
        const char *what;
        DWORD nameRoom, dataRoom;
        LONG result;
        DWORD nameCount; // after the call
        bool nameWritten, dataWritten;
    } cases[] = {
        {"room for both", 20, 20, ERROR_SUCCESS, 4, true, true},
        // The name must fit with its terminator; when it does not, nothing
        // is written but the type and the data size are still reported.
        {"a name one short", 4, 20, ERROR_MORE_DATA, 4, false, false},
        {"a name and data too small", 2, 2, ERROR_MORE_DATA, 2, false, false},
        {"data one byte short", 20, sizeof data - 1, ERROR_MORE_DATA, 4, true, false},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        WCHAR name[20];
        BYTE buffer[20];
        memset(name, 0xbd, sizeof name);
        memset(buffer, 0xbd, sizeof buffer);
        DWORD nameCount = c.nameRoom, dataSize = c.dataRoom, type = 0xdeadbeef;
        EXPECT_EQ(c.result,
                  RegEnumValueW(key, 0, name, &nameCount, NULL, &type, buffer, &dataSize));
        EXPECT_EQ(c.nameCount, nameCount);
        EXPECT_EQ((DWORD)REG_SZ, type);
        EXPECT_EQ(sizeof data, dataSize);
        EXPECT_EQ(c.nameWritten, memcmp(name, TEXT("Test"), sizeof(TEXT("Test"))) == 0);
        EXPECT_EQ(c.dataWritten, memcmp(buffer, data, sizeof data) == 0);
        EXPECT_EQ(0xbd, buffer[sizeof data]) << "written past the data";
    }
    WCHAR name[20];
    DWORD nameCount = 20;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumValueW(key, 1, name, &nameCount, NULL, NULL, NULL, NULL));

    // Subkeys come in the order of their names, whatever their case.
    HKEY sub;
    RegCreateKeyExW(key, TEXT("beta"), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &sub, NULL);
    RegCloseKey(sub);
    RegCreateKeyExW(key, TEXT("Alpha"), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &sub, NULL);
    RegCloseKey(sub);
    static const LPCWSTR expected[] = {TEXT("Alpha"), TEXT("beta")};
    for (DWORD i = 0; i < 2; ++i) {
        nameCount = 20;
        memset(name, 0xbd, sizeof name);
        EXPECT_EQ(ERROR_SUCCESS, RegEnumKeyExW(key, i, name, &nameCount, NULL, NULL, NULL, NULL));
        EXPECT_EQ((DWORD)lstrlenW(expected[i]), nameCount) << "the length without the terminator";
        EXPECT_EQ(0, lstrcmpW(expected[i], name));
    }
    nameCount = 5; // "Alpha" needs six with its terminator
    EXPECT_EQ(ERROR_MORE_DATA, RegEnumKeyExW(key, 0, name, &nameCount, NULL, NULL, NULL, NULL));
    nameCount = 20;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, RegEnumKeyExW(key, 2, name, &nameCount, NULL, NULL, NULL, NULL));

    RegDeleteKeyW(key, TEXT("Alpha"));
    RegDeleteKeyW(key, TEXT("beta"));
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
}

CONFORMANCE_TEST(RegistryConformance, DeletedValuesAndKeysAreNotFoundAgain) {
    HKEY key = CreateTestKey(kTestKey);
    DWORD number = 7;
    RegSetValueExW(key, TEXT("Number"), 0, REG_DWORD, (const BYTE *)&number, sizeof number);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(key, TEXT("Missing")));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueW(key, TEXT("number")));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, TEXT("Number"), NULL, NULL, NULL, NULL));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueW(key, TEXT("Number")));
    RegCloseKey(key);

    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("Software\\ConformanceTest\\Missing")));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey));
    key = (HKEY)(ULONG_PTR)0xdeadbeef;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey));
}

CONFORMANCE_TEST(RegistryConformance, DeleteKeyTakesTheSubkeysWithItAsWindowsCEDoes) {
    HKEY key = CreateTestKey(TEXT("Software\\ConformanceTest\\A\\B"));
    RegCloseKey(key);
    if (!conformance::IsWindowsCe()) {
        // Desktop Windows refuses a key that has subkeys ("The subkey to be
        // deleted must not have subkeys", RegDeleteKeyW); they go first.
        EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey));
        EXPECT_EQ(ERROR_SUCCESS,
                  RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("Software\\ConformanceTest\\A\\B")));
        EXPECT_EQ(ERROR_SUCCESS,
                  RegDeleteKeyW(HKEY_CURRENT_USER, TEXT("Software\\ConformanceTest\\A")));
    }
    // Windows CE: "This function deletes a specified registry key and all its
    // subkeys" (RegDeleteKey, Windows Embedded CE 6.0,
    // learn.microsoft.com/en-us/previous-versions/windows/embedded/ee489528).
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey));
    key = (HKEY)(ULONG_PTR)0xdeadbeef;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExW(HKEY_CURRENT_USER, TEXT("Software\\ConformanceTest\\A\\B"), 0, KEY_READ,
                            &key));
}

CONFORMANCE_TEST(RegistryConformance, SubkeysEnumerateInOrderAndAskForRoomForTheName) {
    HKEY key = CreateTestKey(kTestKey);
    static const WCHAR *const names[] = {TEXT("40C2"), TEXT("40C1"), TEXT("Longer Name")};
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
        HKEY sub = NULL;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegCreateKeyExW(key, names[i], 0, NULL, 0, KEY_WRITE, NULL, &sub, NULL));
        RegCloseKey(sub);
    }
    struct Case {
        const char *what;
        DWORD index, room;
        LONG result;
        const WCHAR *name; // NULL: the buffer is left alone
        DWORD count;       // after the call
    } cases[] = {
        {"first in order", 0, 16, ERROR_SUCCESS, TEXT("40C1"), 4},
        {"second", 1, 16, ERROR_SUCCESS, TEXT("40C2"), 4},
        {"a name that just fits", 1, 5, ERROR_SUCCESS, TEXT("40C2"), 4},
        {"no room for the terminator", 1, 4, ERROR_MORE_DATA, NULL, 4},
        {"a longer name", 2, 8, ERROR_MORE_DATA, NULL, 8},
        {"past the end", 3, 16, ERROR_NO_MORE_ITEMS, NULL, 16},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        WCHAR name[16];
        memset(name, 0xbd, sizeof name);
        DWORD count = c.room;
        EXPECT_EQ(c.result, RegEnumKeyExW(key, c.index, name, &count, NULL, NULL, NULL, NULL));
        if (c.name) {
            EXPECT_EQ(0, lstrcmpW(c.name, name));
            EXPECT_EQ(c.count, count);
        } else {
            EXPECT_EQ(0xbdbd, (unsigned)(name[0] & 0xffff));
        }
    }
    // Deleting what index 0 names until none is left empties the key.
    WCHAR name[256];
    DWORD count = 256;
    int deleted = 0;
    while (deleted < 10 &&
           RegEnumKeyExW(key, 0, name, &count, NULL, NULL, NULL, NULL) == ERROR_SUCCESS) {
        EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(key, name));
        ++deleted;
        count = 256;
    }
    EXPECT_EQ(3, deleted);
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(key));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegFlushKey(key)) << "a closed handle";
    RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
}
