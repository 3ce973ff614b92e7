// A stand-in for a post-change command: writes every argument it was given
// (UTF-8, one a line) to the file named by its first argument, then waits
// the milliseconds given by its second.
#include <windows.h>

#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    std::string text;
    for (int i = 1; i < argc; ++i) {
        char buf[1024];
        int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, buf, sizeof(buf), nullptr, nullptr);
        if (n > 0) text.append(buf, n - 1);
        text += "\n";
    }
    HANDLE f = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return 1;
    DWORD put;
    WriteFile(f, text.data(), (DWORD)text.size(), &put, nullptr);
    CloseHandle(f);
    Sleep(static_cast<DWORD>(_wtoi(argv[2])));
    return 0;
}
