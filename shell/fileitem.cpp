// File items and the find data of one path.
#include "shell/fileitem.h"

#include <cstring>
#include <cwchar>

#include "framework/language.h"
#include "platform/cestatus.h"

bool ReadFindData(const wchar_t* path, WIN32_FIND_DATAW* data) {
    std::memset(data, 0, sizeof(*data));
    if (!path || path[0] == L'\0' || std::wcspbrk(path, L"*?")) return false;
    // The handheld's find call, so that storage cards carry their attribute.
    HANDLE find = ce::FindFirstFileW(path, data);
    if (find == INVALID_HANDLE_VALUE) {
        std::memset(data, 0, sizeof(*data));
        return false;
    }
    ce::FindClose(find);
    return true;
}

FileItem::FileItem(const wchar_t* folder, const WIN32_FIND_DATAW& data)
    : ListEntry((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? kPlainFolder : kFileEntry,
                (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 2 : -1),
      attributes_(data.dwFileAttributes),
      size_(data.nFileSizeLow),
      time_(data.ftLastWriteTime) {
    // JoinPath leaves the path empty when it would not fit, or when the
    // found name fills its field without a terminator.
    if (JoinPath(fullPath_, folder, data.cFileName)) {
        namePosition_ = static_cast<int>(std::wcslen(fullPath_) - std::wcslen(data.cFileName));
    } else {
        fullPath_[0] = L'\0';
        namePosition_ = 0;
    }
}

FileItem::FileItem(LocationCode code, int image)
    : ListEntry(code, image), attributes_(FILE_ATTRIBUTE_DIRECTORY) {
    // Marker paths are short literals.
    lstrcpynW(fullPath_, LocationPath(code), kMaxPath);
    SetTypeText(ByLanguage(L"System Folder", L"ｼｽﾃﾑ ﾌｫﾙﾀﾞ"));
}

const wchar_t* FileItem::Name() const {
    return IsSpecialLocation(kind) ? LocationName(kind) : fullPath_ + namePosition_;
}

const wchar_t* FileItem::Path() const {
    return IsSpecialLocation(kind) ? LocationPath(kind) : fullPath_;
}

bool FileItem::SetName(const wchar_t* name) {
    // An item whose path did not fit has none to rename: a name alone would
    // be a relative path to some other file.
    if (fullPath_[0] == L'\0') return false;
    const std::size_t room = kMaxPath - namePosition_;
    const std::size_t length = wcsnlen(name, room);
    if (length >= room) return false;
    std::memcpy(fullPath_ + namePosition_, name, (length + 1) * sizeof(wchar_t));
    return true;
}

void FileItem::SetTypeText(const wchar_t* text) {
    if (!text) {
        typeText_.reset();
        return;
    }
    const std::size_t units = std::wcslen(text) + 1;
    std::unique_ptr<wchar_t[]> copy(new wchar_t[units]);
    std::memcpy(copy.get(), text, units * sizeof(wchar_t));
    typeText_ = std::move(copy);
}
