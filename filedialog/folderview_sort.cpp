// The folder view's sort order: folders grouped before files, one of four
// keys, either direction, and the arrow in the sorted column's header.
#include <cwchar>

#include "filedialog/folderview.h"
#include "framework/window.h"
#include "shell/fileitem.h"

namespace {

template <class T>
int CompareUnsigned(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Code unit by code unit as unsigned 16-bit values, case counted.
int CompareTypeTexts(const wchar_t* a, const wchar_t* b) {
    if (!a) a = L"";
    if (!b) b = L"";
    for (;; ++a, ++b) {
        const auto ca = static_cast<unsigned short>(*a);
        const auto cb = static_cast<unsigned short>(*b);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

ULONGLONG TimeOf(const FileItem* item) {
    if (!item) return 0;
    const FILETIME& time = item->Time();
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool IsFolderEntry(const FileItem* item) { return item && (item->Attributes() & FILE_ATTRIBUTE_DIRECTORY); }

}  // namespace

int CALLBACK CompareEntries(LPARAM a, LPARAM b, LPARAM options) {
    const auto* first = reinterpret_cast<const ListEntry*>(a);
    const auto* second = reinterpret_cast<const ListEntry*>(b);
    // Applets and databases compare as files without type text or time.
    const FileItem* firstItem = AsFileItem(first);
    const FileItem* secondItem = AsFileItem(second);
    const bool descending = (options & kSortDescending) != 0;

    const bool firstFolder = IsFolderEntry(firstItem);
    if (firstFolder != IsFolderEntry(secondItem)) {
        const int grouped = firstFolder ? -1 : 1;
        return descending ? -grouped : grouped;
    }
    int result = 0;
    switch (options & kSortKeyMask) {
    case kSortByName:
        result = _wcsicmp(first->Name(), second->Name());
        break;
    case kSortBySize:
        result = CompareUnsigned(first->Size(), second->Size());
        break;
    case kSortByType:
        result = CompareTypeTexts(firstItem ? firstItem->TypeText() : nullptr,
                                  secondItem ? secondItem->TypeText() : nullptr);
        break;
    case kSortByDate:
        result = CompareUnsigned(TimeOf(firstItem), TimeOf(secondItem));
        break;
    default:
        break;
    }
    return descending ? -result : result;
}

void FFolderView::Sort() {
    SendMessageW(hwnd, LVM_SORTITEMS, options, reinterpret_cast<LPARAM>(CompareEntries));
    UpdateArrows();
}

void FFolderView::SetSort(int key) {
    const DWORD wanted = static_cast<DWORD>(key) & kSortKeyMask;
    if (wanted == (options & kSortKeyMask)) {
        options ^= kSortDescending;
    } else {
        options = (options & ~(kSortKeyMask | kSortDescending)) | wanted;
    }
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    BeginWaitCursor();
    Sort();
    EndWaitCursor();
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void FFolderView::OnColumnClick(const NMLISTVIEW& click) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
    HDITEMW item{};
    item.mask = HDI_LPARAM;
    int key = 0;
    if (header && SendMessageW(header, HDM_GETITEMW, click.iSubItem, reinterpret_cast<LPARAM>(&item)))
        key = static_cast<int>(item.lParam);
    SetSort(key);
}
