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

// The change: "next" and the automatic change's submenu.  The five intervals
// follow ID_AUTO_CHANGE_FIRST in the order of kAutoChangeMinutes.
#define ID_NEXT_WALLPAPER 32800
#define ID_AUTO_CHANGE_FIRST 32801
#define ID_AUTO_CHANGE_OFF 32801
#define ID_AUTO_CHANGE_15MIN 32802
#define ID_AUTO_CHANGE_1HOUR 32803
#define ID_AUTO_CHANGE_3HOURS 32804
#define ID_AUTO_CHANGE_1DAY 32805
#define ID_RANDOM_ORDER 32806

#define IDS_APP_TITLE 57344

// Identifiers of the dialog groups.
#include "resource-list.h"
#include "resource-pick.h"
#include "resource-settings.h"
#include "resource-manage.h"
