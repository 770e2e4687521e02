// Stands in for the device's installer at the end of an installation: loads
// the setup library and calls its Install_Exit with the installation folder.
//   HookHost.exe LIBRARY FOLDER
// The exit code is the hook's result, or 10 and up when it could not be
// called.
#include <windows.h>

#include <ce_setup.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    int count = 0;
    LPWSTR *arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == NULL || count < 3)
        return 10;
    HMODULE library = LoadLibraryW(arguments[1]);
    if (library == NULL)
        return 11;
    pfnINSTALL_EXIT installExit = (pfnINSTALL_EXIT)(void *)GetProcAddress(library, "Install_Exit");
    if (installExit == NULL)
        return 12;
    int result = installExit(NULL, arguments[2], 0, 0, 0, 0, 0);
    FreeLibrary(library);
    LocalFree(arguments);
    return result;
}
