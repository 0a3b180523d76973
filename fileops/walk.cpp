// The search of a tree of folders.
#include "fileops/walk.h"

#include <winternl.h>

#include <cwchar>
#include <set>
#include <utility>

#include "framework/paths.h"
#include "shell/patterns.h"

namespace {

// A folder's identity: its volume and its file index, as the file system
// gives them. Two paths to one folder (through a link) have the same.
using FolderIdentity = std::pair<DWORD, ULONGLONG>;

// Reads the file index of `folder` into `identity`, and its volume's serial
// number too when `readVolume`; otherwise `identity.first` is left as the
// caller set it. Asking for the volume is what costs: under Wine it takes
// five times as long as opening the folder and reading its index together.
bool ReadIdentity(const wchar_t* folder, bool readVolume, FolderIdentity& identity) {
    HANDLE handle = CreateFileW(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool read = false;
    if (readVolume) {
        BY_HANDLE_FILE_INFORMATION info{};
        read = GetFileInformationByHandle(handle, &info) != FALSE;
        if (read)
            identity = {info.dwVolumeSerialNumber,
                        (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    } else {
        IO_STATUS_BLOCK status{};
        FILE_INTERNAL_INFORMATION index{};
        read = NT_SUCCESS(NtQueryInformationFile(handle, &status, &index, sizeof(index), FileInternalInformation));
        if (read) identity.second = static_cast<ULONGLONG>(index.IndexNumber.QuadPart);
    }
    CloseHandle(handle);
    return read;
}

class TreeSearch {
public:
    TreeSearch(const wchar_t* patterns, const std::atomic<bool>& stop, const SearchCalls& calls)
        : patterns_(patterns), everything_(patterns[0] == L'\0'), stop_(stop), calls_(calls) {}

    // False once stopped. `volume` is the volume of the folder that lists
    // this one; `mayCross` says it may lie on another (the root, and any
    // folder that is a reparse point: a link, a junction, a mount point,
    // the only ways from one volume to another).
    bool Search(const wchar_t* folder, DWORD volume, bool mayCross) {
        if (stop_) return false;
        // A folder reached a second time (through a link, or a link to a
        // folder searched already) is passed over; one whose identity
        // cannot be read is searched, since it cannot lead back to itself
        // unseen either: its own folders carry identities of their own.
        FolderIdentity identity{volume, 0};
        const bool known = ReadIdentity(folder, mayCross, identity);
        if (known && !entered_.insert(identity).second) return true;
        if (calls_.entering) calls_.entering(folder);

        // "*" rather than "*.*": the deepest folder that still has room for
        // a one-unit name below it can then be listed too.
        wchar_t pattern[kMaxPath];
        if (!JoinPath(pattern, folder, L"*")) return true;
        bool going = true;
        ForEachFound(pattern, [&](const WIN32_FIND_DATAW& data) {
            if (stop_) return going = false;
            wchar_t path[kMaxPath];
            if (!JoinPath(path, folder, data.cFileName)) return true;
            if (everything_ || MatchFilePatterns(data.cFileName, patterns_, L";", false)) calls_.found(folder, data);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                going = Search(path, identity.first, !known || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT));
            return going;
        });
        return going && !stop_;
    }

private:
    const wchar_t* patterns_;
    bool everything_;
    const std::atomic<bool>& stop_;
    const SearchCalls& calls_;
    std::set<FolderIdentity> entered_;
};

}  // namespace

bool SearchTree(const wchar_t* root, const wchar_t* patterns, const std::atomic<bool>& stop, const SearchCalls& calls) {
    if (!root || !patterns || wcsnlen(root, kMaxPath) >= static_cast<size_t>(kMaxPath)) return !stop;
    TreeSearch search(patterns, stop, calls);
    return search.Search(root, 0, true);
}
