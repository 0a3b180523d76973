// The folder view's listing: the entries of each location, their list items
// with the sub-item texts, and the width of the name column.
#include <cwchar>
#include <vector>

#include "filedialog/folderview.h"
#include "filedialog/listings.h"
#include "fileops/walk.h"
#include "framework/appvalues.h"
#include "framework/language.h"
#include "resources/resource.h"
#include "framework/gdi.h"
#include "framework/window.h"
#include "platform/cestatus.h"
#include "platform/ceshell.h"
#include "shell/fileitem.h"
#include "shell/filetime.h"
#include "shell/patterns.h"

namespace {

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
    ShowFolderColumn(ShowsResults());
    const FList<ListEntry*>& shown = ShowsResults() ? results : entries;
    SendMessageW(hwnd, LVM_SETITEMCOUNT, shown.size(), 0);
    if (ShowsResults()) {
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

void FFolderView::TakeResults(std::vector<FileItem*>& found) {
    // The control lets go of the old results before they are destroyed.
    if (ShowsResults()) {
        SendMessageW(hwnd, LVM_DELETEALLITEMS, 0, 0);
        count = 0;
        stale = true;
    }
    for (ListEntry* entry : results) delete entry;
    results.clear();
    for (FileItem* item : found) {
        item->SetTypeText(GetFileTypeName(types, item->Path(), item->Attributes()));
        results.push_back(item);
    }
    found.clear();
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
    const bool everyFile = std::wcscmp(filter, L"*.*") == 0;
    ForEachFound(pattern, [&](const WIN32_FIND_DATAW& data) {
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!isFolder && !everyFile && !MatchFilePatterns(data.cFileName, filter, L";", false)) return true;
        auto* item = new FileItem(folder, data);
        // A name that does not fit a path beside its folder can be neither
        // shown truly nor acted on.
        if (item->Path()[0] == L'\0') {
            delete item;
            return true;
        }
        item->SetTypeText(GetFileTypeName(types, data.cFileName, data.dwFileAttributes));
        entries.push_back(item);
        return true;
    });
}

void FFolderView::InsertEntries(const std::vector<ListEntry*>& shown) {
    // The columns are fitted to the widest name while the list is still
    // empty: Wine's control goes over every item when a column's width
    // changes, which cost more than all the rest of a Refresh (180 ms of
    // 280 for 10,000 files).
    {
        NameMeasure measure(hwnd);
        wchar_t text[kShownTextUnits];
        for (const ListEntry* entry : shown) {
            const int width = measure.Width(ShownText(entry, text));
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
    wchar_t label[kShownTextUnits];
    item.pszText = const_cast<wchar_t*>(ShownText(entry, label));
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
    if (folderColumn_) {
        text.iSubItem = kFolderColumn;
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
    } else if (column == kFolderColumn) {
        wchar_t folder[kMaxPath];
        wchar_t name[kMaxPath];
        if (SplitPath(folder, name, file->Path())) lstrcpynW(out, folder[0] ? folder : L"\\", units);
    }
}

void FFolderView::ShowFolderColumn(bool shown) {
    if (shown == folderColumn_) return;
    if (shown) {
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = ScaleX(120);
        column.pszText = const_cast<wchar_t*>(ByLanguage(L"In Folder", L"場所"));
        column.iSubItem = kFolderColumn;
        SendMessageW(hwnd, LVM_INSERTCOLUMNW, kFolderColumn, reinterpret_cast<LPARAM>(&column));
        // Its header item carries the key its click sorts by, as the others do.
        HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETHEADER, 0, 0));
        HDITEMW item{};
        item.mask = HDI_LPARAM;
        item.lParam = kSortByFolder;
        if (header) SendMessageW(header, HDM_SETITEMW, kFolderColumn, reinterpret_cast<LPARAM>(&item));
    } else {
        SendMessageW(hwnd, LVM_DELETECOLUMN, kFolderColumn, 0);
    }
    folderColumn_ = shown;
}

void FFolderView::RelabelResults() {
    const int items = static_cast<int>(SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0));
    wchar_t label[kShownTextUnits];
    LVITEMW text{};
    text.iSubItem = kNameColumn;
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < items; ++i) {
        const ListEntry* entry = EntryAt(i);
        if (!entry) continue;
        text.pszText = const_cast<wchar_t*>(ShownText(entry, label));
        SendMessageW(hwnd, LVM_SETITEMTEXTW, i, reinterpret_cast<LPARAM>(&text));
    }
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
}

const wchar_t* FFolderView::ShownText(const ListEntry* entry, wchar_t* buffer) const {
    const FileItem* file = AsFileItem(entry);
    if (!ShowsResults() || !file || ViewModeCommand() == IDM_VIEW_DETAILS) return entry->Name();
    wchar_t folder[kMaxPath];
    FormatSubItem(entry, kFolderColumn, folder, kMaxPath);
    wsprintfW(buffer, L"%s  (%s)", file->Name(), folder);
    return buffer;
}

void FFolderView::FitNameColumn() {
    const int width = NameColumnWidth(widest);
    // Outside Details the control takes a width for column 0 as the List
    // view's column width only; the Name column's own width is set on the
    // column, so that Details shows the longest name when chosen later. The
    // column goes first: Wine's control measures its List view columns
    // afresh when a column changes, which would undo a width set before.
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = width;
    SendMessageW(hwnd, LVM_SETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(-1), width);
    SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, 0, width);
}
