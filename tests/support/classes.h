// File types registered for one test, and removed again afterwards.
//
// They go to HKLM\Software\Classes of the test prefix: Wine 8 shows that
// key, and only that key, as HKEY_CLASSES_ROOT (a user's own classes under
// HKCU\Software\Classes are not merged in). Tests that use it hold the
// "registry" resource lock.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class RegisteredClasses {
public:
    RegisteredClasses() = default;
    ~RegisteredClasses() {
        for (const auto& key : keys_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    }
    RegisteredClasses(const RegisteredClasses&) = delete;
    RegisteredClasses& operator=(const RegisteredClasses&) = delete;

    // Sets the value `name` (null: the default value) of Classes\subkey, the
    // key made when missing. `bytes` of -1 stores a text with its terminator.
    bool Set(const std::wstring& subkey, const wchar_t* name, DWORD type, const void* data, int bytes = -1) {
        Own(subkey);
        HKEY key = nullptr;
        const std::wstring path = kRoot + subkey;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return false;
        }
        if (bytes < 0) bytes = static_cast<int>((wcslen(static_cast<const wchar_t*>(data)) + 1) * sizeof(wchar_t));
        const bool written =
            type == REG_NONE || RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
        RegCloseKey(key);
        return written;
    }
    // The default value of Classes\subkey as a text.
    bool SetText(const std::wstring& subkey, const std::wstring& text) {
        return Set(subkey, nullptr, REG_SZ, text.c_str());
    }
    // Only the key, without a value.
    bool MakeKey(const std::wstring& subkey) { return Set(subkey, nullptr, REG_NONE, nullptr, 0); }

private:
    static inline const std::wstring kRoot = L"Software\\Classes\\";

    // Remembers the top-level key of `subkey` for removal, removing what an
    // earlier run may have left there.
    void Own(const std::wstring& subkey) {
        const std::wstring top = kRoot + subkey.substr(0, subkey.find(L'\\'));
        for (const auto& key : keys_) {
            if (_wcsicmp(key.c_str(), top.c_str()) == 0) return;
        }
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, top.c_str());
        keys_.push_back(top);
    }

    std::vector<std::wstring> keys_;
};
