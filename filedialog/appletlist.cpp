// The Control Panel location: the applets of the control-panel modules in
// "\Windows", asked through their CPlApplet entry.
#include "filedialog/listings.h"

#include <cpl.h>

#include <algorithm>
#include <climits>

#include "framework/paths.h"
#include "platform/cestatus.h"
#include "shell/iconcache.h"

namespace {

// The most applets asked of one module. Real modules hold a handful; a
// module that reports nonsense (0x7FFFFFFF) would otherwise keep the list
// busy for hours, with an icon extracted and an entry kept per applet.
constexpr LONG kMaxAppletsPerModule = 256;

// A search of one folder, closed when the holder goes.
class FolderSearch {
public:
    FolderSearch(const wchar_t* pattern, WIN32_FIND_DATAW& data) : find_(ce::FindFirstFileW(pattern, &data)) {}
    ~FolderSearch() {
        if (Found()) ce::FindClose(find_);
    }
    FolderSearch(const FolderSearch&) = delete;
    FolderSearch& operator=(const FolderSearch&) = delete;

    bool Found() const { return find_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAW& data) { return ce::FindNextFileW(find_, &data) != FALSE; }

private:
    HANDLE find_;
};

// A module loaded for the length of one inquiry, unloaded when the holder goes.
class LoadedModule {
public:
    explicit LoadedModule(const wchar_t* path) {
        // A module that does not load is left out without the system's own
        // error box.
        DWORD previous = 0;
        const bool quiet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
        module_ = LoadLibraryW(path);
        if (quiet) SetThreadErrorMode(previous, nullptr);
    }
    ~LoadedModule() {
        if (module_) FreeLibrary(module_);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    HMODULE Get() const { return module_; }

private:
    HMODULE module_ = nullptr;
};

// The icon number that ExtractIconExW reads for an applet's lData: -lData,
// so that a positive lData names an icon resource. An lData that cannot
// name an icon (a resource number past 16 bits, or beyond the int range)
// gives an index no file reaches, so that the applet's own icon is taken.
int IconNumber(LONG_PTR lData) {
    if (lData > 0xFFFF || lData < -static_cast<LONG_PTR>(INT_MAX)) return INT_MAX;
    return static_cast<int>(-lData);
}

// Asks one module about its applets and appends an entry for each applet
// with an icon. `path` is the module's device path.
void ListModule(HWND listControl, ShellIconCache& icons, const wchar_t* path, FList<ListEntry*>& entries) {
    LoadedModule module(path);
    if (!module.Get()) return;
    auto applet = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(module.Get(), "CPlApplet")));
    if (!applet) return;

    applet(listControl, CPL_INIT, 0, 0);
    const LONG count = std::clamp(applet(listControl, CPL_GETCOUNT, 0, 0), LONG{0}, kMaxAppletsPerModule);
    for (LONG i = 0; i < count; ++i) {
        NEWCPLINFOW record{};
        record.dwSize = sizeof(record);
        applet(listControl, CPL_NEWINQUIRE, i, reinterpret_cast<LPARAM>(&record));
        // A name that fills its field ends at its last unit.
        record.szName[ARRAYSIZE(record.szName) - 1] = L'\0';
        if (record.hIcon) {
            int image = AddIconFromFile(icons, record.szName, path, IconNumber(record.lData), record.hIcon);
            // Neither the file nor the returned icon gave a picture: the
            // applet still shows, as a program.
            if (image == -1) image = kImageProgram;
            DestroyIcon(record.hIcon);
            entries.push_back(new AppletEntry(image, record.szName));
        }
        applet(listControl, CPL_STOP, i, reinterpret_cast<LPARAM>(&record));
    }
    applet(listControl, CPL_EXIT, 0, 0);
}

}  // namespace

AppletEntry::AppletEntry(int image, const wchar_t* name) : ListEntry(kAppletEntry, image) {
    lstrcpynW(name_, name, ARRAYSIZE(name_));
}

void ListControlPanelApplets(HWND listControl, ShellIconCache& icons, FList<ListEntry*>& entries) {
    wchar_t pattern[kMaxPath];
    if (!JoinPath(pattern, L"\\Windows", L"*.cpl")) return;
    WIN32_FIND_DATAW found{};
    FolderSearch search(pattern, found);
    if (!search.Found()) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        // The module is loaded by its full device path: the desktop's search
        // for a bare name looks in the program's and the system's folders,
        // not the device's "\Windows", and would load another module of
        // the same name.
        wchar_t path[kMaxPath];
        if (!JoinPath(path, L"\\Windows", found.cFileName)) continue;
        // The desktop also matches "*.cpl" against short names ("x.cplx").
        if (!HasExtension(path, L".cpl")) continue;
        ListModule(listControl, icons, path, entries);
    } while (search.Next(found));
}
