// Builds program paths from the installation folder with bounded copies.
#include "ProgramPaths.h"

#include <strsafe.h>

bool BuildProgramPath(LPCWSTR folder, LPCWSTR program, LPWSTR path) {
    path[0] = 0;
    size_t length = 0;
    if (FAILED(StringCchLengthW(folder, PATH_CAPACITY, &length)))
        return false;
    bool built = SUCCEEDED(StringCchCopyW(path, PATH_CAPACITY, folder)) &&
                 (length > 0 && folder[length - 1] == TEXT('\\')
                      ? true
                      : SUCCEEDED(StringCchCatW(path, PATH_CAPACITY, TEXT("\\")))) &&
                 SUCCEEDED(StringCchCatW(path, PATH_CAPACITY, program));
    if (!built)
        path[0] = 0;
    return built;
}
