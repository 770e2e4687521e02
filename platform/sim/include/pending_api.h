// DeviceSim: declarations the settings program needs before DeviceSim's
// shell library provides them, as the Windows SDK declares them.
// Temporary: each goes when its own header has it.
#ifndef DEVICESIM_PENDING_API_H
#define DEVICESIM_PENDING_API_H

// ---- winerror.h
#define ERROR_CALL_NOT_IMPLEMENTED 120L

// ---- winbase.h
typedef struct _OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
} OSVERSIONINFOW, *POSVERSIONINFOW, *LPOSVERSIONINFOW, OSVERSIONINFO;
BOOL WINAPI GetVersionExW(LPOSVERSIONINFOW lpVersionInformation);

typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID, CLSID;

// ---- aygshell.h
typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;
#define SHIDIM_FLAGS 0x0001
#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010
#define SHIDIF_EMPTYMENU 0x0020
#define SHIDIF_WANTSCROLLBAR 0x0040
BOOL SHInitDialog(PSHINITDLGINFO pshidi);

typedef struct tagSHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;
#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010
BOOL SHCreateMenuBar(SHMENUBARINFO *pmbi);

typedef struct {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;
BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai,
                        DWORD dwFlags);
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai);

typedef enum _SHNP { SHNP_INFORM = 0x1B1, SHNP_ICONIC } SHNP;
#define SHNF_FORCEMESSAGE 0x00000008
#define SHNF_SILENT 0x00000020
#define NOTIF_NUM_SOFTKEYS 2
typedef struct _SOFTKEYCMD {
    WPARAM wpCmd;
    DWORD grfFlags;
} SOFTKEYCMD;
typedef struct _SOFTKEYMENU {
    HMENU hMenu;
    SOFTKEYCMD *prgskc;
    UINT cskc;
} SOFTKEYMENU;
typedef struct _SOFTKEYNOTIFY {
    LPCWSTR pszTitle;
    SOFTKEYCMD skc;
} SOFTKEYNOTIFY;
typedef struct _SHNOTIFICATIONDATA {
    DWORD cbStruct;
    DWORD dwID;
    SHNP npPriority;
    DWORD csDuration;
    HICON hicon;
    DWORD grfFlags;
    CLSID clsid;
    HWND hwndSink;
    LPCWSTR pszHTML;
    LPCWSTR pszTitle;
    LPARAM lParam;
    union {
        SOFTKEYMENU skm;
        SOFTKEYNOTIFY rgskn[NOTIF_NUM_SOFTKEYS];
    };
    LPCWSTR pszTodaySK;
    LPCWSTR pszTodayExec;
} SHNOTIFICATIONDATA;
LRESULT SHNotificationAdd(SHNOTIFICATIONDATA *pndAdd);

#endif
