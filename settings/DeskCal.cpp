#include "settings/DeskCal.h"

#include "util/RegistryKey.h"

const char* const kDeskCalWindowClass = "TDeskcalForm";

std::string LookUpDeskCal() {
    static std::string kept;
    RegistryKey key;
    if (key.Open(HKEY_CURRENT_USER, "Software\\Shinonon\\Deskcal") == ERROR_SUCCESS) {
        std::string value;
        if (key.QueryString("ExeFileName", &value) == ERROR_SUCCESS) kept = value;
    }
    key.Close();
    return kept;
}
