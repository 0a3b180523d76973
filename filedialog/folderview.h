// The folder view of the file dialog: the list control that shows one
// location at a time (a plain folder or a special location), owns the
// entries it lists, filters, sorts and switches views, supplies file icons
// when items are first shown, and performs New Folder, Delete and rename in
// place.
//
// The view does not handle messages of its own: the dialog that hosts the
// list control passes the list's notifications and the view's commands to
// the member functions below. Everything belongs to the user-interface
// thread.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "framework/allocator.h"
#include "framework/paths.h"
#include "framework/wnd.h"
#include "shell/filetypes.h"
#include "shell/iconcache.h"
#include "shell/locations.h"

class FileItem;

// The options word: sort key in bits 0 to 2, descending in bit 3, and the
// Size, Type and Date columns (always present) in bits 4 to 6.
inline constexpr DWORD kSortKeyMask = 0x07;
inline constexpr DWORD kSortDescending = 0x08;
inline constexpr DWORD kColumnsPresent = 0x70;

inline constexpr int kSortByName = 0;
inline constexpr int kSortBySize = 1;
inline constexpr int kSortByType = 2;
inline constexpr int kSortByDate = 3;
// The Find Result location's own column: the folder each result lies in.
inline constexpr int kSortByFolder = 4;

inline constexpr int kColumnCount = 4;
inline constexpr int kNameColumn = 0;
inline constexpr int kSizeColumn = 1;
inline constexpr int kTypeColumn = 2;
inline constexpr int kDateColumn = 3;
// Shown only while the view shows the Find Result location.
inline constexpr int kFolderColumn = 4;

// Units of a label as the view shows it: a name, two spaces, and its folder
// in brackets.
inline constexpr int kShownTextUnits = 2 * kMaxPath + 4;

class FFolderView : public FWnd {
public:
    // Attaches to `listControl`: shares the shell's image lists with it,
    // inserts the four columns in the interface language with the sort
    // arrows on their header, and starts in List view, stale, on no
    // location.
    explicit FFolderView(HWND listControl);
    // Destroys every entry; the list control stays its dialog's.
    ~FFolderView() override;

    // The code of the location shown, and its text in `text` (kMaxPath
    // units): a special location's display name, else the folder path.
    LocationCode Location(wchar_t* text) const;
    // The same with the path form: a special location's marker path.
    LocationCode LocationPath(wchar_t* text) const;

    // Moves to a location without listing it (the view becomes stale).
    // Refuses a plain folder that does not exist or is already shown, and
    // the special location already shown; nothing changes then.
    [[nodiscard]] bool MoveToLocation(LocationCode code, const wchar_t* folderPath);

    // Takes a ";"-separated pattern list; true, and stale, when it differs
    // from the one held.
    bool SetFilter(const wchar_t* patterns);

    // Lists the location afresh when `force` is true or the view is stale.
    void RefreshWhenStale(bool force);
    // Re-enumerates the location and fills the list, sorted.
    void Refresh();
    // Replaces the Find Result location's entries with `found` (the view
    // takes the items and gives them their type texts); `found` is left
    // empty. The list shows them at its next Refresh of that location.
    void TakeResults(std::vector<FileItem*>& found);

    // The entry of list item `index` (null when there is none), and its path
    // in `path` (kMaxPath units): a special location's marker path, a file's
    // or folder's full path, or an applet's or database's name. Returns the
    // entry's code, or kNoLocation with an empty text.
    ListEntry* EntryAt(int index) const;
    LocationCode EntryPath(int index, wchar_t* path) const;

    // Sorting: the key (kSortBy...) again flips the direction, another key
    // sorts ascending by it. A column click sorts by the key its header
    // item carries.
    void SetSort(int key);
    void OnColumnClick(const NMLISTVIEW& click);
    // Sorts the items of the filled list by the options word and puts the
    // arrow on the header (Refresh inserts its items already sorted).
    void Sort();

    // View modes by command: 50 Large Icon, 51 Small Icon, 52 List,
    // 53 Details; any other command changes nothing. The sub-item texts of
    // a list filled in another view are set when Details is first chosen.
    void SetViewMode(int command);
    // The command of the current view mode (50 to 53).
    int ViewModeCommand() const;
    // The view menu's popup in the interface language, the current view
    // mode marked; the caller destroys the menu it returns (null when the
    // resource is missing).
    HMENU LoadViewMenu() const;
    // Shows the view menu at the top left of button `button` of `toolbar`,
    // owned by `owner`, which receives the choice as a command.
    void ShowViewMenu(HWND owner, HWND toolbar, int button) const;

    // The list's notifications, as the hosting dialog receives them.
    // Image and overlay of an item shown for the first time, and the size
    // and date texts of a row being shown.
    void OnGetDispInfo(NMLVDISPINFOW& info);
    // TRUE refuses the edit: only files and plain folders may be renamed.
    BOOL OnBeginLabelEdit(const NMLVDISPINFOW& info);
    // Renames the entry; TRUE accepts the new label.
    BOOL OnEndLabelEdit(const NMLVDISPINFOW& info);
    // Backspace asks the owner for Up (command 32, posted), Delete deletes,
    // F5 lists afresh.
    void OnKeyDown(const NMLVKEYDOWN& key);

    // Commands of the dialog: a new folder at the end of the list, its name
    // being edited; the selected entries deleted after confirmation.
    void NewFolder();
    void Delete();
    // The dialog's commands that the view serves alone: New Folder (33),
    // Delete (38), the view modes (50 to 53) and the sort keys (54 Name,
    // 55 Type, 56 Size, 57 Date). False for any other command.
    bool OnCommand(int command);

    LocationCode location = kNoLocation;
    wchar_t path[kMaxPath] = L"*";
    wchar_t filter[kMaxPath] = L"*.*";
    DWORD options = kColumnsPresent;
    int count = 0;
    bool stale = true;
    int widest = 0;
    int columnWidths[kColumnCount] = {120, 60, 100, 140};
    FList<ListEntry*> entries;
    FList<ListEntry*> results;
    FileTypeTable types;
    ShellIconCache icons;

private:
    // Listing (folderview_refresh.cpp).
    void ListLocation();
    void ListFolder(const wchar_t* folder);
    // Fits the columns to the widest name of `shown`, then inserts `shown`
    // in this order after the items already listed.
    void InsertEntries(const std::vector<ListEntry*>& shown);
    int InsertEntry(int index, ListEntry* entry, bool withSubItems);
    void SetSubItems(int index, const ListEntry* entry);
    void FillPendingSubItems();
    void FormatSubItem(const ListEntry* entry, int column, wchar_t* out, int units) const;
    void DeleteAllEntries();
    void FitNameColumn();

    // Header and columns (folderview.cpp).
    void InsertColumns();
    void LoadArrows();
    void UpdateArrows();

    // Takes an entry out of the list and the entries (or the results), and
    // destroys it.
    void RemoveEntry(int index, ListEntry* entry);

    // Find Result (folderview_refresh.cpp): the In Folder column is there
    // exactly while the results are shown, and a result's label names its
    // folder outside Details, where that column cannot be seen. The labels
    // are the control's own texts (it sizes List view columns by them), set
    // again when the view mode goes into or out of Details.
    bool ShowsResults() const { return location == kFindResult; }
    void ShowFolderColumn(bool shown);
    const wchar_t* ShownText(const ListEntry* entry, wchar_t* buffer) const;
    void RelabelResults();

    HIMAGELIST arrows_ = nullptr;
    bool folderColumn_ = false;
    bool subItemsPending_ = false;  // items inserted outside Details lack their sub-items
};

// The sort order of two entries under `options` (a folder first when
// ascending, then by the key, all negated when descending), as
// LVM_SORTITEMS calls it with the item data of two items.
int CALLBACK CompareEntries(LPARAM a, LPARAM b, LPARAM options);

// The entries of `shown` in the order LVM_SORTITEMS with CompareEntries and
// `options` gives them when they are inserted in list order: sorted, equal
// entries kept in list order. Each sort key is read once per entry.
std::vector<ListEntry*> SortEntries(const FList<ListEntry*>& shown, DWORD options);

// The width of List view columns and of the Name column for a widest name
// of `widest` pixels: ScaleX(96) below ScaleX(64), else 32 more than the name.
int NameColumnWidth(int widest);

// The file item behind an entry, or null for applets and databases.
FileItem* AsFileItem(ListEntry* entry);
const FileItem* AsFileItem(const ListEntry* entry);

// Reads the target of a shortcut file into `target` of `units` units as the
// file dialog uses it: cut at the first control character, arguments cut
// and quotes stripped. False, with an empty text, when it cannot be read.
bool ReadShortcutTarget(const wchar_t* shortcut, wchar_t* target, int units);
