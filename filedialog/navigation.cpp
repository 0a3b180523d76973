// The rules of moving among locations: Up's parents, the location menu's
// ancestors and their paths.
#include "filedialog/navigation.h"

#include <windows.h>

#include <cwchar>

bool ParentLocation(LocationCode code, const wchar_t* path, LocationCode& parentCode, wchar_t* parentPath) {
    parentPath[0] = L'\0';
    switch (code) {
    case kPlainFolder: {
        lstrcpynW(parentPath, path, kMaxPath);
        UpOneLevel(parentPath);
        // Only these four parents are special; "\Recycled" or "\*CONTROLS"
        // reached by cutting a typed path stay plain folders.
        if (parentPath[0] == L'\0') {
            parentCode = kDesktop;
        } else if (std::wcscmp(parentPath, L"\\") == 0) {
            parentCode = kMyDevice;
        } else if (std::wcscmp(parentPath, L"\\\\") == 0) {
            parentCode = kMyNetwork;
        } else if (CompareStringOrdinal(parentPath, -1, LocationPath(kMyDocuments), -1, TRUE) == CSTR_EQUAL) {
            parentCode = kMyDocuments;
            lstrcpynW(parentPath, LocationPath(kMyDocuments), kMaxPath);
        } else {
            parentCode = kPlainFolder;
        }
        return true;
    }
    case kMyDevice:
    case kMyNetwork:
    case kMyDocuments:
        parentCode = kDesktop;
        return true;
    case kControlPanel:
    case kDatabases:
        parentCode = kMyDevice;
        lstrcpynW(parentPath, LocationPath(kMyDevice), kMaxPath);
        return true;
    default:
        return false;
    }
}

std::vector<std::wstring> SplitLocationPath(const wchar_t* path) {
    std::vector<std::wstring> components;
    const wchar_t* rest = path;
    if (rest[0] == L'\\') {
        const bool network = rest[1] == L'\\';
        components.emplace_back(network ? L"\\\\" : L"\\");
        rest += network ? 2 : 1;
    }
    while (*rest) {
        const wchar_t* end = std::wcschr(rest, L'\\');
        if (!end) end = rest + std::wcslen(rest);
        if (end > rest) components.emplace_back(rest, end);
        rest = *end ? end + 1 : end;
    }
    return components;
}

namespace {

// The display name of the special location whose marker path is `marker`,
// or null.
const wchar_t* NameOfMarker(const std::wstring& marker) {
    for (const LocationRecord& record : LocationTable)
        if (CompareStringOrdinal(marker.c_str(), -1, record.markerPath, -1, TRUE) == CSTR_EQUAL)
            return LocationName(record.code);
    return nullptr;
}

// The location a "*" component stands for, by its second character.
const wchar_t* NameOfStarComponent(const std::wstring& component) {
    switch (component.size() > 1 ? component[1] : L'\0') {
    case L'C':
        return LocationName(kControlPanel);
    case L'D':
        return LocationName(kDatabases);
    case L'R':
        return LocationName(kFindResult);
    default:
        return L"Unknown";
    }
}

}  // namespace

std::wstring LocationMenuText(const std::vector<std::wstring>& components, int k) {
    std::wstring text(static_cast<size_t>(k), L' ');
    const std::wstring& component = components[static_cast<size_t>(k - 1)];
    if (k == 1) {
        if (const wchar_t* name = NameOfMarker(component)) return text + name;
        const size_t separator = component.find_last_of(L'\\');
        return text + (separator == std::wstring::npos ? component : component.substr(separator + 1));
    }
    if (!component.empty() && component[0] == L'*') return text + NameOfStarComponent(component);
    return text + component;
}

bool AncestorPath(const std::vector<std::wstring>& components, int level, wchar_t* out) {
    out[0] = L'\0';
    std::wstring path;
    for (int i = 0; i < level && i < static_cast<int>(components.size()); ++i) {
        const bool afterRoot = i == 1 && (components[0] == L"\\" || components[0] == L"\\\\");
        if (i > 0 && !afterRoot) path += L'\\';
        path += components[static_cast<size_t>(i)];
    }
    if (path.size() >= static_cast<size_t>(kMaxPath)) return false;
    lstrcpynW(out, path.c_str(), kMaxPath);
    return true;
}
