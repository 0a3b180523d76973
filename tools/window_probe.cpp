// Prints the caption of the program's main window on a named desktop, so
// that end-to-end tests can read the title a person sees. Windows on a Wine
// virtual desktop are not X windows: only Wine can list them.
//
//   probe.exe DESKTOP    exit 0 and the caption in UTF-8, or exit 1
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

BOOL CALLBACK FindMainWindow(HWND window, LPARAM result) {
    wchar_t cls[64];
    if (GetClassNameW(window, cls, 64) && std::wcscmp(cls, L"VRK") == 0) {
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    HDESK desktop = OpenDesktopW(argv[1], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (!desktop) return 1;
    HWND found = nullptr;
    EnumDesktopWindows(desktop, FindMainWindow, reinterpret_cast<LPARAM>(&found));
    CloseDesktop(desktop);
    if (!found) return 1;
    wchar_t title[260];
    const int units = GetWindowTextW(found, title, 260);
    char utf8[1024];
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, title, units, utf8, sizeof(utf8) - 1, nullptr, nullptr);
    utf8[bytes > 0 ? bytes : 0] = '\0';
    std::puts(utf8);
    return 0;
}
