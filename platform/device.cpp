// The device drive: current directory at start and drive-free module paths.
#include "platform/device.h"

#include <cwchar>
#include <cwctype>

namespace ce {

namespace {

// True when `path` starts with a drive letter and a colon.
bool HasDriveLetter(const wchar_t* path) {
    return path[0] != L'\0' && std::iswalpha(path[0]) && path[1] == L':';
}

}  // namespace

bool EnterDeviceRoot() {
    wchar_t path[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !HasDriveLetter(path)) return false;
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    return SetCurrentDirectoryW(root) != FALSE;
}

bool StripDeviceDrive(wchar_t* path) {
    if (!HasDriveLetter(path)) return false;
    wchar_t current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    if (length == 0 || length >= MAX_PATH || !HasDriveLetter(current)) return false;
    if (std::towupper(current[0]) != std::towupper(path[0])) return false;
    std::wmemmove(path, path + 2, std::wcslen(path + 2) + 1);
    return true;
}

DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD units) {
    DWORD length = ::GetModuleFileNameW(module, buffer, units);
    if (length == 0 || length >= units) {
        if (units > 0) buffer[0] = L'\0';
        return 0;
    }
    if (StripDeviceDrive(buffer)) length -= 2;
    return length;
}

}  // namespace ce
