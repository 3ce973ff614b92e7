// Resource identifiers of the wallpaper list dialog and the entry dialog.
#pragma once

// The wallpaper list dialog.
#define IDD_WALLPAPER_LIST 102
#define IDC_LIST_ROWS 1000
#define IDC_LIST_MOVE_UP 1001
#define IDC_LIST_MOVE_DOWN 1002
#define IDC_LIST_ADD 1003
#define IDC_LIST_ADD_FOLDER 1022
#define IDC_LIST_DELETE_UNCHECKED 1027
#define IDC_LIST_PREVIEW 1034

// The entry dialog (add, edit or delete one wallpaper).
#define IDD_WALLPAPER_ENTRY 131
#define IDC_ENTRY_NAME 1014
#define IDC_ENTRY_PATH 1016
#define IDC_ENTRY_BROWSE 1017
#define IDC_ENTRY_STYLE 1019
#define IDC_ENTRY_DELETE 1020
