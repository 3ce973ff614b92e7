// Resource identifiers of the picture pickers: image file dialog, folder import, archived-file dialog.
#pragma once

// The image file dialog's template, laid into the system's open dialog.
#define IDD_BMPFILEDIALOG 101
#define IDC_BMPFILE_STANDARD 1119  // where the system puts its own controls
#define IDC_BMPFILE_PREVIEW 1021

#define IDD_FOLDERIMPORT 133
#define IDC_IMPORT_FILES 1023
#define IDC_IMPORT_STYLE 1024
#define IDC_IMPORT_CHECKALL 1025
#define IDC_IMPORT_INVERT 1026
#define IDC_IMPORT_PREVIEW 1028

#define IDD_ARCFILESELECT 143
#define IDC_ARC_LIST 1054
#define IDC_ARC_PATH 1057
#define IDC_ARC_FILTER 1058
#define IDC_ARC_FILENAME 1060
#define IDC_ARC_DETAILS 1061
#define IDC_ARC_PREVIEW 1062
