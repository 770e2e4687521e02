// The setup-library interface of Windows CE: the four functions a package's
// setup library exports for the device's installer (wceload.exe), their
// result codes, the types of pointers to them and their export names.
#ifndef CE_SETUP_H
#define CE_SETUP_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum {
    codeINSTALL_INIT_CONTINUE = 0, // go on with the installation
    codeINSTALL_INIT_CANCEL        // cancel it at once
} codeINSTALL_INIT;

typedef enum {
    codeINSTALL_EXIT_DONE = 0, // the installation is complete
    codeINSTALL_EXIT_UNINSTALL // remove what was installed before ending
} codeINSTALL_EXIT;

typedef enum {
    codeUNINSTALL_INIT_CONTINUE = 0, // go on with the removal
    codeUNINSTALL_INIT_CANCEL        // keep the application installed
} codeUNINSTALL_INIT;

typedef enum {
    codeUNINSTALL_EXIT_DONE = 0 // the removal is complete
} codeUNINSTALL_EXIT;

codeINSTALL_INIT Install_Init(HWND hwndParent, BOOL fFirstCall, BOOL fPreviouslyInstalled,
                              LPCTSTR pszInstallDir);
codeINSTALL_EXIT Install_Exit(HWND hwndParent, LPCTSTR pszInstallDir, WORD cFailedDirs,
                              WORD cFailedFiles, WORD cFailedRegKeys, WORD cFailedRegVals,
                              WORD cFailedShortcuts);
codeUNINSTALL_INIT Uninstall_Init(HWND hwndParent, LPCTSTR pszInstallDir);
codeUNINSTALL_EXIT Uninstall_Exit(HWND hwndParent);

typedef codeINSTALL_INIT (*pfnINSTALL_INIT)(HWND hwndParent, BOOL fFirstCall,
                                            BOOL fPreviouslyInstalled, LPCTSTR pszInstallDir);
typedef codeINSTALL_EXIT (*pfnINSTALL_EXIT)(HWND hwndParent, LPCTSTR pszInstallDir,
                                            WORD cFailedDirs, WORD cFailedFiles,
                                            WORD cFailedRegKeys, WORD cFailedRegVals,
                                            WORD cFailedShortcuts);
typedef codeUNINSTALL_INIT (*pfnUNINSTALL_INIT)(HWND hwndParent, LPCTSTR pszInstallDir);
typedef codeUNINSTALL_EXIT (*pfnUNINSTALL_EXIT)(HWND hwndParent);

#ifdef __cplusplus
}
#endif

#define szINSTALL_INIT TEXT("Install_Init")
#define szINSTALL_EXIT TEXT("Install_Exit")
#define szUNINSTALL_INIT TEXT("Uninstall_Init")
#define szUNINSTALL_EXIT TEXT("Uninstall_Exit")

#endif
