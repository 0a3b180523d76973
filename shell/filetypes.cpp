// The table of registered file types and the type text of a file.
#include "shell/filetypes.h"

#include <cwchar>
#include <functional>
#include <string_view>

#include "framework/language.h"
#include "framework/paths.h"
#include "framework/regkey.h"

namespace {

using TypeMap = FMap<ShellText, FileTypeInfo*, std::less<>>;

// The process's table, shared by every handle.
struct TypeTableData {
    FList<FileTypeInfo> types;  // owns every info
    TypeMap byType;             // type key, exactly as registered
    TypeMap byExtension;        // extension lowered, with its dot
};

TypeTableData* gTable = nullptr;
int gHandles = 0;

// Reads the unnamed value of an open key into `out`. False, with `out`
// empty, when the value is missing, is not a string, is empty or does not
// fit a path buffer: a value cut short would name another key or file, so
// it counts as absent.
bool ReadDefaultValue(HKEY key, ShellText& out) {
    out.clear();
    // One unit more than the data may fill, for the terminator that stored
    // strings need not carry.
    wchar_t buffer[kMaxPath + 1];
    DWORD type = REG_NONE;
    DWORD bytes = kMaxPath * sizeof(wchar_t);
    if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS) {
        return false;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    buffer[bytes / sizeof(wchar_t)] = L'\0';
    const std::size_t length = std::wcslen(buffer);
    if (length == 0 || length >= static_cast<std::size_t>(kMaxPath)) return false;
    out.assign(buffer, length);
    return true;
}

// The same for HKEY_CLASSES_ROOT\subkey; a key that cannot be opened
// leaves `out` empty too.
bool ReadDefaultText(const wchar_t* subkey, ShellText& out) {
    FRegKey key(HKEY_CLASSES_ROOT);
    if (key.Open(subkey, KEY_READ) != ERROR_SUCCESS) {
        out.clear();
        return false;
    }
    return ReadDefaultValue(key.Handle(), out);
}

// Reads what the registry says about one extension (as enumerated).
void ReadFileTypeInfo(const wchar_t* extension, FileTypeInfo& info) {
    FRegKey key(HKEY_CLASSES_ROOT);
    if (key.Open(extension, KEY_READ) != ERROR_SUCCESS) return;
    info.extensions = extension;
    if (!ReadDefaultValue(key.Handle(), info.typeKey)) return;
    ReadDefaultText(info.typeKey.c_str(), info.description);
    ShellText subkey = info.typeKey + L"\\Shell\\Open\\Command";
    ReadDefaultText(subkey.c_str(), info.openCommand);
    subkey = info.typeKey + L"\\DefaultIcon";
    ShellText location;
    if (ReadDefaultText(subkey.c_str(), location)) {
        info.iconNumber = ParseIconLocation(location.data());
        info.iconFile = location.c_str();  // up to the cut ParseIconLocation made
    }
}

// Enters one extension key of HKEY_CLASSES_ROOT into the table.
void AddExtension(TypeTableData& table, const wchar_t* name) {
    ShellText extension(name);
    LowerText(extension);
    // Two spellings of one extension (a user's and the machine's
    // registration) name the same files: the first seen wins.
    if (table.byExtension.contains(extension)) return;

    FileTypeInfo info;
    ReadFileTypeInfo(name, info);
    if (info.typeKey.empty()) return;

    auto known = table.byType.find(info.typeKey);
    if (known == table.byType.end()) {
        FileTypeInfo& entered = table.types.emplace_back(std::move(info));
        table.byType.emplace(entered.typeKey, &entered);
        table.byExtension.emplace(std::move(extension), &entered);
        return;
    }
    known->second->extensions += extension;
    table.byExtension.emplace(std::move(extension), known->second);
}

void BuildTable(TypeTableData& table) {
    FRegKey root(HKEY_CLASSES_ROOT);
    if (root.Open(L"", KEY_READ) != ERROR_SUCCESS) return;
    wchar_t name[kMaxPath];
    for (DWORD index = 0;; ++index) {
        DWORD units = kMaxPath;
        const LONG result = RegEnumKeyExW(root.Handle(), index, name, &units, nullptr, nullptr, nullptr, nullptr);
        // A name too long for the buffer is no extension we could show; the
        // keys after it still count.
        if (result == ERROR_MORE_DATA) continue;
        if (result != ERROR_SUCCESS) break;
        if (name[0] == L'.') AddExtension(table, name);
    }
}

}  // namespace

void LowerText(ShellText& text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
}

FileTypeTable::FileTypeTable() {
    if (gHandles++ == 0) {
        gTable = new TypeTableData;
        BuildTable(*gTable);
    }
}

FileTypeTable::~FileTypeTable() {
    if (--gHandles == 0) {
        delete gTable;
        gTable = nullptr;
    }
}

const FileTypeInfo* FileTypeTable::FindByExtension(const wchar_t* extension) const {
    // Lowered on the stack: the folder view asks once for every file listed.
    wchar_t key[kMaxPath];
    const std::size_t length = wcsnlen(extension, kMaxPath);
    if (length == 0 || length >= static_cast<std::size_t>(kMaxPath)) return nullptr;
    std::wmemcpy(key, extension, length);
    CharLowerBuffW(key, static_cast<DWORD>(length));
    auto found = gTable->byExtension.find(std::wstring_view(key, length));
    return found == gTable->byExtension.end() ? nullptr : found->second;
}

const FileTypeInfo* FileTypeTable::FindByType(const wchar_t* typeKey) const {
    auto found = gTable->byType.find(typeKey);
    return found == gTable->byType.end() ? nullptr : found->second;
}

int FileTypeTable::TypeCount() const { return static_cast<int>(gTable->types.size()); }

const wchar_t* GetFileTypeName(FileTypeTable& table, const wchar_t* name, DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return ByLanguage(L"File Folder", L"ﾌｧｲﾙ ﾌｫﾙﾀﾞ");
    }
    // Only the last name counts: a dot in a folder's name is no extension.
    const wchar_t* extension = FindExtension(FindFileName(name));
    if (extension[0] == L'\0' || extension[1] == L'\0') return ByLanguage(L"File", L"ﾌｧｲﾙ");
    if (_wcsicmp(extension, L".lnk") == 0) return ByLanguage(L"Shortcut", L"ｼｮｰﾄｶｯﾄ");

    const FileTypeInfo* type = table.FindByExtension(extension);
    if (type && !type->description.empty()) return type->description.c_str();

    // "ABC File": the extension upper-cased, cut so that the suffix fits.
    const wchar_t* suffix = ByLanguage(L" File", L" ﾌｧｲﾙ");
    wchar_t* out = table.TextBuffer();
    const int room = kTypeTextUnits - 1 - static_cast<int>(std::wcslen(suffix));
    int length = 0;
    for (const wchar_t* p = extension + 1; *p && length < room; ++p) out[length++] = *p;
    CharUpperBuffW(out, static_cast<DWORD>(length));
    std::wcscpy(out + length, suffix);
    return out;
}
