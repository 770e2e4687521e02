// The installer's hooks: after an installation they start both programs and
// greet the user; after a removal they offer the feedback page, unless an
// installation is under way.
#include <windows.h>

#include <ce_setup.h>

#include "InstallMarker.h"
#include "ProgramPaths.h"

namespace {

const WCHAR CURSOR_PROGRAM[] = TEXT("Pointrel.exe");
const WCHAR SETTINGS_PROGRAM[] = TEXT("PLSettings.exe");
const WCHAR BROWSER[] = TEXT("\\Windows\\iexplore.exe");
const WCHAR FEEDBACK_PAGE[] =
    TEXT("http://www.quorvane.com/pointrel/uninstalled.html#uninstall_feedback");

// The programs have had time to show their windows when the welcome comes.
const DWORD WELCOME_DELAY_MS = 1200;

const WCHAR WELCOME_TITLE[] = TEXT("Welcome");
const WCHAR WELCOME_TEXT[] =
    TEXT("Welcome to Pointrel!\n\nPointrel has started, and you can start moving the cursor ")
        TEXT("with your D-Pad.\n\nTake a look at the Settings to setup Pointrel to your liking.");
const WCHAR FEEDBACK_TITLE[] = TEXT("Uninstall Feedback");
const WCHAR FEEDBACK_TEXT[] =
    TEXT("Please help us make our product better by telling us why you uninstalled ")
        TEXT("Pointrel.\n\nContinue? (Opens page in Internet Explorer.)");
const WCHAR BROWSER_ERROR_TITLE[] = TEXT("Internet Explorer Error");
const WCHAR BROWSER_ERROR_TEXT[] =
    TEXT("Opening Internet Explorer failed.\n\nPlease send your product feedback by e-mail ")
        TEXT("to feedback@quorvane.com.\n\nThank you!");

// Starts a program with an optional command line; the handles are closed.
bool StartProgram(LPCWSTR path, LPWSTR commandLine) {
    PROCESS_INFORMATION info;
    ZeroMemory(&info, sizeof info);
    if (!CreateProcessW(path, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, NULL, &info))
        return false;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

// A program whose path does not fit is not started, like one that fails to.
void StartInstalledProgram(LPCWSTR folder, LPCWSTR program) {
    WCHAR path[PATH_CAPACITY];
    if (BuildProgramPath(folder, program, path))
        StartProgram(path, NULL);
}

} // namespace

// The entry point of the library: nothing to set up or tear down.
extern "C" BOOL WINAPI DllMain(HANDLE module, DWORD reason, LPVOID reserved) {
    (void)module;
    (void)reason;
    (void)reserved;
    return TRUE;
}

codeINSTALL_INIT Install_Init(HWND hwndParent, BOOL fFirstCall, BOOL fPreviouslyInstalled,
                              LPCTSTR pszInstallDir) {
    (void)hwndParent;
    (void)fPreviouslyInstalled;
    (void)pszInstallDir;
    if (fFirstCall == TRUE)
        RefreshInstallMarker();
    return codeINSTALL_INIT_CONTINUE;
}

codeINSTALL_EXIT Install_Exit(HWND hwndParent, LPCTSTR pszInstallDir, WORD cFailedDirs,
                              WORD cFailedFiles, WORD cFailedRegKeys, WORD cFailedRegVals,
                              WORD cFailedShortcuts) {
    (void)hwndParent;
    (void)cFailedDirs;
    (void)cFailedFiles;
    (void)cFailedRegKeys;
    (void)cFailedRegVals;
    (void)cFailedShortcuts;
    // An empty folder is no folder: it would make the programs' paths
    // point at the root of the device.
    if (pszInstallDir == NULL || pszInstallDir[0] == 0)
        return codeINSTALL_EXIT_DONE;
    StartInstalledProgram(pszInstallDir, CURSOR_PROGRAM);
    StartInstalledProgram(pszInstallDir, SETTINGS_PROGRAM);
    Sleep(WELCOME_DELAY_MS);
    MessageBoxW(GetForegroundWindow(), WELCOME_TEXT, WELCOME_TITLE, MB_OK | MB_ICONINFORMATION);
    return codeINSTALL_EXIT_DONE;
}

codeUNINSTALL_INIT Uninstall_Init(HWND hwndParent, LPCTSTR pszInstallDir) {
    (void)hwndParent;
    (void)pszInstallDir;
    return codeUNINSTALL_INIT_CONTINUE;
}

codeUNINSTALL_EXIT Uninstall_Exit(HWND hwndParent) {
    (void)hwndParent;
    if (TakeInstallMarker())
        return codeUNINSTALL_EXIT_DONE;
    int answer = MessageBoxW(GetForegroundWindow(), FEEDBACK_TEXT, FEEDBACK_TITLE,
                             MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES && answer != IDOK)
        return codeUNINSTALL_EXIT_DONE;
    // The browser may write into its command line, so it gets a copy.
    WCHAR address[sizeof FEEDBACK_PAGE / sizeof FEEDBACK_PAGE[0]];
    CopyMemory(address, FEEDBACK_PAGE, sizeof FEEDBACK_PAGE);
    if (!StartProgram(BROWSER, address))
        MessageBoxW(GetForegroundWindow(), BROWSER_ERROR_TEXT, BROWSER_ERROR_TITLE,
                    MB_OK | MB_ICONEXCLAMATION);
    return codeUNINSTALL_EXIT_DONE;
}
