// Registry access over the platform's registry.
#include "framework/regkey.h"

#include <cwchar>

FRegKey::~FRegKey() { Close(); }

LONG FRegKey::Open(const wchar_t* subkey, REGSAM access) {
    Close();
    LONG result = RegOpenKeyExW(root_, subkey, 0, access, &key_);
    if (result != ERROR_SUCCESS) key_ = nullptr;
    return result;
}

LONG FRegKey::Create(const wchar_t* subkey) {
    Close();
    LONG result = RegCreateKeyExW(root_, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    if (result != ERROR_SUCCESS) key_ = nullptr;
    return result;
}

LONG FRegKey::Close() {
    if (!key_) return ERROR_SUCCESS;
    LONG result = RegCloseKey(key_);
    key_ = nullptr;
    return result;
}

LONG FRegKey::QueryString(const wchar_t* name, wchar_t* buffer, DWORD* bytes) {
    const DWORD capacity = *bytes;
    DWORD type = REG_SZ;
    LONG result = RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), bytes);
    if (result != ERROR_SUCCESS) {
        if (capacity >= sizeof(wchar_t)) buffer[0] = L'\0';
        return result;
    }
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        DWORD units = *bytes / sizeof(wchar_t);
        if (*bytes + sizeof(wchar_t) <= capacity) {
            buffer[units] = L'\0';
        } else if (units > 0 && buffer[units - 1] != L'\0') {
            // The data fills the buffer and lacks a terminator: every caller
            // reads the buffer as a text, so give up the last character
            // rather than let them read past the end.
            buffer[units - 1] = L'\0';
        }
    }
    return result;
}

LONG FRegKey::SetString(const wchar_t* name, const wchar_t* text) {
    DWORD bytes = static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

LONG ReadRegValue(HKEY root, const wchar_t* subkey, const wchar_t* name, DWORD* out) {
    HKEY key = nullptr;
    LONG result = RegOpenKeyExW(root, subkey, 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS) return result;
    DWORD value = 0;
    DWORD size = sizeof(value);
    result = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (result == ERROR_SUCCESS) *out = value;
    return result;
}
