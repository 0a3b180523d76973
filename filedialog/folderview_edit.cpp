// The folder view's changes to the file system: New Folder, Delete and
// rename, each shown in the list in place, without listing the folder again.
#include <algorithm>
#include <cwchar>
#include <memory>
#include <vector>

#include "filedialog/folderview.h"
#include "fileops/confirm.h"
#include "fileops/fileop.h"
#include "fileops/primitives.h"
#include "framework/errorbox.h"
#include "framework/language.h"
#include "platform/cestatus.h"
#include "shell/fileitem.h"
#include "shell/names.h"

namespace {

// Only files and plain folders are the user's to change: special locations
// name whole places ("\" is the device itself) and applets and databases
// have no path at all, only a name.
FileItem* ChangeableItem(ListEntry* entry) {
    FileItem* item = AsFileItem(entry);
    if (!item || !HasEditableName(entry->kind) || item->Path()[0] == L'\0') return nullptr;
    return item;
}

// Moves `path` to `respelled`, the same name in other case, by way of a free
// name beside it: a file system that finds names without regard to case may
// take the direct move for a move onto the file itself and keep the old
// spelling. A failing step reports itself and the file goes back; without
// a free name the file keeps its spelling.
bool RespellByDetour(HWND owner, const wchar_t* path, const wchar_t* respelled) {
    const size_t length = std::wcslen(path);
    if (length + 2 >= static_cast<size_t>(kMaxPath)) return false;
    wchar_t detour[kMaxPath];
    std::wmemcpy(detour, path, length);
    detour[length] = L'~';
    detour[length + 2] = L'\0';
    for (wchar_t digit = L'1'; digit <= L'9'; ++digit) {
        detour[length + 1] = digit;
        if (PathExists(detour)) continue;
        if (!MoveFileChecked(owner, path, detour)) return false;
        if (MoveFileChecked(owner, detour, respelled)) return true;
        (void)MoveFileW(detour, path);
        return false;
    }
    return false;
}

}  // namespace

void FFolderView::RemoveEntry(int index, ListEntry* entry) {
    // The list item goes first: the control must never point to a freed entry.
    SendMessageW(hwnd, LVM_DELETEITEM, index, 0);
    FList<ListEntry*>& list = ShowsResults() ? results : entries;
    const auto owned = std::find(list.begin(), list.end(), entry);
    if (owned == list.end()) return;
    list.erase(owned);
    delete entry;
    --count;
}

// ---- New Folder -----------------------------------------------------------------------------

void FFolderView::NewFolder() {
    // The dialog enables the command only where folders may be made; the
    // marker paths of other places are no folders to make one in.
    if (!AllowsNewFolder(location)) return;
    wchar_t folderPath[kMaxPath];
    if (!MakeNewFolderName(folderPath, path)) return;
    if (!CreateFolderChecked(hwnd, folderPath)) return;
    WIN32_FIND_DATAW data;
    if (!ReadFindData(folderPath, &data)) return;
    auto* item = new FileItem(path, data);
    item->SetTypeText(GetFileTypeName(types, data.cFileName, data.dwFileAttributes));
    entries.push_back(item);
    ++count;

    const int last = static_cast<int>(SendMessageW(hwnd, LVM_GETITEMCOUNT, 0, 0));
    const int index = InsertEntry(last, item, true);
    if (index < 0) return;
    SendMessageW(hwnd, LVM_ENSUREVISIBLE, index, FALSE);
    SetFocus(hwnd);
    SendMessageW(hwnd, LVM_EDITLABELW, index, 0);
}

// ---- Delete ---------------------------------------------------------------------------------

void FFolderView::Delete() {
    const int selected = static_cast<int>(SendMessageW(hwnd, LVM_GETSELECTEDCOUNT, 0, 0));
    if (selected <= 0) return;

    // Room for every selected path and the list's final terminator.
    std::unique_ptr<wchar_t[]> sources(new wchar_t[static_cast<size_t>(selected) * kMaxPath + 1]);
    wchar_t* end = sources.get();
    struct Listed {
        int index;
        ListEntry* entry;
    };
    std::vector<Listed> listed;
    for (int index = static_cast<int>(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
         index >= 0 && static_cast<int>(listed.size()) < selected;
         index = static_cast<int>(SendMessageW(hwnd, LVM_GETNEXTITEM, index, LVNI_SELECTED))) {
        ListEntry* entry = EntryAt(index);
        FileItem* item = ChangeableItem(entry);
        if (!item) continue;
        const size_t length = wcsnlen(item->Path(), kMaxPath);
        if (length >= static_cast<size_t>(kMaxPath)) continue;
        std::wmemcpy(end, item->Path(), length + 1);
        end += length + 1;
        listed.push_back({index, entry});
    }
    *end = L'\0';
    if (listed.empty()) return;
    if (!ConfirmDelete(hwnd, sources.get())) return;

    FileOpRequest request{};
    request.owner = hwnd;
    request.kind = FO_DELETE;
    request.sources = sources.get();
    request.flags = FOF_ALLOWUNDO;
    RunFileOperation(request);
    sources.reset();

    // From the last to the first, so that the indices still to visit stay
    // valid; an item found elsewhere is looked up by its entry.
    for (auto it = listed.rbegin(); it != listed.rend(); ++it) {
        int index = it->index;
        if (EntryAt(index) != it->entry) {
            LVFINDINFOW find{};
            find.flags = LVFI_PARAM;
            find.lParam = reinterpret_cast<LPARAM>(it->entry);
            index = static_cast<int>(SendMessageW(hwnd, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                                  reinterpret_cast<LPARAM>(&find)));
            if (index < 0) continue;
        }
        const FileItem* item = AsFileItem(it->entry);
        if (!PathExists(item->Path())) RemoveEntry(index, it->entry);
    }
}

// ---- Rename ---------------------------------------------------------------------------------

BOOL FFolderView::OnBeginLabelEdit(const NMLVDISPINFOW& info) {
    const FileItem* item = ChangeableItem(EntryAt(info.item.iItem));
    if (!item) return TRUE;
    // A result's label also names its folder: only the name is edited.
    if (ShowsResults()) {
        HWND edit = reinterpret_cast<HWND>(SendMessageW(hwnd, LVM_GETEDITCONTROL, 0, 0));
        if (edit) SetWindowTextW(edit, item->Name());
    }
    return FALSE;
}

BOOL FFolderView::OnEndLabelEdit(const NMLVDISPINFOW& info) {
    const wchar_t* text = info.item.pszText;
    // No text is a cancelled edit; an empty one names nothing to rename to.
    if (!text || text[0] == L'\0') return FALSE;
    FileItem* item = ChangeableItem(EntryAt(info.item.iItem));
    if (!item) return FALSE;
    if (!CheckFileName(hwnd, text)) return FALSE;

    wchar_t oldPath[kMaxPath];
    lstrcpynW(oldPath, item->Path(), kMaxPath);
    wchar_t folder[kMaxPath];
    wchar_t oldName[kMaxPath];
    SplitPath(folder, oldName, oldPath);
    wchar_t newPath[kMaxPath];
    if (!JoinPath(newPath, folder, text)) {
        ShowError(hwnd, ByLanguage(L"The path is too long:\n%s\\%s", L"ﾊﾟｽが長すぎます:\n%s\\%s"), folder, text);
        return FALSE;
    }
    if (!MoveFileChecked(hwnd, oldPath, newPath, item->Attributes())) return FALSE;

    // The primitive passes over files it must not change (in ROM) as done:
    // the list shows the name the file has, read back from the disk.
    const bool sameName = _wcsicmp(oldPath, newPath) == 0;
    if (!sameName && PathExists(oldPath)) return FALSE;
    WIN32_FIND_DATAW data;
    if (!ReadFindData(newPath, &data)) return FALSE;
    // A new spelling of the same name that the file system did not take (it
    // found the file itself under the new name) goes by way of a free name.
    if (sameName && std::wcscmp(data.cFileName, text) != 0 && !(item->Attributes() & FILE_ATTRIBUTE_INROM) &&
        RespellByDetour(hwnd, oldPath, newPath) && !ReadFindData(newPath, &data)) {
        return FALSE;
    }
    if (!item->SetName(data.cFileName)) return FALSE;
    LVITEMW label{};
    label.iSubItem = 0;
    label.pszText = const_cast<wchar_t*>(item->Name());
    if (ShowsResults()) {
        // A result's label names its folder too: the typed text must not
        // take its place.
        wchar_t shown[kShownTextUnits];
        label.pszText = const_cast<wchar_t*>(ShownText(item, shown));
        SendMessageW(hwnd, LVM_SETITEMTEXTW, info.item.iItem, reinterpret_cast<LPARAM>(&label));
        return FALSE;
    }
    SendMessageW(hwnd, LVM_SETITEMTEXTW, info.item.iItem, reinterpret_cast<LPARAM>(&label));
    // Accepting would put the typed text over the label: only when the file
    // system kept that spelling.
    return std::wcscmp(data.cFileName, text) == 0 ? TRUE : FALSE;
}
