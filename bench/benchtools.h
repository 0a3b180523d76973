// What the benchmarks share: their clock, the machine's load printed with
// the figures, a message loop that runs until the host is idle, and the
// folder view hosted as the file dialog hosts it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "filedialog/folderview.h"
#include "framework/appvalues.h"
#include "resources/resource.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double>(end - start).count();
}

// The load average as the host reports it, or "load unknown". Under Wine
// the host's /proc is reached through the Z: drive.
inline std::string LoadText() {
    const char* unknown = "load unknown (Z:\\proc\\loadavg cannot be read)";
    HANDLE file = CreateFileW(L"Z:\\proc\\loadavg", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return unknown;
    char text[128] = "";
    DWORD read = 0;
    const BOOL ok = ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
    CloseHandle(file);
    if (!ok || read == 0) return unknown;
    text[read] = '\0';
    // "1min 5min 15min running/all lastpid": the three averages.
    float one = 0, five = 0, fifteen = 0;
    if (std::sscanf(text, "%f %f %f", &one, &five, &fifteen) != 3) return unknown;
    char line[96];
    std::snprintf(line, sizeof(line), "load %.2f %.2f %.2f (1, 5, 15 min)", one, five, fifteen);
    return line;
}

inline void PrintLoad(const char* when) {
    std::printf("%s %s\n", LoadText().c_str(), when);
    std::fflush(stdout);
}

// The host's idle timer: set by RunUntilIdle, it fires only once nothing
// else, painting included, is waiting.
inline constexpr UINT_PTR kIdleTimer = 1;
inline Clock::time_point gIdleAt;

// For the host's window procedure: true, with the time noted and the loop
// told to end, when `message` is the idle timer.
inline bool OnIdleTimer(HWND window, UINT message, WPARAM wParam) {
    if (message != WM_TIMER || wParam != kIdleTimer) return false;
    gIdleAt = Clock::now();
    KillTimer(window, kIdleTimer);
    PostQuitMessage(0);
    return true;
}

// Serves messages until the idle timer set now on `window` has fired.
inline void RunUntilIdle(HWND window) {
    SetTimer(window, kIdleTimer, 1, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The process as a benchmark of the device's views needs it: 96 dpi, the
// list and bar controls, and a host window class `className` of `proc`.
inline void SetUpHost(const wchar_t* className, WNDPROC proc) {
    AppInstance = GetModuleHandleW(nullptr);
    ScreenDpiX = ScreenDpiY = 96;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW host{};
    host.lpfnWndProc = proc;
    host.hInstance = AppInstance;
    host.lpszClassName = className;
    host.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&host);
}

// The view whose questions the host window answers (LVN_GETDISPINFOW).
inline FFolderView* gView = nullptr;

// The file dialog's view on a list control in a host window of class
// `className` and of the device's size, moved to `folder` with the options
// word `options`, not yet listed. The host is shown unless `shown` is false.
struct HostedView {
    HWND host;
    std::unique_ptr<FFolderView> view;

    HostedView(const wchar_t* className, const std::wstring& folder, DWORD options, bool shown = true) {
        host = CreateWindowExW(0, className, L"Folder view", WS_OVERLAPPEDWINDOW | (shown ? WS_VISIBLE : 0), 0, 0,
                               240, 320, nullptr, nullptr, AppInstance, nullptr);
        HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                    WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_EDITLABELS | LVS_AUTOARRANGE |
                                        LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS,
                                    0, 0, 230, 280, host, reinterpret_cast<HMENU>(IDC_FOLDER_LIST), AppInstance,
                                    nullptr);
        view = std::make_unique<FFolderView>(list);
        gView = view.get();
        if (!view->MoveToLocation(kPlainFolder, folder.c_str())) std::printf("cannot open %ls\n", folder.c_str());
        view->options = options;
    }
    ~HostedView() {
        gView = nullptr;
        view.reset();
        DestroyWindow(host);
    }
    HostedView(const HostedView&) = delete;
    HostedView& operator=(const HostedView&) = delete;
};

}  // namespace bench
