// DeviceSim: declarations the settings program needs before DeviceSim's
// controls and shell library provide them, as the Windows SDK declares them.
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

// ---- winuser.h
#define SS_LEFT 0x00000000L
#define SS_CENTER 0x00000001L
#define SS_BITMAP 0x0000000EL
#define SS_NOTIFY 0x00000100L
#define STN_CLICKED 0

typedef struct tagNMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
} NMHDR, *LPNMHDR;

// ---- commctrl.h
typedef struct tagINITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;
#define ICC_LISTVIEW_CLASSES 0x00000001
#define ICC_BAR_CLASSES 0x00000004
#define ICC_TAB_CLASSES 0x00000008
BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX *picce);

#define CCM_FIRST 0x2000
#define CCM_SETVERSION (CCM_FIRST + 0x7)

#define TCM_FIRST 0x1300
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_INSERTITEMW (TCM_FIRST + 62)
#define TCIF_TEXT 0x0001
#define TCIF_IMAGE 0x0002
#define TCN_FIRST (0U - 550U)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)
typedef struct tagTCITEMW {
    UINT mask;
    DWORD dwState;
    DWORD dwStateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
} TCITEMW, *LPTCITEMW;

#define TBM_GETPOS (WM_USER)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TB_ENDTRACK 8

#define LVM_FIRST 0x1000
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_SETITEMW (LVM_FIRST + 76)
#define LVM_INSERTITEMW (LVM_FIRST + 77)
#define LVM_INSERTCOLUMNW (LVM_FIRST + 97)
#define LVNI_SELECTED 0x0002
#define LVIF_TEXT 0x0001
#define LVCF_FMT 0x0001
#define LVCF_WIDTH 0x0002
#define LVCF_TEXT 0x0004
#define LVCF_SUBITEM 0x0008
#define LVCFMT_LEFT 0x0000
#define LVN_FIRST (0U - 100U)
#define LVN_ITEMCHANGED (LVN_FIRST - 1)
typedef struct tagLVCOLUMNW {
    UINT mask;
    int fmt;
    int cx;
    LPWSTR pszText;
    int cchTextMax;
    int iSubItem;
} LVCOLUMNW, *LPLVCOLUMNW;
typedef struct tagLVITEMW {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPWSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
    int iIndent;
} LVITEMW, *LPLVITEMW;

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
