// Paths of the package's programs in the installation folder.
#ifndef DEPLOYHOOK_PROGRAMPATHS_H
#define DEPLOYHOOK_PROGRAMPATHS_H

#include <windows.h>

// Paths hold at most this many characters, the terminator included.
const size_t PATH_CAPACITY = 260;

// Writes folder + "\" (unless the folder ends with one) + program into path
// (PATH_CAPACITY characters). False, with path empty, when the whole does not
// fit: such a path is never cut short.
bool BuildProgramPath(LPCWSTR folder, LPCWSTR program, LPWSTR path);

#endif
