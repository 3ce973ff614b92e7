// Resource identifiers.
#pragma once

#define IDI_MAINFRAME 128
#define IDR_TRAYMENU 130
#define IDD_PREVIEW 134
#define IDI_TRAY 138

#define ID_LIST_SHOW 32771
#define ID_SETTINGS 32772
#define ID_APP_EXIT_TRAY 32773
#define ID_ENTRY_ADD 32774
#define ID_HELP_TOPICS 57670

#define IDS_APP_TITLE 57344

// Identifiers of the dialog groups.
#include "resource-list.h"
#include "resource-pick.h"
#include "resource-settings.h"
#include "resource-manage.h"
