// Object store, power status and storage cards: the desktop's figures
// refined by the device profile.
#include "platform/cestatus.h"

#include <algorithm>
#include <cwchar>
#include <mutex>
#include <string>
#include <vector>

#include "platform/deviceprofile.h"

namespace ce {

namespace {

constexpr DWORD kProfileCardsPathUnits = MAX_PATH;
// Longest card name looked up: the profile's key path must hold it whole,
// or a cut name could find another card.
constexpr size_t kMaxCardNameUnits = 200;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The path without a leading "X:" when X is the current (device) drive, so
// that "T:\Storage Card" and "\Storage Card" are the same place. Null when
// the path names another drive or is relative: nothing there is a card.
const wchar_t* DeviceRelative(const wchar_t* path) {
    if (!path) return nullptr;
    if (path[0] != L'\0' && path[1] == L':') {
        wchar_t current[MAX_PATH];
        DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
        if (length < 2 || length >= MAX_PATH || current[1] != L':') return nullptr;
        if (towupper(current[0]) != towupper(path[0])) return nullptr;
        path += 2;
    }
    if (!IsSeparator(path[0]) || IsSeparator(path[1])) return nullptr;  // relative, or a network path
    return path;
}

// Copies the first component of a device path ("\<name>\...") into `name`.
// Returns the rest after the component (empty or starting at a separator),
// or null when there is no usable component.
const wchar_t* FirstComponent(const wchar_t* path, wchar_t* name, size_t units) {
    const wchar_t* device = DeviceRelative(path);
    if (!device) return nullptr;
    const wchar_t* start = device + 1;
    const wchar_t* end = start;
    while (*end && !IsSeparator(*end)) ++end;
    const size_t length = static_cast<size_t>(end - start);
    if (length == 0 || length >= units || length > kMaxCardNameUnits) return nullptr;
    std::wmemcpy(name, start, length);
    name[length] = L'\0';
    return end;
}

// True when `path` is a root folder: "\<name>" or "\<name>\"; its name in
// `name`.
bool RootFolderName(const wchar_t* path, wchar_t* name, size_t units) {
    const wchar_t* rest = FirstComponent(path, name, units);
    return rest && (rest[0] == L'\0' || (IsSeparator(rest[0]) && rest[1] == L'\0'));
}

// True when the search pattern lists the device root ("\*.*", "\*", "\S*").
bool IsRootSearch(const wchar_t* pattern) {
    const wchar_t* device = DeviceRelative(pattern);
    if (!device) return false;
    for (const wchar_t* p = device + 1; *p; ++p)
        if (IsSeparator(*p)) return false;
    return true;
}

void CardKey(const wchar_t* name, wchar_t* key, int units) {
    lstrcpynW(key, kProfileCardsKey, units);
    lstrcatW(key, L"\\");  // fits: the name's length was checked against the key's room
    lstrcatW(key, name);
}

// Adds the card attribute to a root entry that is a folder the profile names.
void OverlayRootEntry(WIN32_FIND_DATAW* data) {
    if ((data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsProfileCard(data->cFileName))
        data->dwFileAttributes |= FILE_ATTRIBUTE_TEMPORARY;
}

// ---- In-ROM files ----

// The device path of `path` without a trailing separator, for comparison
// with the profile's paths; false for paths off the device.
bool InRomKey(const wchar_t* path, std::wstring& key) {
    const wchar_t* device = DeviceRelative(path);
    if (!device) return false;
    key.assign(device);
    while (key.size() > 1 && IsSeparator(key.back())) key.pop_back();
    for (wchar_t& c : key)
        if (c == L'/') c = L'\\';
    return true;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The profile's in-ROM paths, each in the form InRomKey gives.
std::vector<std::wstring> ReadInRomPaths() {
    std::vector<std::wstring> listed, keys;
    ReadProfileTexts(kProfileInRomFiles, listed);
    std::wstring key;
    for (const std::wstring& path : listed)
        if (InRomKey(path.c_str(), key)) keys.push_back(key);
    return keys;
}

bool IsListed(const std::vector<std::wstring>& inRom, const std::wstring& key) {
    return std::any_of(inRom.begin(), inRom.end(), [&](const std::wstring& path) { return SamePath(path, key); });
}

// An open search: whether it lists the device root (cards), the device
// folder it lists (with its separator) and the in-ROM paths of the profile
// as they were when it began. Searches run on the user-interface thread
// and on the file-operation worker.
struct Search {
    HANDLE handle;
    bool root;
    std::wstring folder;
    std::vector<std::wstring> inRom;
};
std::mutex searchesLock;
std::vector<Search> searches;

// Adds what the handheld shows and a desktop cannot to one entry of `search`.
void OverlayEntry(const Search& search, WIN32_FIND_DATAW* data) {
    if (search.root) OverlayRootEntry(data);
    if (!search.inRom.empty() && IsListed(search.inRom, search.folder + data->cFileName))
        data->dwFileAttributes |= FILE_ATTRIBUTE_INROM;
}

// A BYTE of the profile, or `fallback` when missing or above 255.
BYTE ReadProfileByte(const wchar_t* name, BYTE fallback) {
    constexpr DWORD kMissing = 0xFFFFFFFF;
    DWORD value = ReadProfileNumber(name, kMissing);
    return value <= 0xFF ? static_cast<BYTE>(value) : fallback;
}

bool ProfileSaysFail(const wchar_t* name) { return ReadProfileNumber(name, 0) == 1; }

DWORD CapToDword(ULONGLONG value) { return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(value); }

void FillUnknownPower(SYSTEM_POWER_STATUS_EX& status) {
    status = SYSTEM_POWER_STATUS_EX{};
    status.ACLineStatus = kPowerUnknown;
    status.BatteryFlag = kPowerUnknown;
    status.BatteryLifePercent = kPowerUnknown;
    status.BatteryLifeTime = BATTERY_LIFE_UNKNOWN;
    status.BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
    status.BackupBatteryFlag = kPowerUnknown;
    status.BackupBatteryLifePercent = kPowerUnknown;
    status.BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
    status.BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
}

}  // namespace

// ---- Object store -------------------------------------------------------------------

BOOL GetStoreInformation(LPSTORE_INFORMATION info) {
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *info = STORE_INFORMATION{};
    if (ProfileSaysFail(kProfileStoreQueryFails)) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    ULARGE_INTEGER total{};
    ULARGE_INTEGER freeBytes{};
    if (!::GetDiskFreeSpaceExW(L"\\", nullptr, &total, &freeBytes)) return FALSE;
    DWORD size = ReadProfileNumber(kProfileStoreSize, CapToDword(total.QuadPart));
    DWORD available = ReadProfileNumber(kProfileStoreFree, CapToDword(freeBytes.QuadPart));
    info->dwStoreSize = size;
    info->dwFreeSize = std::min(available, size);
    return TRUE;
}

// ---- Power ----------------------------------------------------------------------------

BOOL GetSystemPowerStatusEx(PSYSTEM_POWER_STATUS_EX status, BOOL /*fUpdate*/) {
    if (!status) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    FillUnknownPower(*status);
    if (ProfileSaysFail(kProfilePowerQueryFails)) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    SYSTEM_POWER_STATUS desktop{};
    if (!::GetSystemPowerStatus(&desktop)) return FALSE;
    status->ACLineStatus = ReadProfileByte(kProfileACLineStatus, desktop.ACLineStatus);
    status->BatteryFlag = ReadProfileByte(kProfileMainBatteryFlag, desktop.BatteryFlag);
    status->BatteryLifePercent = ReadProfileByte(kProfileMainBatteryPercent, desktop.BatteryLifePercent);
    status->BatteryLifeTime = desktop.BatteryLifeTime;
    status->BatteryFullLifeTime = desktop.BatteryFullLifeTime;
    status->BackupBatteryFlag = ReadProfileByte(kProfileBackupBatteryFlag, kPowerUnknown);
    status->BackupBatteryLifePercent = ReadProfileByte(kProfileBackupBatteryPercent, kPowerUnknown);
    return TRUE;
}

// ---- Storage cards --------------------------------------------------------------------

bool IsProfileCard(const wchar_t* name) {
    if (!name || !*name || std::wcslen(name) > kMaxCardNameUnits) return false;
    if (std::wcscmp(name, L".") == 0 || std::wcscmp(name, L"..") == 0) return false;
    for (const wchar_t* p = name; *p; ++p)
        if (IsSeparator(*p)) return false;
    wchar_t key[kProfileCardsPathUnits];
    CardKey(name, key, kProfileCardsPathUnits);
    return HasProfileKey(key);
}

DWORD GetFileAttributesW(const wchar_t* path) {
    DWORD attributes = ::GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return attributes;
    const DWORD error = GetLastError();
    wchar_t name[MAX_PATH];
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && RootFolderName(path, name, MAX_PATH) && IsProfileCard(name))
        attributes |= FILE_ATTRIBUTE_TEMPORARY;
    std::wstring key;
    if (InRomKey(path, key) && IsListed(ReadInRomPaths(), key)) attributes |= FILE_ATTRIBUTE_INROM;
    SetLastError(error);
    return attributes;
}

HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data) {
    HANDLE find = ::FindFirstFileW(pattern, data);
    if (find == INVALID_HANDLE_VALUE) return find;
    Search search{find, IsRootSearch(pattern), L"", ReadInRomPaths()};
    std::wstring folder;
    if (!search.inRom.empty() && InRomKey(pattern, folder)) {
        // The listed folder is the pattern up to its last separator.
        const size_t separator = folder.find_last_of(L'\\');
        search.folder = folder.substr(0, separator + 1);
    } else {
        search.inRom.clear();  // a search off the device has no in-ROM entries
    }
    if (!search.root && search.inRom.empty()) return find;
    OverlayEntry(search, data);
    std::lock_guard<std::mutex> hold(searchesLock);
    searches.push_back(std::move(search));
    return find;
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
    if (!::FindNextFileW(find, data)) return FALSE;
    std::lock_guard<std::mutex> hold(searchesLock);
    for (const Search& search : searches)
        if (search.handle == find) OverlayEntry(search, data);
    return TRUE;
}

BOOL FindClose(HANDLE find) {
    {
        std::lock_guard<std::mutex> hold(searchesLock);
        searches.erase(std::remove_if(searches.begin(), searches.end(),
                                      [find](const Search& search) { return search.handle == find; }),
                       searches.end());
    }
    return ::FindClose(find);
}

BOOL GetDiskFreeSpaceExW(const wchar_t* path, ULARGE_INTEGER* freeBytesAvailable, ULARGE_INTEGER* totalBytes,
                         ULARGE_INTEGER* totalFreeBytes) {
    wchar_t card[MAX_PATH];
    const bool onCard = FirstComponent(path, card, MAX_PATH) && IsProfileCard(card);
    const DWORD attributes = onCard ? ::GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ::GetDiskFreeSpaceExW(path, freeBytesAvailable, totalBytes, totalFreeBytes);

    wchar_t key[kProfileCardsPathUnits];
    CardKey(card, key, kProfileCardsPathUnits);
    ULONGLONG total = 0;
    if (!ReadProfileQword(kProfileCardTotalBytes, total, key)) {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    ULONGLONG freeBytes = 0;
    ReadProfileQword(kProfileCardFreeBytes, freeBytes, key);
    freeBytes = std::min(freeBytes, total);
    if (freeBytesAvailable) freeBytesAvailable->QuadPart = freeBytes;
    if (totalBytes) totalBytes->QuadPart = total;
    if (totalFreeBytes) totalFreeBytes->QuadPart = freeBytes;
    return TRUE;
}

}  // namespace ce
