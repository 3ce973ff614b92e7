#pragma once
#include <string>

// DeskCal's own record of where it is installed: the per-user key
// "Software\Shinonon\Deskcal", value "ExeFileName".  Returns the last value
// found in this process (empty until one is found).
std::string LookUpDeskCal();

// DeskCal's main window class, by which the program sees that it runs.
extern const char* const kDeskCalWindowClass;
