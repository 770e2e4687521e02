// DeviceSim: the Windows Mobile shell library.
#ifndef DEVICESIM_AYGSHELL_H
#define DEVICESIM_AYGSHELL_H

#include <windows.h>

#ifndef GUID_DEFINED
#define GUID_DEFINED
typedef struct _GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
} GUID;
#endif
typedef GUID CLSID;

// Loads a .bmp file from the device's file system as a DIB section.
HBITMAP SHLoadDIBitmap(LPCWSTR szFileName);

// ------------------------------------------------------------ full-screen dialogs
#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010
#define SHIDIF_EMPTYMENU 0x0020
#define SHIDIF_WANTSCROLLBAR 0x0040
#define SHIDIF_CANCELBUTTON 0x0080

typedef struct tagSHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
} SHINITDLGINFO, *PSHINITDLGINFO;

BOOL WINAPI SHInitDialog(PSHINITDLGINFO pshidi);

// ------------------------------------------------------------ menu bar
#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010

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

BOOL WINAPI SHCreateMenuBar(SHMENUBARINFO *pmbi);

// ------------------------------------------------------------ activation
typedef struct {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

#define SHA_INPUTDIALOG 0x00000001

BOOL WINAPI SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai,
                               DWORD dwFlags);
BOOL WINAPI SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai);

// ------------------------------------------------------------ notifications
typedef enum _SHNP { SHNP_INFORM = 0x1B1, SHNP_ICONIC = 0 } SHNP;

#define SHNF_STRAIGHTTOTRAY 0x00000001
#define SHNF_CRITICAL 0x00000002
#define SHNF_FORCEMESSAGE 0x00000008
#define SHNF_DISPLAYON 0x00000010
#define SHNF_SILENT 0x00000020
#define SHNF_HASMENU 0x00000040
#define SHNF_TITLETIME 0x00000080
#define SHNF_SPINNERS 0x00000100
#define SHNF_ALERTONUPDATE 0x00000200
#define SHNF_WANTVKTTALK 0x00000400

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

// Two sizes exist: the record up to lParam (56 bytes on the device), and the
// record with the soft keys and the Today-screen texts (88 bytes on the
// device). cbStruct says which one a caller passes.
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
        SOFTKEYNOTIFY rgskn[2];
    };
    LPCWSTR pszTodaySK;
    LPCWSTR pszTodayExec;
} SHNOTIFICATIONDATA;

LRESULT WINAPI SHNotificationAdd(SHNOTIFICATIONDATA *pndAdd);
LRESULT WINAPI SHNotificationRemove(const CLSID *pclsid, DWORD dwID);

#endif
