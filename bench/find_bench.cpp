// What Find costs, from the tap until the results are shown, and how soon
// Abort lets go.
//
// A tree of 50,000 files in 1,000 folders (40 folders of the root, each
// with 24 below it, 50 files in each of the 1,000) is made once in the
// Wine temp folder. One file in a hundred has the extension ".wav", the
// pattern searched for.
//
// find50000_vs_walk: Find as the file dialog runs it (RunFind: the real
// progress dialog, owned by a shown host window, and its worker), then the
// found items handed to a folder view of the Find Result location and
// listed there, until the host's queue is idle (painting done), against a
// plain recursive FindFirstFileW walk on this thread with the same pattern
// check. Both warm (an untimed walk first), best of several rounds, the
// order alternating. Then where Find's time goes, and the same for a
// pattern that matches every entry (Find stops at kMaxFound of them),
// printed for information only.
//
// find_abort_vs_100ms: Abort pressed (WM_COMMAND IDCANCEL posted to the
// progress dialog) while a search of the tree runs, until the dialog is
// gone and RunFind has returned, over 100 ms; the best of several rounds,
// each round printed.
//
// Every wait is bounded: a watchdog ends the program, naming what it was
// waiting for, when a step overruns its limit.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "filedialog/filefind.h"
#include "bench/benchtools.h"
#include "filedialog/folderview.h"
#include "fileops/walk.h"
#include "framework/appvalues.h"
#include "platform/cestatus.h"
#include "resources/resource.h"
#include "shell/fileitem.h"
#include "shell/locations.h"
#include "shell/patterns.h"

namespace {

using namespace bench;
constexpr wchar_t kPattern[] = L"*.wav";
constexpr wchar_t kEveryEntry[] = L"*";
constexpr int kTopFolders = 40, kFoldersBelow = 24, kFilesPerFolder = 50;

// ---- The watchdog -----------------------------------------------------------------------------------

std::atomic<long long> gDeadlineMs{0};  // steady-clock milliseconds; 0: nothing watched
const char* gWaitingFor = "";

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
}

// Watches the step that starts now for `seconds`.
void Watch(const char* what, int seconds) {
    gWaitingFor = what;
    gDeadlineMs = NowMs() + seconds * 1000LL;
}

DWORD WINAPI WatchdogMain(void*) {
    for (;;) {
        Sleep(100);
        const long long deadline = gDeadlineMs;
        if (deadline != 0 && NowMs() > deadline) {
            std::printf("find_bench: %s did not end in time; giving up\n", gWaitingFor);
            std::fflush(stdout);
            ExitProcess(2);
        }
    }
}

// ---- The tree ---------------------------------------------------------------------------------------

std::wstring Root() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"pebblora-find-bench";
}

void MakeFiles(const std::wstring& folder, int& next) {
    CreateDirectoryW(folder.c_str(), nullptr);
    const wchar_t* extensions[] = {L".txt", L".dat", L".ini", L".bmp"};
    for (int i = 0; i < kFilesPerFolder; ++i, ++next) {
        wchar_t name[64];
        wsprintfW(name, L"\\item%05d%s", next, next % 100 == 37 ? L".wav" : extensions[next % 4]);
        HANDLE file = CreateFileW((folder + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }
}

// The tree, made once; its root.
std::wstring MakeTree() {
    const std::wstring root = Root();
    if (GetFileAttributesW((root + L"-done").c_str()) != INVALID_FILE_ATTRIBUTES) return root;
    Watch("making the tree of 50,000 files", 900);
    CreateDirectoryW(root.c_str(), nullptr);
    int next = 0;
    for (int top = 0; top < kTopFolders; ++top) {
        wchar_t name[32];
        wsprintfW(name, L"\\group%02d", top);
        const std::wstring group = root + name;
        MakeFiles(group, next);
        for (int below = 0; below < kFoldersBelow; ++below) {
            wsprintfW(name, L"\\part%02d", below);
            MakeFiles(group + name, next);
        }
    }
    HANDLE done = CreateFileW((root + L"-done").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(done);
    return root;
}

// The baseline: every folder listed with the platform's find calls, each
// name checked against the pattern; the number of matches.
int Walk(const std::wstring& folder, const wchar_t* patterns) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int matches = 0;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        if (MatchFilePatterns(data.cFileName, patterns, L";", false)) ++matches;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) matches += Walk(folder + L"\\" + data.cFileName, patterns);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return matches;
}

// The walk with the handheld's find calls (in-ROM files and storage cards
// laid over what the platform finds), as the search lists each folder.
int CeWalk(const std::wstring& folder, const wchar_t* patterns) {
    WIN32_FIND_DATAW data;
    HANDLE find = ce::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int matches = 0;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        if (MatchFilePatterns(data.cFileName, patterns, L";", false)) ++matches;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) matches += CeWalk(folder + L"\\" + data.cFileName, patterns);
    } while (ce::FindNextFileW(find, &data));
    ce::FindClose(find);
    return matches;
}

// Where the search's own time goes beyond the plain walk: the handheld's
// find calls, timed apart, best of 3.
void PrintSearchParts(const std::wstring& root, const wchar_t* patterns, double walk) {
    double ceWalk = 1e9;
    for (int round = 0; round < 3; ++round) {
        const Clock::time_point start = Clock::now();
        CeWalk(root, patterns);
        ceWalk = std::min(ceWalk, Seconds(start, Clock::now()));
    }
    std::printf("part walk %.1f ms\npart walk_with_handheld_find_calls %.1f ms\n", walk * 1000, ceWalk * 1000);
    std::fflush(stdout);
}

// ---- The host and its view ------------------------------------------------------------------------


LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && gView) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        if (info->hdr.code == LVN_GETDISPINFOW && info->hdr.hwndFrom == gView->hwnd) gView->OnGetDispInfo(*info);
        return 0;
    }
    if (bench::OnIdleTimer(window, message, wParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

// ---- Find from the tap until the results are shown ------------------------------------------------

struct FindTimes {
    double total = 1e9;  // from the tap until idle with the results listed
    double run = 1e9;    // RunFind alone: dialog, worker, search
    double shown = 1e9;  // the results handed to the view, listed and painted
    int found = 0;
};

void TimeFind(const std::wstring& root, const wchar_t* patterns, FindTimes& best) {
    HostedView hosted(L"FindBenchHost", root, kColumnsPresent | kSortByName);
    UpdateWindow(hosted.host);
    std::vector<FileItem*> found;
    bool aborted = false;
    Watch("a Find of the tree", 120);
    const Clock::time_point start = Clock::now();
    const bool ran = RunFind(hosted.host, root.c_str(), patterns, L"*.*", found, aborted);
    const Clock::time_point searched = Clock::now();
    const int count = static_cast<int>(found.size());
    hosted.view->TakeResults(found);
    if (!hosted.view->MoveToLocation(kFindResult, LocationPath(kFindResult))) std::printf("cannot show the results\n");
    hosted.view->RefreshWhenStale(false);
    RunUntilIdle(hosted.host);
    gDeadlineMs = 0;
    if (!ran || aborted) std::printf("NOTE: the Find did not run to its end (shown %d, aborted %d)\n", ran, aborted);
    best.total = std::min(best.total, Seconds(start, gIdleAt));
    best.run = std::min(best.run, Seconds(start, searched));
    best.shown = std::min(best.shown, Seconds(searched, gIdleAt));
    best.found = count;
}

// SearchTree alone on this thread, making the items as the worker does.
double TimeSearchAlone(const std::wstring& root, const wchar_t* patterns) {
    std::atomic<bool> stop{false};
    std::vector<FileItem*> found;
    SearchCalls calls;
    calls.found = [&](const wchar_t* folder, const WIN32_FIND_DATAW& data) {
        found.push_back(new FileItem(folder, data));
    };
    const Clock::time_point start = Clock::now();
    SearchTree(root.c_str(), patterns, stop, calls);
    const double seconds = Seconds(start, Clock::now());
    for (FileItem* item : found) delete item;
    return seconds;
}

struct Measure {
    FindTimes find;
    double walk = 1e9;
    double searchAlone = 1e9;
    int walked = 0;
};

Measure MeasureFind(const std::wstring& root, const wchar_t* patterns, int rounds) {
    Measure m;
    Walk(root, patterns);  // untimed: the tree comes into the cache for both sides alike
    for (int round = 0; round < rounds; ++round) {
        const auto timeWalk = [&] {
            const Clock::time_point start = Clock::now();
            m.walked = Walk(root, patterns);
            m.walk = std::min(m.walk, Seconds(start, Clock::now()));
        };
        if (round % 2 == 0) timeWalk();
        TimeFind(root, patterns, m.find);
        m.searchAlone = std::min(m.searchAlone, TimeSearchAlone(root, patterns));
        if (round % 2 == 1) timeWalk();
    }
    return m;
}

void PrintMeasure(const char* label, const wchar_t* patterns, const Measure& m) {
    std::printf("%s \"%ls\": walk %.4f s (%d matches); Find until shown %.4f s (%d found): RunFind %.4f s, of which "
                "the search alone %.4f s; results handed over, listed and painted %.4f s\n",
                label, patterns, m.walk, m.walked, m.find.total, m.find.found, m.find.run, m.searchAlone,
                m.find.shown);
    // A search that reached the limit of what Find keeps stopped early: the
    // whole tree's search says nothing of it then.
    if (static_cast<size_t>(m.find.found) >= kMaxFound) {
        std::printf("in walks: Find stopped at %u found after %.2f (the whole search alone: %.2f), showing %.2f; "
                    "total %.2f\n",
                    static_cast<unsigned>(kMaxFound), m.find.run / m.walk, m.searchAlone / m.walk,
                    m.find.shown / m.walk, m.find.total / m.walk);
    } else {
        std::printf("where the time goes, in walks: search alone %.2f, dialog and worker %.2f, showing %.2f; total "
                    "%.2f\n",
                    m.searchAlone / m.walk, (m.find.run - m.searchAlone) / m.walk, m.find.shown / m.walk,
                    m.find.total / m.walk);
    }
    std::fflush(stdout);
}

// ---- Abort ------------------------------------------------------------------------------------------

HWND gHost = nullptr;
HWND gProgress = nullptr;
Clock::time_point gSeenAt, gAbortAt;
bool gAbortPosted = false;
// How long the search runs before Abort is pressed.
constexpr double kRunBeforeAbort = 0.05;

// The progress dialog of the search: the enabled popup the host owns.
HWND FindProgressDialog() {
    HWND dialog = FindWindowW(L"#32770", L"Find in progress...");
    return dialog && GetWindow(dialog, GW_OWNER) == gHost ? dialog : nullptr;
}

// A thread timer: runs inside the progress dialog's modal loop.
void CALLBACK PressAbort(HWND, UINT, UINT_PTR timer, DWORD) {
    if (gAbortPosted) return;
    if (!gProgress) {
        gProgress = FindProgressDialog();
        if (gProgress) gSeenAt = Clock::now();
        return;
    }
    if (Seconds(gSeenAt, Clock::now()) < kRunBeforeAbort) return;
    gAbortAt = Clock::now();
    gAbortPosted = true;
    PostMessageW(gProgress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    KillTimer(nullptr, timer);
}

// Seconds from Abort until RunFind returned with the dialog gone, or a
// negative value when the round did not measure that.
double TimeAbort(const std::wstring& root) {
    HostedView hosted(L"FindBenchHost", root, kColumnsPresent | kSortByName);
    UpdateWindow(hosted.host);
    gHost = hosted.host;
    gProgress = nullptr;
    gAbortPosted = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 5, PressAbort);
    std::vector<FileItem*> found;
    bool aborted = false;
    Watch("a Find to be aborted", 120);
    RunFind(hosted.host, root.c_str(), kEveryEntry, L"*.*", found, aborted);
    const Clock::time_point returned = Clock::now();
    gDeadlineMs = 0;
    KillTimer(nullptr, timer);
    const size_t kept = found.size();
    for (FileItem* item : found) delete item;
    if (!gAbortPosted) {
        std::printf("NOTE: the progress dialog was never seen; no Abort\n");
        return -1;
    }
    if (!aborted) {
        std::printf("NOTE: the search ended before Abort took effect\n");
        return -1;
    }
    if (IsWindow(gProgress)) std::printf("NOTE: the progress dialog is still there after RunFind returned\n");
    const double seconds = Seconds(gAbortAt, returned);
    std::printf("abort after %.0f ms of search: gone in %.1f ms, %zu results kept\n",
                Seconds(gSeenAt, gAbortAt) * 1000, seconds * 1000, kept);
    return seconds;
}

}  // namespace

int main() {
    SetUpHost(L"FindBenchHost", HostProc);
    CloseHandle(CreateThread(nullptr, 0, WatchdogMain, nullptr, 0, nullptr));

    PrintLoad("at the start");
    const std::wstring root = MakeTree();
    gDeadlineMs = 0;

    const Measure some = MeasureFind(root, kPattern, 5);
    PrintMeasure("1% of the files", kPattern, some);
    PrintSearchParts(root, kPattern, some.walk);
    PrintLoad("after the 1% pattern");
    const Measure every = MeasureFind(root, kEveryEntry, 3);
    PrintMeasure("every entry", kEveryEntry, every);
    PrintLoad("after the pattern for every entry");

    double abort = 1e9;
    for (int round = 0; round < 5; ++round) {
        const double seconds = TimeAbort(root);
        if (seconds >= 0) abort = std::min(abort, seconds);
    }
    PrintLoad("after the aborts");

    std::printf("info find50000_every_entry_vs_walk %.3f\n", every.find.total / every.walk);
    std::printf("ratio find50000_vs_walk %.3f\n", some.find.total / some.walk);
    if (abort < 1e9)
        std::printf("ratio find_abort_vs_100ms %.3f\n", abort / 0.1);
    else
        std::printf("find_abort_vs_100ms not measured: no round aborted a running search\n");
    return 0;
}
