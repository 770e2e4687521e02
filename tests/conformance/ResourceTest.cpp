// Conformance of resources: finding a program's compiled resources by type
// and name, and reading them in place.
#include "conformance/Conformance.h"

#include <windows.h>

#include <string.h>

// The program's resources hold HI_RES_AWARE of type CEUX: one WORD, 1.
CONFORMANCE_TEST_IN(ResourceConformance, ResourcesAreFoundByNameInAnyCaseAndReadInPlace,
                    "Pointrel") {
    struct Case {
        const char *what;
        bool byModule; // the module handle rather than NULL
        LPCWSTR name, type;
        DWORD error; // ERROR_SUCCESS when found
    } cases[] = {
        {"by name and type", false, TEXT("HI_RES_AWARE"), TEXT("CEUX"), ERROR_SUCCESS},
        {"through the module handle", true, TEXT("HI_RES_AWARE"), TEXT("CEUX"), ERROR_SUCCESS},
        {"in another case", false, TEXT("hi_res_aware"), TEXT("ceux"), ERROR_SUCCESS},
        {"a name the type lacks", false, TEXT("NOTHING"), TEXT("CEUX"),
         ERROR_RESOURCE_NAME_NOT_FOUND},
        {"a number the type lacks", false, MAKEINTRESOURCEW(1), TEXT("CEUX"),
         ERROR_RESOURCE_NAME_NOT_FOUND},
        {"a type the program lacks", false, TEXT("HI_RES_AWARE"), TEXT("NOTYPE"),
         ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"a standard type the program lacks", false, MAKEINTRESOURCEW(1), RT_BITMAP,
         ERROR_RESOURCE_TYPE_NOT_FOUND},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case &c = cases[i];
        SCOPED_TRACE(c.what);
        HMODULE module = c.byModule ? GetModuleHandleW(NULL) : NULL;
        SetLastError(0xdeadbeef);
        HRSRC found = FindResourceW(module, c.name, c.type);
        if (c.error != ERROR_SUCCESS) {
            EXPECT_EQ((HRSRC)NULL, found);
            EXPECT_LAST_ERROR(c.error);
            continue;
        }
        ASSERT_NE((HRSRC)NULL, found);
        EXPECT_EQ(2u, SizeofResource(module, found));
        HGLOBAL loaded = LoadResource(module, found);
        ASSERT_NE((HGLOBAL)NULL, loaded);
        const void *data = LockResource(loaded);
        ASSERT_NE((const void *)NULL, data);
        WORD value = 0;
        memcpy(&value, data, sizeof value);
        EXPECT_EQ(1, value);
    }
}
