// The folder view's listing: the entries of each location, their list items
// with the sub-item texts, and the width of the name column.
#include <cwchar>
#include <vector>

#include "filedialog/folderview.h"
#include "filedialog/listings.h"
#include "framework/appvalues.h"
#include "resources/resource.h"
#include "framework/gdi.h"
#include "framework/window.h"
#include "platform/cestatus.h"
#include "platform/ceshell.h"
#include "shell/fileitem.h"
#include "shell/filetime.h"
#include "shell/patterns.h"

namespace {

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Measures names as the list control's string width does (its font in a
// context of its window), with one context for all names instead of one
// for each: the control's own call costs more than listing a file.
class NameMeasure {
public:
    explicit NameMeasure(HWND list)
        : list_(list), font_(reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0))), dc_(list),
          select_(dc_.Get(), font_) {}

    int Width(const wchar_t* name) const {
        SIZE size{};
        if (font_ && select_.Selected() && GetTextExtentPoint32W(dc_.Get(), name, lstrlenW(name), &size))
            return size.cx;
        // Without a font of its own the control knows best what it draws with.
        return static_cast<int>(SendMessageW(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(name)));
    }

private:
    HWND list_;
    HFONT font_;
    FClientDC dc_;
    FSelectObject select_;
};

}  // namespace

int NameColumnWidth(int widest) {
    return widest < ScaleX(64) ? ScaleX(96) : widest + ScaleX(32);
}

void FFolderView::Refresh() {
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    BeginWaitCursor();
    // The control lets go of every entry before any is destroyed, so that
    // nothing it draws or asks about in between points to a freed one.
    SendMessageW(hwnd, LVM_DELETEALLITEMS, 0, 0);
    DeleteAllEntries();
    ListLocation();

    count = 0;
    widest = 0;
    const FList<ListEntry*>& shown = location == kFindResult ? results : entries;
    SendMessageW(hwnd, LVM_SETITEMCOUNT, shown.size(), 0);
    if (location == kFindResult) {
        InsertEntries(std::vector<ListEntry*>(shown.begin(), shown.end()));
    } else {
        // Inserted already in order rather than sorted by the control
        // afterwards. Wine finds names in name order, but any other order
        // leaves most items out of place, and its LVM_SORTITEMS then costs
        // far more than the count grows (five times the items, fifteen
        // times the time; a quarter of a second for 50,000 files by size).
        // The order is the one the control's sort would give.
        InsertEntries(SortEntries(shown, options));
        UpdateArrows();
    }

    LVITEMW focus{};
    focus.stateMask = LVIS_FOCUSED;
    focus.state = LVIS_FOCUSED;
    if (count > 0) SendMessageW(hwnd, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&focus));
    EndWaitCursor();
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    stale = false;
    InvalidateRect(hwnd, nullptr, TRUE);
}

void FFolderView::DeleteAllEntries() {
    for (ListEntry* entry : entries) delete entry;
    entries.clear();
}

void FFolderView::ListLocation() {
    switch (location) {
    case kNoLocation:
    case kFindResult:
        break;
    case kDesktop: {
        entries.push_back(new FileItem(kMyDocuments, kImageMyDocuments));
        entries.push_back(new FileItem(kMyDevice, kImageMyDevice));
        wchar_t desktop[MAX_PATH];
        if (ce::SHGetSpecialFolderPath(hwnd, desktop, ce::kCsidlDesktop, FALSE)) ListFolder(desktop);
        break;
    }
    case kMyDevice:
        ListFolder(L"\\");
        break;
    case kMyDocuments:
        ListFolder(L"\\My Documents");
        break;
    case kControlPanel:
        ListControlPanelApplets(hwnd, icons, entries);
        break;
    case kDatabases:
        ListDatabases(entries);
        break;
    default:
        ListFolder(path);
        break;
    }
}

void FFolderView::ListFolder(const wchar_t* folder) {
    wchar_t pattern[kMaxPath];
    if (!JoinPath(pattern, folder, L"*.*")) return;
    WIN32_FIND_DATAW data;
    // The handheld's find call: in-ROM files and storage cards carry their
    // attributes.
    HANDLE find = ce::FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) return;
    const bool everyFile = std::wcscmp(filter, L"*.*") == 0;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!isFolder && !everyFile && !MatchFilePatterns(data.cFileName, filter, L";", false)) continue;
        auto* item = new FileItem(folder, data);
        // A name that does not fit a path beside its folder can be neither
        // shown truly nor acted on.
        if (item->Path()[0] == L'\0') {
            delete item;
            continue;
        }
        item->SetTypeText(GetFileTypeName(types, data.cFileName, data.dwFileAttributes));
        entries.push_back(item);
    } while (ce::FindNextFileW(find, &data));
    ce::FindClose(find);
}

void FFolderView::InsertEntries(const std::vector<ListEntry*>& shown) {
    // The columns are fitted to the widest name while the list is still
    // empty: Wine's control goes over every item when a column's width
    // changes, which cost more than all the rest of a Refresh (180 ms of
    // 280 for 10,000 files).
    {
        NameMeasure measure(hwnd);
        for (const ListEntry* entry : shown) {
            const int width = measure.Width(entry->Name());
            if (width > widest) widest = width;
        }
    }
    FitNameColumn();
    // Only Details shows sub-items: in the other views they wait until
    // Details is chosen.
    const bool withSubItems = ViewModeCommand() == IDM_VIEW_DETAILS;
    subItemsPending_ = !withSubItems;
    for (ListEntry* entry : shown) {
        if (InsertEntry(count, entry, withSubItems) >= 0) ++count;
    }
}

void FFolderView::FillPendingSubItems() {
    if (!subItemsPending_) return;
    subItemsPending_ = false;
    const int items = static_cast<int>(SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < items; ++i) {
        if (const ListEntry* entry = EntryAt(i)) SetSubItems(i, entry);
    }
}

int FFolderView::InsertEntry(int index, ListEntry* entry, bool withSubItems) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(entry->Name());
    item.iImage = entry->image;  // -1 is I_IMAGECALLBACK: asked for when shown
    item.lParam = reinterpret_cast<LPARAM>(entry);
    const int inserted = static_cast<int>(SendMessageW(hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    if (inserted >= 0 && withSubItems) SetSubItems(inserted, entry);
    return inserted;
}

void FFolderView::SetSubItems(int index, const ListEntry* entry) {
    // Applets and databases show their name only; an empty text needs no call.
    const FileItem* file = AsFileItem(entry);
    if (!file) return;
    // Size and date are formatted when a row shows them (OnGetDispInfo).
    LVITEMW text{};
    if (!(file->Attributes() & FILE_ATTRIBUTE_DIRECTORY)) {
        text.iSubItem = kSizeColumn;
        text.pszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(hwnd, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&text));
    }
    if (file->TypeText()) {
        text.iSubItem = kTypeColumn;
        text.pszText = const_cast<wchar_t*>(file->TypeText());
        SendMessageW(hwnd, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&text));
    }
    const FILETIME& time = file->Time();
    if ((time.dwLowDateTime | time.dwHighDateTime) != 0) {
        text.iSubItem = kDateColumn;
        text.pszText = LPSTR_TEXTCALLBACKW;
        SendMessageW(hwnd, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&text));
    }
}

void FFolderView::FormatSubItem(const ListEntry* entry, int column, wchar_t* out, int units) const {
    if (!out || units <= 0) return;
    out[0] = L'\0';
    const FileItem* file = AsFileItem(entry);
    if (!file) return;
    if (column == kSizeColumn && !(file->Attributes() & FILE_ATTRIBUTE_DIRECTORY)) {
        FormatByteSize(file->Size(), out, units);
    } else if (column == kDateColumn) {
        const FILETIME& time = file->Time();
        if ((time.dwLowDateTime | time.dwHighDateTime) != 0) FormatFileTime(time, out, units);
    }
}

void FFolderView::FitNameColumn() {
    const int width = NameColumnWidth(widest);
    SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(-1), width);
    SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, 0, width);
    // Outside Details the control takes a width for column 0 as the List
    // view's column width only; the Name column's own width is set on the
    // column, so that Details shows the longest name when chosen later.
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = width;
    SendMessageW(hwnd, LVM_SETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
}
