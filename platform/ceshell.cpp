// Special folders and shortcut files of the handheld shell.
#include "platform/ceshell.h"

#include <cwchar>

namespace ce {

namespace {

// A shortcut is one short line; anything longer than this is not one.
constexpr DWORD kMaxShortcutBytes = 2048;

void ClearText(wchar_t* text, int units) {
    if (text && units > 0) text[0] = L'\0';
}

}  // namespace

BOOL SHGetSpecialFolderPath(HWND, wchar_t* path, int csidl, BOOL create) {
    const wchar_t* folder = nullptr;
    if (csidl == kCsidlDesktop) folder = L"\\Windows\\Desktop";
    if (csidl == kCsidlPersonal) folder = L"\\My Documents";
    if (!path) return FALSE;
    if (!folder) {
        path[0] = L'\0';
        return FALSE;
    }
    lstrcpynW(path, folder, MAX_PATH);
    if (create && !CreateDirectoryW(path, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        path[0] = L'\0';
        return FALSE;
    }
    return TRUE;
}

BOOL SHGetShortcutTarget(const wchar_t* shortcut, wchar_t* target, int units) {
    ClearText(target, units);
    if (!shortcut || !target || units <= 0) return FALSE;
    HANDLE file = CreateFileW(shortcut, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FALSE;
    char bytes[kMaxShortcutBytes + 1];
    DWORD read = 0;
    const BOOL readOk = ReadFile(file, bytes, kMaxShortcutBytes, &read, nullptr);
    CloseHandle(file);
    if (!readOk) return FALSE;

    // "<digits>#": the count is not trusted; the line itself is the target.
    DWORD position = 0;
    while (position < read && bytes[position] >= '0' && bytes[position] <= '9') ++position;
    if (position == 0 || position >= read || bytes[position] != '#') return FALSE;
    const DWORD start = position + 1;
    DWORD end = start;
    while (end < read && bytes[end] != '\r' && bytes[end] != '\n' && bytes[end] != '\0') ++end;
    if (end == start) return FALSE;

    const int length = MultiByteToWideChar(CP_ACP, 0, bytes + start, static_cast<int>(end - start), nullptr, 0);
    if (length <= 0 || length >= units) return FALSE;
    MultiByteToWideChar(CP_ACP, 0, bytes + start, static_cast<int>(end - start), target, length);
    target[length] = L'\0';
    return TRUE;
}

}  // namespace ce
