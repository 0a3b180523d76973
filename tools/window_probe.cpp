// Tells what the program shows on a named Wine desktop, so that the
// launcher and the end-to-end tests can wait for what a person waits for
// instead of for a fixed time. Windows on a Wine virtual desktop are not X
// windows: only Wine can list them.
//
//   window_probe.exe DESKTOP
//
// Waits (up to 10 s) until the program has handled its input and drawn,
// then prints two lines in UTF-8: the caption of the program's main window,
// and the caption of its active window (a dialog or sheet in front, or the
// main window again). Exit 0; 1 when the program has no main window
// there; 3 when it did not become idle in time.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

struct Found {
    HWND main = nullptr;
    DWORD process = 0;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM result) {
    wchar_t cls[64];
    auto* found = reinterpret_cast<Found*>(result);
    if (GetClassNameW(window, cls, 64) && std::wcscmp(cls, L"VRK") == 0) {
        found->main = window;
        GetWindowThreadProcessId(window, &found->process);
        return FALSE;
    }
    return TRUE;
}

// The window the program's thread has active: a dialog or sheet while one
// is open, else the main window.
HWND ActiveWindowOf(HWND main) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    if (!GetGUIThreadInfo(thread, &info) || !info.hwndActive) return main;
    return info.hwndActive;
}

void PrintCaption(HWND window) {
    wchar_t title[260];
    const int units = GetWindowTextW(window, title, 260);
    char utf8[1024];
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, title, units, utf8, sizeof(utf8) - 1, nullptr, nullptr);
    utf8[bytes > 0 ? bytes : 0] = '\0';
    std::puts(utf8);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    HDESK desktop = OpenDesktopW(argv[1], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (!desktop) return 1;
    Found found;
    EnumDesktopWindows(desktop, FindMainWindow, reinterpret_cast<LPARAM>(&found));
    if (!found.main) {
        CloseDesktop(desktop);
        return 1;
    }
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, found.process);
    const DWORD idle = process ? WaitForInputIdle(process, 10000) : WAIT_FAILED;
    if (process) CloseHandle(process);
    CloseDesktop(desktop);
    PrintCaption(found.main);
    PrintCaption(ActiveWindowOf(found.main));
    return idle == WAIT_TIMEOUT ? 3 : 0;
}
