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
//
// Then where one Refresh of 10,000 files sorted by name spends its time, as
// "part <name> <ms>" lines, each the best of a few rounds. The parts are
// timed from outside the view: the same calls the view makes, on the same
// folder and the view's own entries, or one of the view's public steps.
// Those inside Refresh are timed apart from it, so they add up to about its
// time, not to the unit; "rest_of_refresh" is what they leave of it.
//
// After the breakdown, one "floor" line per folder size: the time the list
// control itself takes to take in the entries when it is new (below
// TimeFreshControlInsert), in walks.
//
// And, before any of that, the bytes the view holds per entry at 50,000
// files, with the list control's share counted apart (how: above
// ViewBytesPerEntry), as "ratio view_bytes_per_entry <bytes>".
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/benchtools.h"
#include "filedialog/folderview.h"
#include "fileops/walk.h"
#include "framework/appvalues.h"
#include "platform/cestatus.h"
#include "resources/resource.h"
#include "shell/fileitem.h"
#include "shell/filetypes.h"

namespace {

using namespace bench;

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

// The view's answers to LVN_GETDISPINFOW: how many, and their time.
int gDispInfoCalls = 0;
double gDispInfoSeconds = 0;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY && gView) {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        if (info->hdr.code == LVN_GETDISPINFOW && info->hdr.hwndFrom == gView->hwnd) {
            const Clock::time_point start = Clock::now();
            gView->OnGetDispInfo(*info);
            gDispInfoSeconds += Seconds(start, Clock::now());
            ++gDispInfoCalls;
        }
        return 0;
    }
    if (bench::OnIdleTimer(window, message, wParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

struct ViewTimes {
    double refresh;  // Refresh alone
    double opened;   // window, view, Refresh, until idle
    int count;
};

// The view opened on `folder` and listed with the options word `options`.
ViewTimes TimeView(const std::wstring& folder, DWORD options) {
    const Clock::time_point start = Clock::now();
    HostedView hosted(L"RefreshBenchHost", folder, options);
    const Clock::time_point refreshStart = Clock::now();
    hosted.view->Refresh();
    const Clock::time_point refreshEnd = Clock::now();
    RunUntilIdle(hosted.host);
    return ViewTimes{Seconds(refreshStart, refreshEnd), Seconds(start, gIdleAt), hosted.view->count};
}

// ---- Where one Refresh's time goes ----------------------------------------------------------------

struct Parts {
    double walk = 1e9;      // the view's find calls alone
    double items = 1e9;     // making the items and their type texts, beyond the walk
    double sort = 1e9;      // sort keys and sorting (SortEntries)
    double insert = 1e9;    // LVM_INSERTITEMW of every entry, redraw off, count set first
    double widths = 1e9;    // the names measured in the list's font, one context
    // The column widths set on the still empty list, as the view sets them:
    // the List view's column width, column 0's width, and column 0 itself.
    double listColumn = 1e9;
    double nameWidth = 1e9;
    double nameColumn = 1e9;
    double redraw = 1e9;    // focus on the first item, redraw back on, the list invalidated
    double refresh = 1e9;   // Refresh itself
    double paint = 1e9;     // the list's first paint, the icons asked for included
    double icons = 1e9;     // the view's LVN_GETDISPINFOW answers during that paint
    double subItems = 1e9;  // Details chosen after a Refresh in List view, less the switch alone
    double details = 1e9;   // the switch to Details alone, on a twin without sub-items
    int iconsAsked = 0;
    bool widthsAgree = true;
};

// The walk as the view makes it: the handheld's find calls.
int CeWalk(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ce::FindFirstFileW((folder + L"\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    do {
        ++found;
    } while (ce::FindNextFileW(find, &data));
    ce::FindClose(find);
    return found;
}

// The walk with what the view makes of each file found: its item, with the
// type text looked up in `types`, kept in a list of entries.
double TimeItems(const std::wstring& folder, FileTypeTable& types) {
    const Clock::time_point start = Clock::now();
    FList<ListEntry*> entries;
    WIN32_FIND_DATAW data;
    HANDLE find = ce::FindFirstFileW((folder + L"\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (IsDotEntry(data.cFileName)) continue;
            auto* item = new FileItem(folder.c_str(), data);
            item->SetTypeText(GetFileTypeName(types, data.cFileName, data.dwFileAttributes));
            entries.push_back(item);
        } while (ce::FindNextFileW(find, &data));
        ce::FindClose(find);
    }
    const double seconds = Seconds(start, Clock::now());
    for (ListEntry* entry : entries) delete entry;
    return seconds;
}

// The widest of `shown` names as the view measures them: the list's font
// selected into one context of its window (the control's own message when
// it has no font).
int WidestName(HWND list, const std::vector<ListEntry*>& shown) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    HDC dc = GetDC(list);
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    int widest = 0;
    for (const ListEntry* entry : shown) {
        SIZE size{};
        int width = 0;
        if (font && GetTextExtentPoint32W(dc, entry->Name(), lstrlenW(entry->Name()), &size))
            width = size.cx;
        else
            width = static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(entry->Name())));
        widest = std::max(widest, width);
    }
    if (old) SelectObject(dc, old);
    ReleaseDC(list, dc);
    return widest;
}

// A hidden twin of the view's list control: made the same way and set up
// by a view of its own (columns, images, List view), which lists nothing.
HWND MakeTwinList(HWND host, std::unique_ptr<FFolderView>& twin) {
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                                WS_CHILD | LVS_REPORT | LVS_EDITLABELS | LVS_AUTOARRANGE | LVS_SHAREIMAGELISTS |
                                    LVS_SHOWSELALWAYS,
                                0, 0, 230, 280, host, nullptr, AppInstance, nullptr);
    twin = std::make_unique<FFolderView>(list);
    return list;
}

// Inserts `shown` into `list` as the view inserts its items.
void InsertAsTheView(HWND list, const std::vector<ListEntry*>& shown) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_SETITEMCOUNT, shown.size(), 0);
    int index = 0;
    for (ListEntry* entry : shown) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = index++;
        item.pszText = const_cast<wchar_t*>(entry->Name());
        item.iImage = entry->image;
        item.lParam = reinterpret_cast<LPARAM>(entry);
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

// One round of the parts, each kept when it beats `parts`.
void TimeParts(const std::wstring& folder, DWORD options, Parts& parts) {
    Clock::time_point start = Clock::now();
    CeWalk(folder);
    const double walk = Seconds(start, Clock::now());
    parts.walk = std::min(parts.walk, walk);

    HostedView hosted(L"RefreshBenchHost", folder, options);
    HWND host = hosted.host;
    FFolderView* view = hosted.view.get();
    HWND list = view->hwnd;
    // The host's own first paint is not the list's.
    UpdateWindow(host);

    // The view's type table, already read, as Refresh finds it.
    parts.items = std::min(parts.items, TimeItems(folder, view->types) - walk);

    start = Clock::now();
    view->Refresh();
    parts.refresh = std::min(parts.refresh, Seconds(start, Clock::now()));

    gDispInfoCalls = 0;
    gDispInfoSeconds = 0;
    start = Clock::now();
    UpdateWindow(list);
    parts.paint = std::min(parts.paint, Seconds(start, Clock::now()));
    parts.icons = std::min(parts.icons, gDispInfoSeconds);
    parts.iconsAsked = gDispInfoCalls;

    start = Clock::now();
    const std::vector<ListEntry*> sorted = SortEntries(view->entries, options);
    parts.sort = std::min(parts.sort, Seconds(start, Clock::now()));

    start = Clock::now();
    const int widest = WidestName(list, sorted);
    parts.widths = std::min(parts.widths, Seconds(start, Clock::now()));
    if (widest != view->widest) parts.widthsAgree = false;

    // The control's own steps of Refresh, on a twin of the view's control:
    // the same calls, the same entries.
    std::unique_ptr<FFolderView> twin;
    HWND twinList = MakeTwinList(host, twin);
    // The columns are fitted while the list is empty, in the view's order.
    const int width = NameColumnWidth(widest);
    start = Clock::now();
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = width;
    SendMessageW(twinList, LVM_SETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    parts.nameColumn = std::min(parts.nameColumn, Seconds(start, Clock::now()));
    start = Clock::now();
    SendMessageW(twinList, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(-1), width);
    parts.listColumn = std::min(parts.listColumn, Seconds(start, Clock::now()));
    start = Clock::now();
    SendMessageW(twinList, LVM_SETCOLUMNWIDTH, 0, width);
    parts.nameWidth = std::min(parts.nameWidth, Seconds(start, Clock::now()));
    start = Clock::now();
    InsertAsTheView(twinList, sorted);
    parts.insert = std::min(parts.insert, Seconds(start, Clock::now()));
    start = Clock::now();
    LVITEMW focus{};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    SendMessageW(twinList, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
    SendMessageW(twinList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(twinList, nullptr, TRUE);
    parts.redraw = std::min(parts.redraw, Seconds(start, Clock::now()));
    start = Clock::now();
    twin->SetViewMode(IDM_VIEW_DETAILS);
    const double details = Seconds(start, Clock::now());
    parts.details = std::min(parts.details, details);
    // The twin's items point to the view's entries: it goes first.
    twin.reset();
    DestroyWindow(twinList);

    start = Clock::now();
    view->SetViewMode(IDM_VIEW_DETAILS);
    parts.subItems = std::min(parts.subItems, Seconds(start, Clock::now()) - details);
}

void PrintParts(int files) {
    const std::wstring folder = MakeFolder(files);
    Walk(folder);
    Parts parts;
    for (int round = 0; round < 3; ++round) TimeParts(folder, kColumnsPresent | kSortByName, parts);
    const double inside =
        parts.walk + parts.items + parts.sort + parts.insert + parts.widths + parts.listColumn + parts.nameWidth +
                          parts.nameColumn + parts.redraw;
    std::printf("breakdown of one Refresh of %d files by name, ms, best of 3 rounds; walk to focus_and_redraw are "
                "inside Refresh, timed apart; first_paint holds icons_on_demand (%d rows asked); sub_items are "
                "filled when Details is chosen afterwards (Refresh in List view leaves them for then), "
                "details_switch is that choice without them%s\n",
                files, parts.iconsAsked, parts.widthsAgree ? "" : "; NOTE: the names measured here differ from the view's widest");
    const auto part = [](const char* name, double seconds) { std::printf("part %s %.2f\n", name, seconds * 1000); };
    part("walk", parts.walk);
    part("items_and_type_texts", parts.items);
    part("sort_keys_and_sorting", parts.sort);
    part("insert_items", parts.insert);
    part("name_widths", parts.widths);
    part("column_width_list", parts.listColumn);
    part("column_width_name", parts.nameWidth);
    part("column_set_name", parts.nameColumn);
    part("focus_and_redraw", parts.redraw);
    part("rest_of_refresh", parts.refresh - inside);
    part("refresh", parts.refresh);
    part("first_paint", parts.paint);
    part("icons_on_demand", parts.icons);
    part("sub_items", parts.subItems);
    part("details_switch", parts.details);
    std::fflush(stdout);
}

// ---- What the view holds per entry ----------------------------------------------------------------
//
// Memory is counted as the bytes in use in all the process's heaps: every
// busy block HeapWalk reports, with the heap's overhead for it. The
// entries, their type texts, the view's list of them and the control's
// items all come from those heaps, and a count of blocks in use is not
// swayed by scratch that Refresh has freed again. Three counts, around one
// view of 50,000 files:
//   before  the view and a hidden twin of its control made (both set up
//           alike, see MakeTwinList), the location set, nothing listed;
//   listed  after Refresh: the view's entries and its control's items;
//   twin    after the twin was given the same items the way the view
//           inserts them (List view: name, image, entry).
// The control's share is twin - listed; the view's own is what Refresh
// added less the control's share. This runs before any timing round, so
// that the free lists of the framework's container pool hold no nodes left
// by an earlier view, which the view would reuse unseen.
//
// A heap walk that misses blocks (one that skips large ones) would count
// too little: a check allocation of known size must be seen whole, else
// the process's committed private pages are counted instead. Those also
// hold freed scratch, which then goes to the view's share: it comes out
// high, never low.

long long HeapBytesInUse() {
    HANDLE heaps[256];
    const DWORD count = std::min<DWORD>(GetProcessHeaps(256, heaps), 256);
    long long total = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData + entry.cbOverhead;
        }
        HeapUnlock(heaps[i]);
    }
    return total;
}

long long PrivateCommittedBytes() {
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    long long total = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (auto* address = static_cast<char*>(system.lpMinimumApplicationAddress);
         address < system.lpMaximumApplicationAddress && VirtualQuery(address, &info, sizeof(info)) == sizeof(info);
         address = static_cast<char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += static_cast<long long>(info.RegionSize);
    }
    return total;
}

// True when the heap walk sees a thousand small blocks and a large one of
// known sizes, and not much more.
bool HeapWalkSeesAllocations() {
    constexpr long long kSmall = 1000, kLarge = 4 << 20;
    std::vector<std::unique_ptr<char[]>> blocks;
    blocks.reserve(1001);
    const long long before = HeapBytesInUse();
    for (int i = 0; i < 1000; ++i) blocks.emplace_back(new char[kSmall]);
    blocks.emplace_back(new char[kLarge]);
    const long long grown = HeapBytesInUse() - before;
    const long long expected = 1000 * kSmall + kLarge;
    return grown >= expected && grown <= expected + expected / 10;
}

// The view's own bytes per entry at `files` files, or -1 when nothing was
// listed; prints the counts behind it.
double ViewBytesPerEntry(int files) {
    const std::wstring folder = MakeFolder(files);
    const bool byHeap = HeapWalkSeesAllocations();
    const auto bytes = [byHeap] { return byHeap ? HeapBytesInUse() : PrivateCommittedBytes(); };

    HostedView hosted(L"RefreshBenchHost", folder, kColumnsPresent | kSortByName, false);
    FFolderView* view = hosted.view.get();
    std::unique_ptr<FFolderView> twin;
    HWND twinList = MakeTwinList(hosted.host, twin);

    const long long before = bytes();
    view->Refresh();
    const long long listed = bytes();
    {
        const std::vector<ListEntry*> shown(view->entries.begin(), view->entries.end());
        InsertAsTheView(twinList, shown);
    }
    const long long withTwin = bytes();

    const int entries = view->count;
    const long long control = withTwin - listed;
    const long long own = (listed - before) - control;
    if (entries > 0) {
        std::printf("memory at %d files (%d listed), counted by %s: Refresh added %.0f bytes per entry, the control's "
                    "items %.0f of them, the view's entries %.0f (a file item's own object is %d)\n",
                    files, entries, byHeap ? "the heap blocks in use" : "committed private pages (heap walk unsure)",
                    static_cast<double>(listed - before) / entries, static_cast<double>(control) / entries,
                    static_cast<double>(own) / entries, static_cast<int>(sizeof(FileItem)));
        std::fflush(stdout);
    }
    twin.reset();
    DestroyWindow(twinList);
    return entries > 0 ? static_cast<double>(own) / entries : -1;
}

// ---- The list control's own share ----------------------------------------------------------------
//
// Inserting a folder's entries into a list control that has just been made
// (hidden, no redraw, the view's own calls): what any Refresh of a new view
// pays the control whatever the view does. Printed beside the walk, it is
// the floor under the Refresh ratios: Refresh can come no nearer the walk
// than one walk plus this.
double TimeFreshControlInsert(const std::wstring& folder) {
    HostedView hosted(L"RefreshBenchHost", folder, kColumnsPresent | kSortByName, false);
    hosted.view->Refresh();
    const std::vector<ListEntry*> shown(hosted.view->entries.begin(), hosted.view->entries.end());
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        std::unique_ptr<FFolderView> twin;
        HWND list = MakeTwinList(hosted.host, twin);
        const Clock::time_point start = Clock::now();
        InsertAsTheView(list, shown);
        best = std::min(best, Seconds(start, Clock::now()));
        // The twin's items point to the view's entries: it goes first.
        twin.reset();
        DestroyWindow(list);
    }
    return best;
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

// With the argument "parts" only the breakdown (of 10,000 files, or of the
// count given after it), with "memory" only the bytes per entry: a quicker
// look while working on one of them.
int main(int argc, char** argv) {
    SetUpHost(L"RefreshBenchHost", HostProc);

    PrintLoad("at the start");
    if (argc > 1 && std::string(argv[1]) == "parts") {
        PrintParts(argc > 2 ? std::atoi(argv[2]) : 10000);
        PrintLoad("at the end");
        return 0;
    }
    if (argc > 1 && std::string(argv[1]) == "memory") {
        std::printf("ratio view_bytes_per_entry %.0f\n", ViewBytesPerEntry(50000));
        return 0;
    }
    const int sizes[] = {1000, 10000, 50000};
    const double viewBytes = ViewBytesPerEntry(50000);
    double walkTimes[3], refreshTimes[3], bySizeTimes[3], openTimes[3], platformTimes[3], controlTimes[3];
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
        controlTimes[s] = TimeFreshControlInsert(folder);
        std::printf("%d files (%d listed): walk %.4f s, Refresh %.4f s (by size %.4f s), view opened until idle "
                    "%.4f s, GetOpenFileNameW until idle %.4f s\n",
                    sizes[s], listed, walk, refresh, bySize, opened, platformTimes[s]);
        PrintLoad(("after " + std::to_string(sizes[s]) + " files").c_str());
    }
    PrintParts(10000);
    PrintLoad("after the breakdown");
    for (int s = 0; s < 3; ++s)
        std::printf("floor %d files: inserting them into a new list control %.1f ms, %.2f walks; Refresh at best "
                    "%.2f walks\n",
                    sizes[s], controlTimes[s] * 1000, controlTimes[s] / walkTimes[s], 1 + controlTimes[s] / walkTimes[s]);
    for (int s = 0; s < 3; ++s) std::printf("ratio refresh%d_vs_walk %.3f\n", sizes[s], refreshTimes[s] / walkTimes[s]);
    for (int s = 0; s < 3; ++s)
        std::printf("ratio refresh%d_bysize_vs_walk %.3f\n", sizes[s], bySizeTimes[s] / walkTimes[s]);
    for (int s = 0; s < 3; ++s)
        std::printf("ratio refresh%d_vs_platform %.3f\n", sizes[s], openTimes[s] / platformTimes[s]);
    std::printf("ratio view_bytes_per_entry %.0f\n", viewBytes);
    return 0;
}
