#include "framework/paths.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <cwctype>

namespace {

constexpr wchar_t kSeparator = L'\\';
constexpr wchar_t kQuote = L'"';

// Length of the text, or -1 when no terminator lies within `limit` units.
// Lets the lengthening helpers refuse an overlong input without reading past
// the caller's buffer.
int BoundedLength(const wchar_t* text, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (text[i] == L'\0') return i;
    }
    return -1;
}

// Case-insensitive comparison as the platform does it.
int CompareNoCase(const wchar_t* a, const wchar_t* b) {
#ifdef _WIN32
    return _wcsicmp(a, b);
#else
    // Host builds only run the tests; they fold case the same way for the
    // ASCII extensions the program compares.
    for (;; ++a, ++b) {
        const wint_t ca = std::towlower(static_cast<wint_t>(*a));
        const wint_t cb = std::towlower(static_cast<wint_t>(*b));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
#endif
}

}  // namespace

const wchar_t* FindLastSeparator(const wchar_t* path) {
    const wchar_t* last = nullptr;
    for (const wchar_t* p = path; *p != L'\0'; ++p) {
        // A backslash that ends the text names no further level.
        if (*p == kSeparator && p[1] != L'\0') last = p;
    }
    return last;
}

const wchar_t* FindFileName(const wchar_t* path) {
    const wchar_t* separator = FindLastSeparator(path);
    return separator ? separator + 1 : path;
}

const wchar_t* FindExtension(const wchar_t* path) {
    const wchar_t* dot = nullptr;
    const wchar_t* p = path;
    for (; *p != L'\0'; ++p) {
        if (*p == L'.') dot = p;
    }
    return dot ? dot : p;
}

bool HasExtension(const wchar_t* path, const wchar_t* extension) {
    const wchar_t* found = FindExtension(path);
    return *found != L'\0' && CompareNoCase(found, extension) == 0;
}

bool IsExecutable(const wchar_t* path) {
    return HasExtension(path, L".exe");
}

bool IsShortcut(const wchar_t* path) {
    return HasExtension(path, L".lnk");
}

wchar_t* AddBackslash(wchar_t* path) {
    const int length = BoundedLength(path, kMaxPath);
    if (length < 0) return nullptr;
    if (length == 0 || path[length - 1] == kSeparator) return path + length;
    if (length + 1 >= kMaxPath) return nullptr;
    path[length] = kSeparator;
    path[length + 1] = L'\0';
    return path + length + 1;
}

wchar_t* JoinPath(wchar_t* out, const wchar_t* folder, const wchar_t* name) {
    const int folderLength = BoundedLength(folder, kMaxPath);
    const int nameLength = BoundedLength(name, kMaxPath);
    if (folderLength < 0 || nameLength < 0) {
        out[0] = L'\0';
        return nullptr;
    }
    const bool needsSeparator =
        nameLength > 0 && folderLength > 0 && folder[folderLength - 1] != kSeparator;
    const int total = folderLength + (needsSeparator ? 1 : 0) + nameLength;
    if (total >= kMaxPath) {
        out[0] = L'\0';
        return nullptr;
    }
    // memmove: out may be the folder buffer itself.
    std::memmove(out, folder, folderLength * sizeof(wchar_t));
    int end = folderLength;
    if (needsSeparator) out[end++] = kSeparator;
    std::memcpy(out + end, name, nameLength * sizeof(wchar_t));
    out[total] = L'\0';
    return out;
}

void RemoveExtension(wchar_t* path) {
    *FindExtension(path) = L'\0';
}

bool RemoveFileName(wchar_t* path) {
    if (path[0] == L'\0') return false;
    if (path[0] == kSeparator &&
        (path[1] == L'\0' || (path[1] == kSeparator && path[2] == L'\0'))) {
        return false;
    }
    wchar_t* last = std::wcsrchr(path, kSeparator);
    if (!last) {
        path[0] = L'\0';
    } else if (last == path) {
        path[1] = L'\0';
    } else if (last == path + 1) {
        // "\\name" keeps the network prefix; "a\name" keeps its first unit.
        path[path[0] == kSeparator ? 2 : 1] = L'\0';
    } else {
        *last = L'\0';
    }
    return true;
}

bool UpOneLevel(wchar_t* path) {
    if (path[0] == L'\0') return false;
    if (path[0] == kSeparator &&
        (path[1] == L'\0' || (path[1] == kSeparator && path[2] == L'\0'))) {
        path[0] = L'\0';
        return true;
    }
    wchar_t* separator = FindLastSeparator(path);
    if (!separator) {
        path[0] = L'\0';
    } else if (separator == path) {
        path[1] = L'\0';
    } else {
        *separator = L'\0';
    }
    return true;
}

bool SplitPath(wchar_t* folderOut, wchar_t* nameOut, const wchar_t* path) {
    const int length = BoundedLength(path, kMaxPath);
    if (length < 0) {
        folderOut[0] = L'\0';
        nameOut[0] = L'\0';
        return false;
    }
    const wchar_t* separator = FindLastSeparator(path);
    if (!separator) {
        std::memcpy(nameOut, path, (length + 1) * sizeof(wchar_t));
        folderOut[0] = L'\0';
        return false;
    }
    // The name is taken first: folderOut may be the path buffer itself.
    const int nameStart = static_cast<int>(separator - path) + 1;
    std::memcpy(nameOut, path + nameStart, (length - nameStart + 1) * sizeof(wchar_t));
    const int folderLength = separator == path ? 1 : nameStart - 1;
    std::memmove(folderOut, path, folderLength * sizeof(wchar_t));
    folderOut[folderLength] = L'\0';
    return true;
}

bool CanonicalizePath(wchar_t* path) {
    const int length = BoundedLength(path, kMaxPath);
    if (length < 0) return false;
    const int root = path[0] != kSeparator ? 0 : path[1] == kSeparator ? 2 : 1;
    // Built aside so that a refusal leaves the caller's text as it was.
    wchar_t out[kMaxPath];
    std::wmemcpy(out, path, root);
    int end = root;
    for (int i = root; i < length;) {
        while (i < length && path[i] == kSeparator) ++i;
        const int start = i;
        while (i < length && path[i] != kSeparator) ++i;
        const int size = i - start;
        if (size == 0 || (size == 1 && path[start] == L'.')) continue;
        if (size == 2 && path[start] == L'.' && path[start + 1] == L'.') {
            if (end == root) return false;
            while (end > root && out[end - 1] != kSeparator) --end;
            if (end > root) --end;
            continue;
        }
        if (end > root) out[end++] = kSeparator;
        std::wmemcpy(out + end, path + start, size);
        end += size;
    }
    out[end] = L'\0';
    std::wmemcpy(path, out, end + 1);
    return true;
}

void ToFileName(wchar_t* path) {
    const wchar_t* name = FindFileName(path);
    if (name == path) return;
    std::memmove(path, name, (std::wcslen(name) + 1) * sizeof(wchar_t));
}

void StripQuotes(wchar_t* text) {
    const std::size_t length = std::wcslen(text);
    if (length < 2 || text[0] != kQuote || text[length - 1] != kQuote) return;
    std::memmove(text, text + 1, (length - 2) * sizeof(wchar_t));
    text[length - 2] = L'\0';
}

void CutArguments(wchar_t* commandLine) {
    bool quoted = false;
    for (wchar_t* p = commandLine; *p != L'\0'; ++p) {
        if (*p == kQuote) {
            quoted = !quoted;
        } else if (*p == L' ' && !quoted) {
            *p = L'\0';
            return;
        }
    }
}

void CommandPath(wchar_t* commandLine) {
    CutArguments(commandLine);
    StripQuotes(commandLine);
}

int ParseIconLocation(wchar_t* location) {
    int index = 0;
    if (wchar_t* comma = std::wcschr(location, L',')) {
        *comma = L'\0';
        // wcstol rather than _wtol: same reading, but a value out of range is
        // clamped instead of undefined.
        const long value = std::wcstol(comma + 1, nullptr, 10);
        index = value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
    }
    StripQuotes(location);
    return index;
}
