// Resource identifiers of the management dialogs: picture cache, plug-in settings, plug-in status.
#pragma once

// Plug-in settings.
#define IDD_SPI_SETTING 135
#define IDC_SPI_LIST 1035
#define IDC_SPI_ABOUT 1038
#define IDC_SPI_CONFIG 1039

// Picture cache management.
#define IDD_PICTURE_CACHE 136
#define IDC_CACHE_CHECK_ALL 1040
#define IDC_CACHE_INVERT 1041
#define IDC_CACHE_LIST 1042
#define IDC_CACHE_RELOAD 1047
#define IDC_CACHE_PREVIEW 1051
#define IDC_CACHE_BUDGET 1090

// Plug-in status.
#define IDD_SPI_STATUS 144
#define IDC_SPI_REPORT 1063
#define IDC_SPI_FILE_PROP 1067
#define IDC_SPI_MODULE_LIST 1068
