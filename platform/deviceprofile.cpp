// Reading the device profile from the registry.
#include "platform/deviceprofile.h"

#include <cwchar>
#include <iterator>

namespace ce {

namespace {

// Room for the profile's key, a subkey of it and one key name below that
// (a registry key name has at most 255 units).
constexpr size_t kKeyPathUnits = 600;

// The full key path of the profile or of one of its subkeys. False when it
// would not fit: a cut path would name another key.
bool ProfileKeyPath(const wchar_t* subkey, wchar_t* out) {
    const size_t base = std::wcslen(kDeviceProfileKey);
    const size_t extra = subkey && *subkey ? 1 + std::wcslen(subkey) : 0;
    if (base + extra >= kKeyPathUnits) return false;
    std::wcscpy(out, kDeviceProfileKey);
    if (extra) {
        out[base] = L'\\';
        std::wcscpy(out + base + 1, subkey);
    }
    return true;
}

}  // namespace

DWORD ReadProfileNumber(const wchar_t* name, DWORD fallback, const wchar_t* subkey) {
    wchar_t key[kKeyPathUnits];
    if (!ProfileKeyPath(subkey, key)) return fallback;
    DWORD value = 0;
    DWORD size = sizeof(value);
    LONG result = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return result == ERROR_SUCCESS ? value : fallback;
}

bool ReadProfileQword(const wchar_t* name, ULONGLONG& value, const wchar_t* subkey) {
    wchar_t key[kKeyPathUnits];
    if (!ProfileKeyPath(subkey, key)) return false;
    ULONGLONG read = 0;  // a DWORD fills only the low half
    DWORD size = sizeof(read);
    LONG result = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_QWORD | RRF_RT_REG_DWORD, nullptr, &read,
                               &size);
    if (result != ERROR_SUCCESS) return false;
    value = read;
    return true;
}

bool HasProfileKey(const wchar_t* subkey) {
    wchar_t key[kKeyPathUnits];
    if (!ProfileKeyPath(subkey, key)) return false;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

bool ReadProfileText(const wchar_t* name, wchar_t* buffer, DWORD units, const wchar_t* subkey) {
    if (units == 0) return false;
    buffer[0] = L'\0';
    wchar_t key[kKeyPathUnits];
    if (!ProfileKeyPath(subkey, key)) return false;
    DWORD size = units * sizeof(wchar_t);
    // RegGetValueW terminates string data itself and fails when it does not fit.
    LONG result = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size);
    if (result != ERROR_SUCCESS) {
        buffer[0] = L'\0';
        return false;
    }
    return true;
}

bool ReadProfileTexts(const wchar_t* name, std::vector<std::wstring>& items, const wchar_t* subkey) {
    items.clear();
    wchar_t key[kKeyPathUnits];
    if (!ProfileKeyPath(subkey, key)) return false;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    // Two spare units: the data read is terminated whatever it holds.
    std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
    DWORD read = size;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_MULTI_SZ, nullptr, data.data(), &read) != ERROR_SUCCESS)
        return false;
    const wchar_t* end = data.data() + read / sizeof(wchar_t);
    for (const wchar_t* item = data.data(); item < end && *item; item += std::wcslen(item) + 1)
        items.emplace_back(item);
    return true;
}

bool ReadProfileSubkeys(const wchar_t* subkey, std::vector<std::wstring>& names) {
    names.clear();
    wchar_t key[kKeyPathUnits];
    if (!ProfileKeyPath(subkey, key)) return false;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    wchar_t name[256];  // the registry's longest key name and its terminator
    for (DWORD index = 0;; ++index) {
        DWORD units = static_cast<DWORD>(std::size(name));
        LONG result = RegEnumKeyExW(opened, index, name, &units, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS) names.emplace_back(name, units);
        else if (result != ERROR_MORE_DATA) break;
    }
    RegCloseKey(opened);
    return true;
}

}  // namespace ce
