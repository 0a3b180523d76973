// Reading the device profile from the registry.
#include "platform/deviceprofile.h"

#include <shlwapi.h>

#include <cwchar>

namespace ce {

namespace {

// The full key path of the profile or of one of its subkeys.
void ProfileKeyPath(const wchar_t* subkey, wchar_t* out, int units) {
    lstrcpynW(out, kDeviceProfileKey, units);
    if (subkey && *subkey) {
        StrCatBuffW(out, L"\\", units);
        StrCatBuffW(out, subkey, units);
    }
}

}  // namespace

DWORD ReadProfileNumber(const wchar_t* name, DWORD fallback, const wchar_t* subkey) {
    wchar_t key[MAX_PATH];
    ProfileKeyPath(subkey, key, MAX_PATH);
    DWORD value = 0;
    DWORD size = sizeof(value);
    LONG result = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return result == ERROR_SUCCESS ? value : fallback;
}

bool ReadProfileQword(const wchar_t* name, ULONGLONG& value, const wchar_t* subkey) {
    wchar_t key[MAX_PATH];
    ProfileKeyPath(subkey, key, MAX_PATH);
    ULONGLONG read = 0;  // a DWORD fills only the low half
    DWORD size = sizeof(read);
    LONG result = RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_QWORD | RRF_RT_REG_DWORD, nullptr, &read,
                               &size);
    if (result != ERROR_SUCCESS) return false;
    value = read;
    return true;
}

bool HasProfileKey(const wchar_t* subkey) {
    wchar_t key[MAX_PATH];
    ProfileKeyPath(subkey, key, MAX_PATH);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
}

bool ReadProfileText(const wchar_t* name, wchar_t* buffer, DWORD units, const wchar_t* subkey) {
    if (units == 0) return false;
    buffer[0] = L'\0';
    wchar_t key[MAX_PATH];
    ProfileKeyPath(subkey, key, MAX_PATH);
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
    wchar_t key[MAX_PATH];
    ProfileKeyPath(subkey, key, MAX_PATH);
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

}  // namespace ce
