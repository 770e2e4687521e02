// Conformance of the file functions: opening by disposition, reading,
// writing and seeking, sharing, directories and attributes.
#include "conformance/Conformance.h"

#include <windows.h>

#include <string.h>

namespace {

const DWORD kUnchecked = 0xdeadbeef;
const WCHAR kDir[] = TEXT("\\ConformanceFiles");
const WCHAR kFile[] = TEXT("\\ConformanceFiles\\data.txt");

HANDLE Open(LPCWSTR path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileW(path, access, share, NULL, disposition, FILE_ATTRIBUTE_NORMAL, NULL);
}

// A file holding `text`, closed again.
void MakeFile(LPCWSTR path, const char *text) {
    CreateDirectoryW(kDir, NULL);
    HANDLE h = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, text, (DWORD)strlen(text), &written, NULL));
    CloseHandle(h);
}

// Each test leaves the drive as it found it: on Windows the next test's
// process sees the same file system, where DeviceSim gives it a new device.
void RemoveFiles() {
    DeleteFileW(kFile);
    RemoveDirectoryW(kDir);
}

} // namespace

CONFORMANCE_TEST(FileConformance, EachDispositionOpensCreatesOrRefusesAndSaysWhatItFound) {
    struct Case {
        const char *what;
        DWORD disposition;
        bool exists;
        bool opens;
        DWORD error; // after the call, or kUnchecked
        DWORD size;  // of the file once opened
    } cases[] = {
        {"CREATE_NEW makes a new file", CREATE_NEW, false, true, kUnchecked, 0},
        {"CREATE_NEW refuses an existing file", CREATE_NEW, true, false, ERROR_FILE_EXISTS, 0},
        {"CREATE_ALWAYS makes a new file", CREATE_ALWAYS, false, true, ERROR_SUCCESS, 0},
        {"CREATE_ALWAYS empties a file", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 0},
        {"OPEN_EXISTING needs the file", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, 0},
        {"OPEN_EXISTING keeps the content", OPEN_EXISTING, true, true, kUnchecked, 5},
        {"OPEN_ALWAYS makes a new file", OPEN_ALWAYS, false, true, ERROR_SUCCESS, 0},
        {"OPEN_ALWAYS keeps an existing file", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, 5},
        {"TRUNCATE_EXISTING needs a file", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND,
         0},
        {"TRUNCATE_EXISTING empties the file", TRUNCATE_EXISTING, true, true, kUnchecked, 0},
    };
    CreateDirectoryW(kDir, NULL);
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        DeleteFileW(kFile);
        if (c.exists)
            MakeFile(kFile, "hello");
        SetLastError(0xdeadbeef);
        HANDLE h = Open(kFile, GENERIC_READ | GENERIC_WRITE, 0, c.disposition);
        if (c.error != kUnchecked) {
            EXPECT_LAST_ERROR(c.error);
        }
        EXPECT_EQ(c.opens, h != INVALID_HANDLE_VALUE);
        if (h == INVALID_HANDLE_VALUE)
            continue;
        DWORD high = 0xdeadbeef;
        EXPECT_EQ(c.size, GetFileSize(h, &high));
        EXPECT_EQ(0u, high);
        EXPECT_TRUE(CloseHandle(h));
    }

    // Names compare without regard to case.
    HANDLE h = Open(TEXT("\\CONFORMANCEFILES\\Data.TXT"), GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);
    SetLastError(0xdeadbeef);
    h = Open(TEXT("\\ConformanceFiles\\Missing\\data.txt"), GENERIC_READ, 0, OPEN_ALWAYS);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    EXPECT_LAST_ERROR(ERROR_PATH_NOT_FOUND);
    SetLastError(0xdeadbeef);
    h = Open(kDir, GENERIC_READ, 0, OPEN_EXISTING);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);
    EXPECT_LAST_ERROR(ERROR_ACCESS_DENIED) << "a directory opens as no file";
    RemoveFiles();
}

CONFORMANCE_TEST(FileConformance, ReadsWritesAndSeeksShareOnePointer) {
    MakeFile(kFile, "0123456789");
    HANDLE h = Open(kFile, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    struct Case {
        const char *what;
        LONG distance;
        DWORD method;
        DWORD position;   // INVALID_SET_FILE_POINTER when refused
        const char *read; // what a read of 3 bytes then gives
    } cases[] = {
        {"from the start", 2, FILE_BEGIN, 2, "234"},
        {"back from the current place", -2, FILE_CURRENT, 3, "345"},
        {"back from the end", -1, FILE_END, 9, "9"},
        {"at the end", 0, FILE_END, 10, ""},
        {"before the start", -11, FILE_END, INVALID_SET_FILE_POINTER, ""},
        {"before the start from the start", -1, FILE_BEGIN, INVALID_SET_FILE_POINTER, ""},
        {"past the end", 5, FILE_END, 15, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        DWORD before = SetFilePointer(h, 0, NULL, FILE_CURRENT);
        SetLastError(0xdeadbeef);
        DWORD position = SetFilePointer(h, c.distance, NULL, c.method);
        EXPECT_EQ(c.position, position);
        if (c.position == INVALID_SET_FILE_POINTER) {
            EXPECT_LAST_ERROR(ERROR_NEGATIVE_SEEK);
            EXPECT_EQ(before, SetFilePointer(h, 0, NULL, FILE_CURRENT))
                << "a refused seek moves nothing";
            continue;
        }
        char buffer[8];
        memset(buffer, 0xbd, sizeof buffer);
        DWORD read = 0xdeadbeef;
        EXPECT_TRUE(ReadFile(h, buffer, 3, &read, NULL))
            << "reading at or past the end is no error";
        EXPECT_EQ(strlen(c.read), read);
        EXPECT_EQ(0, memcmp(buffer, c.read, read));
        EXPECT_EQ((char)0xbd, buffer[read]) << "written past what was read";
    }
    // Seeking past the end does not grow the file; writing there does.
    DWORD high = 0xdeadbeef;
    EXPECT_EQ(10u, GetFileSize(h, &high));
    DWORD written = 0xdeadbeef;
    EXPECT_TRUE(WriteFile(h, "!", 1, &written, NULL));
    EXPECT_EQ(1u, written);
    EXPECT_EQ(16u, GetFileSize(h, &high));
    EXPECT_EQ(0u, high);
    EXPECT_TRUE(CloseHandle(h));

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_LAST_ERROR(ERROR_INVALID_HANDLE);
    char buffer[4];
    DWORD read = 0xdeadbeef;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ReadFile(h, buffer, sizeof buffer, &read, NULL));
    EXPECT_LAST_ERROR(ERROR_INVALID_HANDLE);
    EXPECT_EQ(0u, read) << "the count is cleared before any check";
    RemoveFiles();
}

CONFORMANCE_TEST(FileConformance, AccessAndSharingAreEnforcedAndAnOpenFileStays) {
    MakeFile(kFile, "abc");
    // A handle only reads if opened to read; the count is cleared first.
    HANDLE h = Open(kFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    DWORD done = 0xdeadbeef;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(WriteFile(h, "x", 1, &done, NULL));
    EXPECT_LAST_ERROR(ERROR_ACCESS_DENIED);
    EXPECT_EQ(0u, done);
    CloseHandle(h);

    const DWORD R = GENERIC_READ, W = GENERIC_WRITE;
    const DWORD SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;
    struct Case {
        const char *what;
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool opens;
    } cases[] = {
        {"two readers that share reading", R, SR, R, SR, true},
        {"a reader after one that shares nothing", R, 0, R, SR, false},
        {"a reader that will not share the first's reading", R, SR, R, 0, false},
        {"a writer after one that shares only reading", R, SR, W, SR | SW, false},
        {"a writer after one that shares writing", R, SR | SW, W, SR | SW, true},
        {"a reader after a writer that shares reading", W, SR, R, SW, true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        HANDLE first = Open(kFile, c.firstAccess, c.firstShare, OPEN_EXISTING);
        ASSERT_NE(INVALID_HANDLE_VALUE, first);
        SetLastError(0xdeadbeef);
        HANDLE second = Open(kFile, c.secondAccess, c.secondShare, OPEN_EXISTING);
        EXPECT_EQ(c.opens, second != INVALID_HANDLE_VALUE);
        if (second == INVALID_HANDLE_VALUE) {
            EXPECT_LAST_ERROR(ERROR_SHARING_VIOLATION);
        } else {
            CloseHandle(second);
        }

        // An open file cannot be deleted; once closed it can.
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(DeleteFileW(kFile));
        EXPECT_LAST_ERROR(ERROR_SHARING_VIOLATION);
        CloseHandle(first);
    }
    EXPECT_TRUE(DeleteFileW(kFile));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileW(kFile));
    EXPECT_LAST_ERROR(ERROR_FILE_NOT_FOUND);
    RemoveFiles();
}

CONFORMANCE_TEST(FileConformance, DirectoriesAreMadeOnceAndAttributesTellThemFromFiles) {
    SetLastError(0xdeadbeef);
    EXPECT_TRUE(CreateDirectoryW(kDir, NULL));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CreateDirectoryW(kDir, NULL));
    EXPECT_LAST_ERROR(ERROR_ALREADY_EXISTS);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CreateDirectoryW(TEXT("\\ConformanceFiles\\Missing\\Sub"), NULL));
    EXPECT_LAST_ERROR(ERROR_PATH_NOT_FOUND);
    MakeFile(kFile, "abc");
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(CreateDirectoryW(kFile, NULL)) << "a file holds the name";
    EXPECT_LAST_ERROR(ERROR_ALREADY_EXISTS);

    struct Case {
        const char *what;
        LPCWSTR path;
        bool directory;
        DWORD error; // ERROR_SUCCESS when the path exists
    } cases[] = {
        {"a directory", kDir, true, ERROR_SUCCESS},
        {"a directory, separator after", TEXT("\\ConformanceFiles\\"), true, ERROR_SUCCESS},
        {"a file", kFile, false, ERROR_SUCCESS},
        {"a missing file", TEXT("\\ConformanceFiles\\missing.txt"), false, ERROR_FILE_NOT_FOUND},
        {"a file in a missing directory", TEXT("\\ConformanceFiles\\Missing\\a.txt"), false,
         ERROR_PATH_NOT_FOUND},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        SetLastError(0xdeadbeef);
        DWORD attributes = GetFileAttributesW(c.path);
        if (c.error != ERROR_SUCCESS) {
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES, attributes);
            EXPECT_LAST_ERROR(c.error);
            continue;
        }
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, attributes);
        EXPECT_EQ(c.directory, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    }

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(DeleteFileW(kDir)) << "DeleteFile takes files only";
    EXPECT_LAST_ERROR(ERROR_ACCESS_DENIED);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(RemoveDirectoryW(kDir)) << "a directory that holds a file stays";
    EXPECT_LAST_ERROR(ERROR_DIR_NOT_EMPTY);
    EXPECT_TRUE(DeleteFileW(kFile));
    EXPECT_TRUE(RemoveDirectoryW(kDir));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(RemoveDirectoryW(kDir));
    EXPECT_LAST_ERROR(ERROR_FILE_NOT_FOUND);
}
