#include "framework/paths.h"

#include <windows.h>

bool PathExists(const wchar_t* path) {
    if (path[0] == L'\0') return false;
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const wchar_t* path) {
    if (path[0] == L'\0') return false;
    const DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
