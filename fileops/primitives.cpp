// File primitives and the messages of their failures.
#include "fileops/primitives.h"

#include <cwchar>

#include "framework/errorbox.h"
#include "framework/language.h"
#include "framework/paths.h"
#include "platform/cestatus.h"

namespace {

// The in-ROM check reads through the platform's attribute overlay, which is
// the only place that knows which files are in ROM.
DWORD AttributesOf(const wchar_t* path, DWORD known) {
    return known != kUnknownAttributes ? known : ce::GetFileAttributesW(path);
}

bool IsInRom(DWORD attributes) { return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_INROM); }

// One message of a failure table: the code it answers (0: any other), the
// two texts, and whether "%s" takes the path (else "%d" the code, or nothing).
struct FailureText {
    DWORD code;
    const wchar_t* english;
    const wchar_t* japanese;
    bool withPath;
};

// Shows the row for `error` (the last row answers every other code) and
// returns false, for the caller to return.
template <size_t N>
bool ReportFailure(HWND owner, const FailureText (&table)[N], DWORD error, const wchar_t* path) {
    const FailureText* row = &table[N - 1];
    for (const FailureText& candidate : table)
        if (candidate.code == error) {
            row = &candidate;
            break;
        }
    const wchar_t* format = ByLanguage(row->english, row->japanese);
    if (row->withPath)
        ShowError(owner, format, path);
    else
        ShowError(owner, format, static_cast<int>(error));
    return false;
}

constexpr FailureText kCopyFailures[] = {
    {ERROR_INVALID_PARAMETER, L"Invalid parameter", L"ﾌｧｲﾙが壊れているかもしれません", false},
    {ERROR_FILE_NOT_FOUND, L"File not found", L"ﾌｧｲﾙが見つかりません", false},
    {ERROR_CRC, L"CRC ERROR %s", L"CRCｴﾗｰ %s", true},
    {ERROR_SHARING_VIOLATION, L"%s is in use", L"%s は使用中です", true},
    {ERROR_DISK_FULL, L"The disk is full", L"ﾃﾞｨｽｸがいっぱいです", false},
    {ERROR_SWAPERROR, L"SWAP ERROR %s", L"ｽﾜｯﾌﾟｴﾗｰ %s", true},
    {ERROR_USER_MAPPED_FILE, L"%s is in use", L"%s は使用中です", true},
    {0, L"Error CopyFile %d", L"Error CopyFile %d", false},
};

constexpr FailureText kMoveFailures[] = {
    {ERROR_SHARING_VIOLATION, L"%s is in use", L"%s は使用中です", true},
    {ERROR_DISK_FULL, L"There is not enough space on the disk", L"ﾃﾞｨｽｸがいっぱいです", false},
    {0, L"Error Move file %d", L"Error Move file %d", false},
};

// The handheld answers a delete of a file in use with ACCESS_DENIED; the
// desktop says SHARING_VIOLATION for the same thing.
constexpr FailureText kDeleteFailures[] = {
    {ERROR_ACCESS_DENIED, L"Access denied", L"ﾌｧｲﾙにｱｸｾｽできません", false},
    {ERROR_SHARING_VIOLATION, L"Access denied", L"ﾌｧｲﾙにｱｸｾｽできません", false},
    {0, L"Error DeleteFile %d", L"Error DeleteFile %d", false},
};

constexpr FailureText kRemoveFolderFailures[] = {
    {ERROR_DIR_NOT_EMPTY, L"Folder not empty", L"ﾌｫﾙﾀﾞが空でありません", false},
    {0, L"Error RemoveDirectory %d", L"Error RemoveDirectory %d", false},
};

constexpr FailureText kSetAttributesFailures[] = {
    {0, L"Error SetFileAttribute %d", L"Error SetFileAttribute %d", false},
};

constexpr FailureText kCreateFolderFailures[] = {
    {ERROR_PATH_NOT_FOUND, L"Can't find the path specified. '%s'", L"ﾃﾞｨﾚｸﾄﾘﾊﾟｽ '%s'が見つかりません。", true},
    {ERROR_DISK_FULL, L"There is not enough space on the disk.", L"ﾃﾞｨｽｸに十分な空き領域がありません。", false},
    {0, L"Error CreateDirectory %d", L"Error CreateDirectory %d", false},
};

}  // namespace

bool CopyFileChecked(HWND owner, const wchar_t* source, const wchar_t* target, DWORD sourceAttributes) {
    if (IsInRom(AttributesOf(source, sourceAttributes))) return true;
    if (CopyFileW(source, target, FALSE)) return true;
    return ReportFailure(owner, kCopyFailures, GetLastError(), source);
}

bool MoveFileChecked(HWND owner, const wchar_t* source, const wchar_t* target, DWORD sourceAttributes) {
    if (IsInRom(AttributesOf(source, sourceAttributes))) return true;
    if (MoveFileW(source, target)) return true;
    return ReportFailure(owner, kMoveFailures, GetLastError(), source);
}

bool MoveFileReplacing(HWND owner, const wchar_t* source, const wchar_t* target, DWORD sourceAttributes) {
    if (IsInRom(AttributesOf(source, sourceAttributes))) return true;
    if (MoveFileExW(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) return true;
    return ReportFailure(owner, kMoveFailures, GetLastError(), source);
}

bool DeleteFileChecked(HWND owner, const wchar_t* path, DWORD attributes) {
    attributes = AttributesOf(path, attributes);
    if (IsInRom(attributes)) return true;
    // Read-only, hidden and system go first; a file known to carry none of
    // them is spared the call.
    constexpr DWORD kProtections = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & kProtections))
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileW(path)) return true;
    return ReportFailure(owner, kDeleteFailures, GetLastError(), path);
}

bool RemoveFolderChecked(HWND owner, const wchar_t* path) {
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    if (RemoveDirectoryW(path)) return true;
    return ReportFailure(owner, kRemoveFolderFailures, GetLastError(), path);
}

bool SetAttributesChecked(HWND owner, const wchar_t* path, DWORD attributes) {
    if (SetFileAttributesW(path, attributes)) return true;
    return ReportFailure(owner, kSetAttributesFailures, GetLastError(), path);
}

bool CreateFolderChecked(HWND owner, const wchar_t* path) {
    if (CreateDirectoryW(path, nullptr)) return true;
    return ReportFailure(owner, kCreateFolderFailures, GetLastError(), path);
}

bool CreateFolderPath(HWND owner, const wchar_t* path) {
    if (PathExists(path)) return IsFolder(path);
    // A path too long for the prefix buffer: no folder above it is made,
    // and the platform's own answer to the whole path is the message.
    if (wcsnlen(path, kMaxPath) >= kMaxPath) return CreateFolderChecked(owner, path);
    wchar_t prefix[kMaxPath];
    // A network path keeps its two leading backslashes in the first prefix.
    size_t at = (path[0] == L'\\' && path[1] == L'\\') ? 2 : 0;
    // The first prefix runs up to the first backslash after that start.
    while (path[at] && path[at] != L'\\') ++at;
    if (!path[at]) return false;
    for (; path[at]; ++at) {
        if (path[at] == L'\\' && at > 0) {
            lstrcpynW(prefix, path, static_cast<int>(at) + 1);
            if (!PathExists(prefix)) {
                if (!CreateFolderChecked(owner, prefix)) return false;
            } else if (!IsFolder(prefix)) {
                return false;
            }
        }
    }
    return CreateFolderChecked(owner, path);
}
