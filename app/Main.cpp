#include <windows.h>

#include "remote/CommandLine.h"
#include "remote/RemoteCommand.h"
#include "app/TavrinApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // With arguments this process only hands a command to the running copy.
    std::vector<std::wstring> args = ProcessArguments();
    if (!args.empty()) return RunRemoteCommand(ParseCommandLine(args), TrayWindow::kClassName);
    TavrinApp app;
    return app.Run();
}
