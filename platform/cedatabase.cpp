// Object-store databases read from the device profile.
#include "platform/cedatabase.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/deviceprofile.h"

namespace ce {

namespace {

// Identifiers start here so that none is 0 (the end of an enumeration) and
// none looks like a small count or index.
constexpr CEOID kFirstOid = 0x00010001;

// An open enumeration: the profile labels it had when it began, the next
// one to look at, and the type it lists. The handle is an event of this
// process, so that it is unique among all handles and a desktop CloseHandle
// of it does no harm.
struct Enumeration {
    HANDLE handle;
    std::vector<std::wstring> labels;
    size_t next;
    DWORD type;
};

std::mutex stateLock;
std::vector<Enumeration> enumerations;
std::map<std::wstring, CEOID> oidsByLabel;

bool IsObjectStore(const CEGUID* guid) {
    return !guid || (guid->Data1 == 0 && guid->Data2 == 0 && guid->Data3 == 0 && guid->Data4 == 0);
}

std::wstring DatabaseKey(const std::wstring& label) { return std::wstring(kProfileDatabasesKey) + L"\\" + label; }

CEOID OidOf(const std::wstring& label) {
    auto found = oidsByLabel.find(label);
    if (found != oidsByLabel.end()) return found->second;
    const CEOID oid = kFirstOid + static_cast<CEOID>(oidsByLabel.size());
    oidsByLabel.emplace(label, oid);
    return oid;
}

// The label an identifier was handed out for, or false.
bool LabelOf(CEOID oid, std::wstring& label) {
    for (const auto& [known, id] : oidsByLabel) {
        if (id == oid) {
            label = known;
            return true;
        }
    }
    return false;
}

}  // namespace

HANDLE CeFindFirstDatabaseEx(PCEGUID pguid, DWORD dwDbaseType) {
    if (!IsObjectStore(pguid)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    Enumeration enumeration{nullptr, {}, 0, dwDbaseType};
    ReadProfileSubkeys(kProfileDatabasesKey, enumeration.labels);  // no key: an empty store
    enumeration.handle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!enumeration.handle) return INVALID_HANDLE_VALUE;
    std::lock_guard<std::mutex> hold(stateLock);
    enumerations.push_back(std::move(enumeration));
    return enumerations.back().handle;
}

CEOID CeFindNextDatabaseEx(HANDLE hEnum, PCEGUID /*pguid*/) {
    std::lock_guard<std::mutex> hold(stateLock);
    auto open = std::find_if(enumerations.begin(), enumerations.end(),
                             [hEnum](const Enumeration& e) { return e.handle == hEnum; });
    if (open != enumerations.end()) {
        while (open->next < open->labels.size()) {
            const std::wstring& label = open->labels[open->next++];
            const std::wstring key = DatabaseKey(label);
            if (!HasProfileKey(key.c_str())) continue;  // removed since the enumeration began
            if (open->type != 0 && ReadProfileNumber(kProfileDatabaseType, 0, key.c_str()) != open->type) continue;
            return OidOf(label);
        }
    }
    SetLastError(ERROR_NO_MORE_ITEMS);
    return 0;
}

BOOL CeOidGetInfoEx(PCEGUID pguid, CEOID oid, CEOIDINFO* oidInfo) {
    if (!oidInfo || !IsObjectStore(pguid)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::memset(oidInfo, 0, sizeof(*oidInfo));
    std::wstring label;
    {
        std::lock_guard<std::mutex> hold(stateLock);
        if (!LabelOf(oid, label)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    const std::wstring key = DatabaseKey(label);
    if (!HasProfileKey(key.c_str())) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (ReadProfileNumber(kProfileDatabaseReadFails, 0, key.c_str()) == 1) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    CEDBASEINFO& database = oidInfo->infDatabase;
    // The reader fails for a name that does not fit, rather than cut it.
    if (!ReadProfileText(kProfileDatabaseName, database.szDbaseName, kMaxDatabaseName, key.c_str()) ||
        database.szDbaseName[0] == L'\0') {
        database.szDbaseName[0] = L'\0';
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    ULONGLONG size = 0;
    ReadProfileQword(kProfileDatabaseSize, size, key.c_str());
    oidInfo->wObjType = OBJTYPE_DATABASE;
    database.dwDbaseType = ReadProfileNumber(kProfileDatabaseType, 0, key.c_str());
    database.dwSize = static_cast<DWORD>(std::min<ULONGLONG>(size, 0xFFFFFFFFu));
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    {
        std::lock_guard<std::mutex> hold(stateLock);
        enumerations.erase(std::remove_if(enumerations.begin(), enumerations.end(),
                                          [handle](const Enumeration& e) { return e.handle == handle; }),
                           enumerations.end());
    }
    return ::CloseHandle(handle);
}

}  // namespace ce
