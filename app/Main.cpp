#include <windows.h>

#include "app/TavrinApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    TavrinApp app;
    return app.Run();
}
