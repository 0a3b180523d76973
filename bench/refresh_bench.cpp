// What listing a folder in the folder view costs.
//
// Folders of 1,000, 10,000 and 50,000 files are listed three ways in the
// same run: the view's Refresh, a bare FindFirstFileW / FindNextFileW walk
// of the same folder, and the platform's own GetOpenFileNameW dialog opened
// on it. The dialog is measured from the call until its message queue is
// idle after its list has been filled (a timer set when the dialog reports
// itself ready fires only once nothing else, painting included, is
// waiting); the view is measured the same way from the creation of its
// window. Refresh is timed twice: sorted by name, the order the folder is
// found in, and sorted by size, which leaves the found order far from the
// shown one. Prints the times, then one line per measure:
// "ratio <measure> <ours / baseline>".
//
// Both sides are timed warm: before the rounds of a folder one untimed walk
// reads it, so that neither the walk nor the view pays for bringing the
// directory into the cache (a walk timed cold against a Refresh timed warm,
// or the reverse, makes the ratio a measure of the disk). Each figure is the
// best of several rounds, and the rounds alternate which side goes first, so
// that neither always runs right after the other has warmed or loaded the
// machine. The machine's load average is printed with the figures: a ratio
// from a loaded machine is read as such.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "filedialog/folderview.h"
#include "framework/appvalues.h"
#include "resources/resource.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr UINT_PTR kIdleTimer = 1;

double Seconds(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double>(end - start).count();
}

std::wstring Root() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"pebblora-refresh-bench";
}

// A folder of `files` small files with a few extensions, made once.
std::wstring MakeFolder(int files) {
    const std::wstring folder = Root() + L"\\files" + std::to_wstring(files);
    if (GetFileAttributesW((folder + L"\\done").c_str()) != INVALID_FILE_ATTRIBUTES) return folder;
    CreateDirectoryW(Root().c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    const wchar_t* extensions[] = {L".txt", L".dat", L".ini", L".bmp", L".zzq"};
    for (int i = 0; i < files; ++i) {
        wchar_t name[64];
        wsprintfW(name, L"\\file%05d%s", (i * 7919) % files, extensions[i % 5]);
        HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, name, static_cast<DWORD>(i % 2000), &written, nullptr);
        CloseHandle(file);
    }
    HANDLE done = CreateFileW((folder + L"\\done").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(done);
    return folder;
}

// The load average as the host reports it, or "load unknown". Under Wine
// the host's /proc is reached through the Z: drive.
std::string LoadText() {
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

void PrintLoad(const char* when) {
    std::printf("%s %s\n", LoadText().c_str(), when);
    std::fflush(stdout);
}

int Walk(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    do {
        ++found;
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return found;
}

// ---- The view in a window of the device's size ----------------------------------------------------

FFolderView* gView = nullptr;
Clock::time_point gIdleAt;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && gView) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        if (info->hdr.code == LVN_GETDISPINFOW) gView->OnGetDispInfo(*info);
        return 0;
    }
    if (message == WM_TIMER && wParam == kIdleTimer) {
        gIdleAt = Clock::now();
        KillTimer(window, kIdleTimer);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Serves messages until the idle timer set now has fired.
void RunUntilIdle(HWND window) {
    SetTimer(window, kIdleTimer, 1, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct ViewTimes {
    double refresh;  // Refresh alone
    double opened;   // window, view, Refresh, until idle
    int count;
};

// The view opened on `folder` and listed with the options word `options`.
ViewTimes TimeView(const std::wstring& folder, DWORD options) {
    const Clock::time_point start = Clock::now();
    HWND host = CreateWindowExW(0, L"RefreshBenchHost", L"Folder view", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 240,
                                320, nullptr, nullptr, AppInstance, nullptr);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_EDITLABELS | LVS_AUTOARRANGE |
                                    LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS,
                                0, 0, 230, 280, host, reinterpret_cast<HMENU>(IDC_FOLDER_LIST), AppInstance, nullptr);
    auto view = std::make_unique<FFolderView>(list);
    gView = view.get();
    if (!view->MoveToLocation(kPlainFolder, folder.c_str())) std::printf("cannot open %ls\n", folder.c_str());
    view->options = options;
    const Clock::time_point refreshStart = Clock::now();
    view->Refresh();
    const Clock::time_point refreshEnd = Clock::now();
    RunUntilIdle(host);
    ViewTimes times{Seconds(refreshStart, refreshEnd), Seconds(start, gIdleAt), view->count};
    gView = nullptr;
    view.reset();
    DestroyWindow(host);
    return times;
}

// ---- The platform's dialog ------------------------------------------------------------------------

UINT_PTR CALLBACK DialogHook(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == CDN_INITDONE)
        SetTimer(child, kIdleTimer, 1, nullptr);
    if (message == WM_TIMER && wParam == kIdleTimer) {
        gIdleAt = Clock::now();
        KillTimer(child, kIdleTimer);
        PostMessageW(GetParent(child), WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

double TimePlatformDialog(const std::wstring& folder) {
    wchar_t file[MAX_PATH] = L"";
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.lpstrFile = file;
    request.nMaxFile = MAX_PATH;
    request.lpstrInitialDir = folder.c_str();
    request.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_FILEMUSTEXIST;
    request.lpfnHook = DialogHook;
    const Clock::time_point start = Clock::now();
    GetOpenFileNameW(&request);
    return Seconds(start, gIdleAt);
}

}  // namespace

int main() {
    AppInstance = GetModuleHandleW(nullptr);
    ScreenDpiX = ScreenDpiY = 96;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW host{};
    host.lpfnWndProc = HostProc;
    host.hInstance = AppInstance;
    host.lpszClassName = L"RefreshBenchHost";
    host.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&host);

    const int sizes[] = {1000, 10000, 50000};
    PrintLoad("at the start");
    double walkTimes[3], refreshTimes[3], bySizeTimes[3], openTimes[3], platformTimes[3];
    for (int s = 0; s < 3; ++s) {
        const std::wstring folder = MakeFolder(sizes[s]);
        // The best of several rounds: the machine is shared, and a small
        // folder's hundredth of a second is easily doubled by a neighbour.
        const int rounds = sizes[s] >= 50000 ? 3 : (sizes[s] >= 10000 ? 5 : 15);
        double walk = 1e9, refresh = 1e9, bySize = 1e9, opened = 1e9;
        int listed = 0;
        // Untimed: the folder comes into the cache for both sides alike.
        Walk(folder);
        for (int round = 0; round < rounds; ++round) {
            const auto timeWalk = [&] {
                const Clock::time_point start = Clock::now();
                Walk(folder);
                walk = std::min(walk, Seconds(start, Clock::now()));
            };
            if (round % 2 == 0) timeWalk();
            const ViewTimes times = TimeView(folder, kColumnsPresent | kSortByName);
            refresh = std::min(refresh, times.refresh);
            opened = std::min(opened, times.opened);
            listed = times.count;
            bySize = std::min(bySize, TimeView(folder, kColumnsPresent | kSortBySize).refresh);
            if (round % 2 == 1) timeWalk();
        }
        walkTimes[s] = walk;
        refreshTimes[s] = refresh;
        bySizeTimes[s] = bySize;
        openTimes[s] = opened;
        // Many times slower: once.
        platformTimes[s] = TimePlatformDialog(folder);
        std::printf("%d files (%d listed): walk %.4f s, Refresh %.4f s (by size %.4f s), view opened until idle "
                    "%.4f s, GetOpenFileNameW until idle %.4f s\n",
                    sizes[s], listed, walk, refresh, bySize, opened, platformTimes[s]);
        PrintLoad(("after " + std::to_string(sizes[s]) + " files").c_str());
    }
    for (int s = 0; s < 3; ++s) std::printf("ratio refresh%d_vs_walk %.3f\n", sizes[s], refreshTimes[s] / walkTimes[s]);
    for (int s = 0; s < 3; ++s)
        std::printf("ratio refresh%d_bysize_vs_walk %.3f\n", sizes[s], bySizeTimes[s] / walkTimes[s]);
    for (int s = 0; s < 3; ++s)
        std::printf("ratio refresh%d_vs_platform %.3f\n", sizes[s], openTimes[s] / platformTimes[s]);
    return 0;
}
