// Resource ids of the settings program, shared by PLSettings.rc and the code.
#ifndef PLSETTINGS_RESOURCE_H
#define PLSETTINGS_RESOURCE_H

// ---- menus, dialogs, pictures
#define IDR_MENUBAR 101
#define IDD_SETTINGS 102
#define IDD_GENERAL_PAGE 103
#define IDD_BUTTONS_PAGE 105
#define IDD_DISPLAY_PAGE 111
#define IDD_ABOUT 131
#define IDB_ABOUT 133
#define IDD_MOVEMENT_PAGE 136
#define IDI_PLSETTINGS 137

// ---- main dialog
#define IDC_TABS 1001

// ---- General page
#define IDC_SHOW_HIDE_CURSOR 1012
#define IDC_MENU_KEYS 1013
#define IDC_MENU_CURSOR 1014
#define IDC_HELP_MENU_BEHAVIOUR 1043
#define IDC_HELP_SHOW_HIDE 1053

// ---- Movement page
#define IDC_ACCELERATION 1003
#define IDC_SPEED 1004
#define IDC_SPEED_LABEL 1005
#define IDC_SPEED_SLOW 1006
#define IDC_SPEED_FAST 1007
#define IDC_ACCELERATION_SPEED 1010
#define IDC_ACCELERATION_FAST 1011
#define IDC_ACCELERATION_SLOW 1012
#define IDC_ACCELERATION_LABEL 1013
#define IDC_HELP_SPEED 1044
#define IDC_HELP_ACCELERATION 1045

// ---- Buttons page
#define IDC_BUTTONS_TEXT 1019
#define IDC_BUTTON_LIST 1009
#define IDC_ASSIGN 1010
#define IDC_RESTORE 1011
#define IDC_HELP_BUTTONS 1047

// ---- Display page
#define IDC_IMAGE_LIST 1018
#define IDC_HELP_IMAGE 1048

// ---- About dialog
#define IDC_ABOUT_PICTURE 1049

// ---- menu bar commands
#define IDM_RESTORE_DEFAULTS 40001
#define IDM_SAVE 40002
#define IDM_ABOUT 40006
#define IDM_CANCEL 40009
#define IDM_SHOW_HIDE_CURSOR 40011
#define IDM_MENU_CANCEL 40016

// ---- string table
#define IDS_ERROR_TITLE 100
#define IDS_SAVE_ERROR 101
#define IDS_TAB_GENERAL 110
#define IDS_TAB_MOVEMENT 111
#define IDS_TAB_BUTTONS 112
#define IDS_TAB_DISPLAY 113
#define IDS_TAB_GENERAL_ERROR 120
#define IDS_TAB_MOVEMENT_ERROR 121
#define IDS_TAB_BUTTONS_ERROR 122
#define IDS_TAB_DISPLAY_ERROR 123
#define IDS_START_ERROR_TITLE 130
#define IDS_START_ERROR 131
#define IDS_SELECT_IMAGE_TITLE 140
#define IDS_SELECT_IMAGE 141
#define IDS_COLUMN_IMAGE 142
#define IDS_COLUMN_SIZE 143
#define IDS_IMAGE_WINDOWS 150
#define IDS_IMAGE_WHITE 151
#define IDS_IMAGE_BLACK 152
#define IDS_SIZE_EXTRA_SMALL 160
#define IDS_SIZE_SMALL 161
#define IDS_SIZE_MEDIUM 162
#define IDS_SIZE_LARGE 163

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Every string of the table fits in this many characters with its
// terminator.
#define STRING_CAPACITY 256

#endif
