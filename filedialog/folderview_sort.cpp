// The folder view's sort order: folders grouped before files, one of four
// keys, either direction, and the arrow in the sorted column's header.
#include <algorithm>
#include <cwchar>
#include <vector>

#include "filedialog/folderview.h"
#include "framework/window.h"
#include "shell/fileitem.h"

namespace {

template <class T>
int CompareUnsigned(T a, T b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Code unit by code unit as unsigned 16-bit values, case counted; null is
// the empty text.
int CompareCodeUnits(const wchar_t* a, const wchar_t* b) {
    if (!a) a = L"";
    if (!b) b = L"";
    for (;; ++a, ++b) {
        const auto ca = static_cast<unsigned short>(*a);
        const auto cb = static_cast<unsigned short>(*b);
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// _wcsicmp of the "C" locale the program runs in: only A to Z fold (to lower
// case, so that "_" sorts before letters), the rest compare as unsigned code
// units. Written out so that the folded keys of SortEntries order exactly as
// this does.
int CompareNames(const wchar_t* a, const wchar_t* b) {
    for (;; ++a, ++b) {
        const auto ca = static_cast<unsigned short>(FoldAscii(*a));
        const auto cb = static_cast<unsigned short>(FoldAscii(*b));
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
        result = CompareNames(first->Name(), second->Name());
        break;
    case kSortBySize:
        result = CompareUnsigned(first->Size(), second->Size());
        break;
    case kSortByType:
        result = CompareCodeUnits(firstItem ? firstItem->TypeText() : nullptr,
                                  secondItem ? secondItem->TypeText() : nullptr);
        break;
    case kSortByDate:
        result = CompareUnsigned(TimeOf(firstItem), TimeOf(secondItem));
        break;
    case kSortByFolder:
        // The full path orders by folder, then by name within it.
        result = CompareNames(firstItem ? firstItem->Path() : first->Name(),
                              secondItem ? secondItem->Path() : second->Name());
        break;
    default:
        break;
    }
    return descending ? -result : result;
}

namespace {

// What CompareEntries reads of one entry under one key, read once: a sort of
// n entries makes about n log n comparisons, and folding two names in each
// costs more than the rest of the comparison.
struct SortRecord {
    ListEntry* entry;
    bool folder;
    ULONGLONG number;    // size or time
    const wchar_t* text;  // folded name or type text; never null
};

// CompareEntries over records: the same groups, keys and signs.
int CompareRecords(const SortRecord& a, const SortRecord& b, DWORD options) {
    const bool descending = (options & kSortDescending) != 0;
    if (a.folder != b.folder) {
        const int grouped = a.folder ? -1 : 1;
        return descending ? -grouped : grouped;
    }
    int result = 0;
    switch (options & kSortKeyMask) {
    case kSortByName:
    case kSortByType:
        result = CompareCodeUnits(a.text, b.text);
        break;
    case kSortBySize:
    case kSortByDate:
        result = CompareUnsigned(a.number, b.number);
        break;
    default:
        break;
    }
    return descending ? -result : result;
}

}  // namespace

std::vector<ListEntry*> SortEntries(const FList<ListEntry*>& shown, DWORD options) {
    const DWORD key = options & kSortKeyMask;
    std::vector<SortRecord> records;
    records.reserve(shown.size());
    // Folded names go into one buffer, written in full before any pointer
    // into it is taken.
    std::vector<wchar_t> folded;
    if (key == kSortByName) {
        size_t units = 0;
        for (const ListEntry* entry : shown) units += std::wcslen(entry->Name()) + 1;
        folded.reserve(units);
        for (const ListEntry* entry : shown) {
            for (const wchar_t* c = entry->Name(); *c; ++c) folded.push_back(FoldAscii(*c));
            folded.push_back(L'\0');
        }
    }
    size_t offset = 0;
    for (ListEntry* entry : shown) {
        const FileItem* item = AsFileItem(entry);
        SortRecord record{entry, IsFolderEntry(item), 0, L""};
        switch (key) {
        case kSortByName:
            record.text = folded.data() + offset;
            offset += std::wcslen(record.text) + 1;
            break;
        case kSortBySize:
            record.number = entry->Size();
            break;
        case kSortByType:
            if (item && item->TypeText()) record.text = item->TypeText();
            break;
        case kSortByDate:
            record.number = TimeOf(item);
            break;
        default:
            break;
        }
        records.push_back(record);
    }
    // Stable, as the control's own sort is: equal entries stay in found order.
    std::stable_sort(records.begin(), records.end(), [options](const SortRecord& a, const SortRecord& b) {
        return CompareRecords(a, b, options) < 0;
    });
    std::vector<ListEntry*> sorted;
    sorted.reserve(records.size());
    for (const SortRecord& record : records) sorted.push_back(record.entry);
    return sorted;
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
