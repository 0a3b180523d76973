// File items and the find data of one path.
#include "shell/fileitem.h"

#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

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

namespace {

// Looks texts up without making a string of them first.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::wstring_view text) const { return std::hash<std::wstring_view>{}(text); }
};

}  // namespace

const wchar_t* SharedTypeText(const wchar_t* text) {
    // The views point into the set's own strings: an unordered_set never
    // moves its elements, and nothing is ever erased.
    static SRWLOCK lock = SRWLOCK_INIT;
    static std::unordered_set<std::wstring, TextHash, std::equal_to<>> texts;
    const std::wstring_view key(text);
    AcquireSRWLockExclusive(&lock);
    auto found = texts.find(key);
    if (found == texts.end()) found = texts.emplace(key).first;
    ReleaseSRWLockExclusive(&lock);
    return found->c_str();
}

FileItem::FileItem(const wchar_t* folder, const WIN32_FIND_DATAW& data)
    : ListEntry((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? kPlainFolder : kFileEntry,
                (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 2 : -1),
      attributes_(data.dwFileAttributes),
      size_(data.nFileSizeLow),
      time_(data.ftLastWriteTime) {
    // JoinPath refuses a path that would not fit, and a found name that
    // fills its field without a terminator: the item then has no path.
    wchar_t path[kMaxPath];
    if (JoinPath(path, folder, data.cFileName)) {
        const std::size_t length = std::wcslen(path);
        namePosition_ = static_cast<int>(length - std::wcslen(data.cFileName));
        fullPath_.reset(new wchar_t[length + 1]);
        std::wmemcpy(fullPath_.get(), path, length + 1);
    }
}

FileItem::FileItem(LocationCode code, int image)
    : ListEntry(code, image), attributes_(FILE_ATTRIBUTE_DIRECTORY) {
    SetTypeText(ByLanguage(L"System Folder", L"ｼｽﾃﾑ ﾌｫﾙﾀﾞ"));
}

const wchar_t* FileItem::Name() const {
    if (IsSpecialLocation(kind)) return LocationName(kind);
    return fullPath_ ? fullPath_.get() + namePosition_ : L"";
}

const wchar_t* FileItem::Path() const {
    if (IsSpecialLocation(kind)) return LocationPath(kind);
    return fullPath_ ? fullPath_.get() : L"";
}

bool FileItem::SetName(const wchar_t* name) {
    // An item whose path did not fit has none to rename: a name alone would
    // be a relative path to some other file.
    if (!fullPath_ || IsSpecialLocation(kind)) return false;
    const std::size_t room = kMaxPath - namePosition_;
    const std::size_t length = wcsnlen(name, room);
    if (length >= room) return false;
    std::unique_ptr<wchar_t[]> path(new wchar_t[namePosition_ + length + 1]);
    std::wmemcpy(path.get(), fullPath_.get(), namePosition_);
    std::wmemcpy(path.get() + namePosition_, name, length);
    path[namePosition_ + length] = L'\0';
    fullPath_ = std::move(path);
    return true;
}

void FileItem::SetTypeText(const wchar_t* text) {
    typeText_ = text ? SharedTypeText(text) : nullptr;
}
