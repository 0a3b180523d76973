// The folder view in a dialog that hosts its list control and passes on the
// list's notifications and the view's commands, as the file dialog does.
// Cases drive the real control (keys, header clicks, label edits) where it
// can be driven, and read back what it shows.
#include "filedialog/folderview.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/appvalues.h"
#include "framework/dialog.h"
#include "framework/language.h"
#include "platform/aygshell.h"
#include "platform/deviceprofile.h"
#include "resources/resource.h"
#include "shell/fileitem.h"
#include "tests/support/answerer.h"
#include "tests/support/testsupport.h"

namespace {

// ---- The hosting dialog ----------------------------------------------------------------------

class ViewDialog : public FDlg {
public:
    std::function<void(ViewDialog&)> body;
    std::unique_ptr<FFolderView> view;
    std::vector<int> otherCommands;  // commands the view did not take
    int commands = 0;                // commands the dialog received
    int dispInfos = 0;               // image questions the control asked

    INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) {
            body(*this);
            view.reset();
            EndDialog(window, IDOK);
            return TRUE;
        }
        return FDlg::DialogProc(window, message, wParam, lParam);
    }
    INT_PTR OnInitDialog(HWND window, UINT, WPARAM, LPARAM) override {
        view = std::make_unique<FFolderView>(GetDlgItem(window, IDC_FOLDER_LIST));
        PostMessageW(window, WM_APP, 0, 0);
        return TRUE;
    }
    INT_PTR OnCommand(HWND, UINT, WPARAM wParam, LPARAM) override {
        ++commands;
        if (!view || !view->OnCommand(LOWORD(wParam))) otherCommands.push_back(LOWORD(wParam));
        return TRUE;
    }
    INT_PTR OnNotify(HWND, UINT, WPARAM, LPARAM lParam) override {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!view || header->idFrom != IDC_FOLDER_LIST) return FALSE;
        switch (header->code) {
        case LVN_GETDISPINFOW:
            if (reinterpret_cast<NMLVDISPINFOW*>(lParam)->item.mask & LVIF_IMAGE) ++dispInfos;
            view->OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
            return TRUE;
        case LVN_BEGINLABELEDITW:
            SetNotifyResult(view->OnBeginLabelEdit(*reinterpret_cast<NMLVDISPINFOW*>(lParam)));
            return TRUE;
        case LVN_ENDLABELEDITW:
            SetNotifyResult(view->OnEndLabelEdit(*reinterpret_cast<NMLVDISPINFOW*>(lParam)));
            return TRUE;
        case LVN_KEYDOWN:
            view->OnKeyDown(*reinterpret_cast<NMLVKEYDOWN*>(lParam));
            return TRUE;
        case LVN_COLUMNCLICK:
            view->OnColumnClick(*reinterpret_cast<NMLISTVIEW*>(lParam));
            return TRUE;
        default:
            return FALSE;
        }
    }
    INT_PTR OnPaint(HWND, UINT, WPARAM, LPARAM) override { return FALSE; }

    HWND List() const { return view->hwnd; }
    // Moves to a plain folder and lists it.
    void Show(const std::wstring& folder) {
        EXPECT_TRUE(view->MoveToLocation(kPlainFolder, folder.c_str())) << Narrow(folder);
        view->RefreshWhenStale(false);
    }
};

// Runs `body` inside the dialog's modal loop.
void RunView(const std::function<void(ViewDialog&)>& body) {
    ViewDialog dialog;
    dialog.body = body;
    ASSERT_EQ(DoModal(dialog, nullptr, L"FolderViewTest"), IDOK);
}

std::wstring ItemText(HWND list, int index, int column = 0) {
    wchar_t text[kMaxPath + 8] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = kMaxPath + 8;
    SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

int ItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::vector<std::wstring> Names(HWND list) {
    std::vector<std::wstring> names;
    for (int i = 0; i < ItemCount(list); ++i) names.push_back(ItemText(list, i));
    return names;
}

std::string Joined(const std::vector<std::wstring>& names) {
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "" : "|") + Narrow(name);
    return text;
}

bool IsSelected(HWND list, int index) {
    return SendMessageW(list, LVM_GETITEMSTATE, index, LVIS_SELECTED) & LVIS_SELECTED;
}

void Select(HWND list, int index, bool on) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = on ? LVIS_SELECTED : 0;
    SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
}

int IndexOf(HWND list, const std::wstring& name) {
    for (int i = 0; i < ItemCount(list); ++i)
        if (ItemText(list, i) == name) return i;
    return -1;
}

// The header item that shows an arrow, and which (0 up, 1 down); -1, -1 for none.
std::pair<int, int> Arrow(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    std::pair<int, int> found{-1, -1};
    for (int i = 0; i < 4; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        if (item.fmt & HDF_IMAGE) {
            EXPECT_TRUE(item.fmt & HDF_BITMAP_ON_RIGHT) << "column " << i;
            EXPECT_EQ(found.first, -1) << "a second arrow in column " << i;
            found = {i, item.iImage};
        }
    }
    return found;
}

// Chooses the item of `command` in the next popup menu as a user does: Down
// until it is highlighted, then Enter. Notes what the menu showed. The
// popup's modal loop serves the thread timer that drives it.
class MenuChooser {
public:
    explicit MenuChooser(int command) : command_(command) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~MenuChooser() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }

    bool chosen = false;
    int marked = 0;    // the command with the radio mark
    RECT shown{};      // where the popup was, in screen coordinates

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        MenuChooser& self = *current_;
        HWND popup = FindWindowW(L"#32768", nullptr);
        if (self.chosen || !popup || !IsWindowVisible(popup)) return;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        if (++self.ticks_ > 100 || !menu) {
            // Never found: close the menu so that the test fails rather than hangs.
            PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
            return;
        }
        if (self.ticks_ == 1) GetWindowRect(popup, &self.shown);
        int highlighted = 0;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
            if (state & MF_CHECKED) self.marked = static_cast<int>(GetMenuItemID(menu, i));
            if (state & MF_HILITE) highlighted = static_cast<int>(GetMenuItemID(menu, i));
        }
        if (highlighted == self.command_) {
            PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
            self.chosen = true;
        } else {
            PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
        }
    }

    static inline MenuChooser* current_ = nullptr;
    int command_;
    int ticks_ = 0;
    UINT_PTR timer_ = 0;
};

// Clicks the header of column `column` as the stylus would.
void ClickHeader(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT rect{};
    SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
}

void SetWriteTime(const std::wstring& path, ULONGLONG time) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FILETIME stamp{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
}

// The error boxes an answerer saw, the hosting dialog left out.
size_t ErrorBoxes(const Answerer& answerer) {
    size_t boxes = 0;
    for (const DialogSeen& seen : answerer.seen) boxes += !seen.question && seen.caption != L"Folder view";
    return boxes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Edits the label of item `index` through the control: types `text` and
// presses Enter (or Escape when `cancel`). False when no edit started.
bool EditLabel(HWND list, int index, const std::wstring& text, bool cancel = false) {
    SetFocus(list);
    HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_EDITLABELW, index, 0));
    if (!edit) return false;
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, WM_KEYDOWN, cancel ? VK_ESCAPE : VK_RETURN, 0);
    ServeUntil("the label edit to end", [&] { return !SendMessageW(list, LVM_GETEDITCONTROL, 0, 0); });
    return true;
}

// The device profile's in-ROM list for one test, emptied afterwards.
class InRomList {
public:
    explicit InRomList(const std::vector<std::wstring>& paths) {
        std::wstring multi;
        for (const auto& path : paths) multi += path + L'\0';
        multi += L'\0';
        WriteProfileValue(L"", ce::kProfileInRomFiles, REG_MULTI_SZ, multi.c_str(),
                          static_cast<DWORD>(multi.size() * sizeof(wchar_t)));
    }
    ~InRomList() {
        const wchar_t empty[2] = {L'\0', L'\0'};
        WriteProfileValue(L"", ce::kProfileInRomFiles, REG_MULTI_SZ, empty, sizeof empty);
    }
};

class FolderView : public testing::Test {
protected:
    void SetUp() override {
        UseEnglishDeviceValues();
    }
    void TearDown() override { LangJapanese = false; }

    std::wstring File(const std::wstring& name, size_t bytes = 10) const {
        return folder.WriteFile(name, std::string(bytes, 'x'));
    }
    std::wstring Folder(const std::wstring& name) const {
        CreateDirectoryW((folder / name).c_str(), nullptr);
        return folder / name;
    }

    ScratchFolder folder;
};

// A stand-in for an applet: no attributes, type text or time.
class NamedEntry : public ListEntry {
public:
    NamedEntry(LocationCode kind, const wchar_t* name, std::uint32_t size) : ListEntry(kind, 6), name_(name), size_(size) {}
    const wchar_t* Name() const override { return name_; }
    std::uint32_t Size() const override { return size_; }

private:
    const wchar_t* name_;
    std::uint32_t size_;
};

std::unique_ptr<FileItem> MakeItem(const wchar_t* name, DWORD attributes, DWORD size, ULONGLONG time,
                                   const wchar_t* type) {
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = attributes;
    data.nFileSizeLow = size;
    data.ftLastWriteTime = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    lstrcpynW(data.cFileName, name, MAX_PATH);
    auto item = std::make_unique<FileItem>(L"\\f", data);
    item->SetTypeText(type);
    return item;
}

}  // namespace

// ---- Order ------------------------------------------------------------------------------------

TEST(CompareEntries, GroupsFoldersThenComparesByTheKeyAndDescendingNegatesAll) {
    auto folder = MakeItem(L"zz", FILE_ATTRIBUTE_DIRECTORY, 0, 0, L"File Folder");
    auto small = MakeItem(L"b.txt", 0, 10, 0x100000000ULL, L"a type");
    auto big = MakeItem(L"A.txt", 0, 4000000000u, 0x0FFFFFFFFULL, L"B type");
    auto twin = MakeItem(L"c.txt", 0, 10, 0x100000000ULL, L"a type");
    auto under = MakeItem(L"_u.txt", 0, 10, 0, L"a type");
    NamedEntry applet(kAppletEntry, L"Applet", 0);
    const auto key = [](ListEntry* entry) { return reinterpret_cast<LPARAM>(entry); };
    struct Case {
        const char* what;
        ListEntry* a;
        ListEntry* b;
        DWORD options;
        int sign;
    };
    const Case cases[] = {
        /* 0 */ {"folder before file", folder.get(), small.get(), 0x70, -1},
        /* 1 */ {"file after folder", small.get(), folder.get(), 0x70, 1},
        /* 2 */ {"descending: folder last", folder.get(), small.get(), 0x78, 1},
        /* 3 */ {"applet counts as a file", &applet, folder.get(), 0x70, 1},
        /* 4 */ {"name without case", big.get(), small.get(), 0x70, -1},
        /* 5 */ {"size unsigned", big.get(), small.get(), 0x71, 1},
        /* 6 */ {"equal sizes give 0", small.get(), twin.get(), 0x71, 0},
        /* 7 */ {"type by code unit, case counted", small.get(), big.get(), 0x72, 1},
        /* 8 */ {"applet has the empty type", &applet, small.get(), 0x72, -1},
        /* 9 */ {"date: high half first", small.get(), big.get(), 0x73, 1},
        /* 10 */ {"equal dates give 0", small.get(), twin.get(), 0x73, 0},
        /* 11 */ {"descending date", small.get(), big.get(), 0x7B, -1},
        /* 12 */ {"keys 4 to 7 give 0", small.get(), big.get(), 0x75, 0},
        /* 13 */ {"names fold to lower case: _ before letters", under.get(), big.get(), 0x70, -1},
    };
    for (const Case& c : cases) {
        const int result = CompareEntries(key(c.a), key(c.b), c.options);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.what << " (result " << result << ")";
    }
}

TEST_F(FolderView, StartsByNameWithFoldersFirstAndEachSortMovesTheArrow) {
    Folder(L"alpha");
    // Hours apart in 2019: the file system keeps such times exactly.
    constexpr ULONGLONG kHour = 36000000000ULL;
    constexpr ULONGLONG k2019 = 131900000000000000ULL;
    SetWriteTime(File(L"b.txt", 300), k2019 + 1 * kHour);
    SetWriteTime(File(L"a.TXT", 100), k2019 + 3 * kHour);
    SetWriteTime(File(L"C.ini", 200), k2019 + 2 * kHour);
    RunView([&](ViewDialog& dialog) {
        // Details, so that the header shows and takes clicks.
        SendMessageW(dialog.hwnd, WM_COMMAND, IDM_VIEW_DETAILS, 0);
        dialog.Show(folder.Path());
        EXPECT_EQ(Joined(Names(dialog.List())), "alpha|a.TXT|b.txt|C.ini");
        EXPECT_EQ(Arrow(dialog.List()), std::make_pair(0, 0)) << "up arrow on Name";
        struct Step {
            const char* what;
            std::function<void()> act;
            std::string order;
            std::pair<int, int> arrow;
        };
        HWND list = dialog.List();
        const Step steps[] = {
            /* 0 */ {"Sort by Name again: descending, folders last",
                     [&] { SendMessageW(dialog.hwnd, WM_COMMAND, IDM_SORT_NAME, 0); }, "C.ini|b.txt|a.TXT|alpha",
                     {0, 1}},
            /* 1 */ {"Sort by Size: ascending by size", [&] { SendMessageW(dialog.hwnd, WM_COMMAND, IDM_SORT_SIZE, 0); },
                     "alpha|a.TXT|C.ini|b.txt", {1, 0}},
            /* 2 */ {"click on Size: descending", [&] { ClickHeader(list, 1); }, "b.txt|C.ini|a.TXT|alpha", {1, 1}},
            /* 3 */ {"click on Date: oldest first", [&] { ClickHeader(list, 3); }, "alpha|b.txt|C.ini|a.TXT", {3, 0}},
            /* 4 */ {"refresh keeps the order", [&] { dialog.view->RefreshWhenStale(true); },
                     "alpha|b.txt|C.ini|a.TXT", {3, 0}},
        };
        for (const Step& step : steps) {
            step.act();
            EXPECT_EQ(Joined(Names(list)), step.order) << step.what;
            EXPECT_EQ(Arrow(list), step.arrow) << step.what;
        }
    });
}

TEST_F(FolderView, EachKeyAndDirectionListsInItsOrderTiesAsFound) {
    // Names fold A to Z to lower case and compare as code units: digits, "@",
    // "[" and "_" come before letters, Japanese after. Sizes and dates differ
    // between files; folders tie on size and type, and so do files of one
    // type: ties keep the order the folder was found in, which Wine gives
    // folded to upper case ("[" and "_" after "Z") in either direction.
    constexpr ULONGLONG kDay = 864000000000ULL;
    constexpr ULONGLONG k2019 = 131900000000000000ULL;
    const struct {
        const wchar_t* name;
        size_t bytes;  // a folder when 0
        int day;
    } found[] = {
        {L"Zoo", 0, 3},      {L"_tmp", 0, 1},      {L"7days", 0, 2},    {L"Zulu.q", 40, 5},
        {L"zebra.r", 10, 9}, {L"_under.q", 70, 2}, {L"@at.r", 30, 7},   {L"[x].q", 20, 1},
        {L"10.r", 80, 6},    {L"9.q", 50, 3},      {L"日本.r", 60, 4}, {L"apple", 90, 8},
    };
    for (const auto& f : found) {
        const std::wstring path = f.bytes ? File(f.name, f.bytes) : Folder(f.name);
        SetWriteTime(path, k2019 + f.day * kDay);
    }
    const struct {
        int key;
        const char* ascending;
        const char* descending;
    } orders[] = {
        {kSortByName, "7days|_tmp|Zoo|10.r|9.q|@at.r|[x].q|_under.q|apple|zebra.r|Zulu.q|日本.r",
         "日本.r|Zulu.q|zebra.r|apple|_under.q|[x].q|@at.r|9.q|10.r|Zoo|_tmp|7days"},
        {kSortBySize, "7days|Zoo|_tmp|zebra.r|[x].q|@at.r|Zulu.q|9.q|日本.r|_under.q|10.r|apple",
         "apple|10.r|_under.q|日本.r|9.q|Zulu.q|@at.r|[x].q|zebra.r|7days|Zoo|_tmp"},
        {kSortByType, "7days|Zoo|_tmp|apple|9.q|Zulu.q|[x].q|_under.q|10.r|@at.r|zebra.r|日本.r",
         "10.r|@at.r|zebra.r|日本.r|9.q|Zulu.q|[x].q|_under.q|apple|7days|Zoo|_tmp"},
        {kSortByDate, "_tmp|7days|Zoo|[x].q|_under.q|9.q|日本.r|Zulu.q|10.r|@at.r|apple|zebra.r",
         "zebra.r|apple|@at.r|10.r|Zulu.q|日本.r|9.q|_under.q|[x].q|Zoo|7days|_tmp"},
    };
    RunView([&](ViewDialog& dialog) {
        FFolderView& view = *dialog.view;
        HWND list = dialog.List();
        ASSERT_TRUE(view.MoveToLocation(kPlainFolder, folder.Path().c_str()));
        for (const auto& order : orders) {
            const std::string what = "key " + std::to_string(order.key);
            // Refresh inserts in order; the control's own sort turns it round.
            view.options = kColumnsPresent | order.key;
            view.Refresh();
            EXPECT_EQ(Joined(Names(list)), order.ascending) << what << " ascending, listed";
            EXPECT_EQ(Arrow(list), std::make_pair(order.key, 0)) << what;
            view.options |= kSortDescending;
            view.Sort();
            EXPECT_EQ(Joined(Names(list)), order.descending) << what << " descending, sorted by the control";
            view.Refresh();
            EXPECT_EQ(Joined(Names(list)), order.descending) << what << " descending, listed";
            EXPECT_EQ(Arrow(list), std::make_pair(order.key, 1)) << what;
        }
    });
}

// ---- Listing ----------------------------------------------------------------------------------

TEST_F(FolderView, FilterShowsEveryFolderAndFilesOfEitherPatternWhateverTheirCase) {
    Folder(L"Sub.doc");
    File(L"a.INI");
    File(L"b.Txt");
    File(L"c.doc");
    File(L"d.ini.bak");
    RunView([&](ViewDialog& dialog) {
        FFolderView& view = *dialog.view;
        EXPECT_FALSE(view.SetFilter(L"*.*")) << "the same filter changes nothing";
        dialog.Show(folder.Path());
        EXPECT_EQ(view.count, 5);
        EXPECT_TRUE(view.SetFilter(L"*.ini;*.txt"));
        EXPECT_TRUE(view.stale);
        view.RefreshWhenStale(false);
        EXPECT_EQ(Joined(Names(dialog.List())), "Sub.doc|a.INI|b.Txt");
        EXPECT_EQ(view.count, 3);
        EXPECT_FALSE(view.stale);
    });
}

TEST_F(FolderView, SubItemsShowSizeTypeAndDateOfFilesOnly) {
    Folder(L"dir");
    File(L"data.zzq", 2048);
    RunView([&](ViewDialog& dialog) {
        // Listed in List view, then shown in Details; listed in Details.
        dialog.Show(folder.Path());
        HWND list = dialog.List();
        for (const char* when : {"after switching to Details", "after listing in Details"}) {
            if (dialog.view->ViewModeCommand() != IDM_VIEW_DETAILS)
                SendMessageW(dialog.hwnd, WM_COMMAND, IDM_VIEW_DETAILS, 0);
            else
                dialog.view->RefreshWhenStale(true);
            EXPECT_EQ(Narrow(ItemText(list, 0, 1)), "") << "no size for a folder " << when;
            EXPECT_EQ(Narrow(ItemText(list, 0, 2)), "File Folder") << when;
            EXPECT_EQ(Narrow(ItemText(list, 1, 1)), "2.0 KB") << when;
            EXPECT_EQ(Narrow(ItemText(list, 1, 2)), "ZZQ File") << when;
            EXPECT_FALSE(ItemText(list, 1, 3).empty()) << "a date " << when;
        }
        wchar_t path[kMaxPath];
        EXPECT_EQ(dialog.view->EntryPath(1, path), kFileEntry);
        EXPECT_EQ(Narrow(path), Narrow(folder / L"data.zzq"));
        EXPECT_EQ(dialog.view->EntryPath(7, path), kNoLocation);
        EXPECT_STREQ(path, L"");
    });
}

TEST_F(FolderView, MovesOnlyToPlacesThatExistAndAreNotShownAlready) {
    File(L"plain.txt");
    RunView([&](ViewDialog& dialog) {
        FFolderView& view = *dialog.view;
        wchar_t text[kMaxPath];
        EXPECT_EQ(view.Location(text), kNoLocation);
        struct Case {
            LocationCode code;
            std::wstring path;
            bool moves;
        };
        std::wstring upper = folder.Path();
        CharUpperW(upper.data());
        const Case cases[] = {
            /* 0 */ {kPlainFolder, folder / L"missing", false},
            /* 1 */ {kPlainFolder, folder / L"plain.txt", false},
            /* 2 */ {kPlainFolder, folder.Path(), true},
            /* 3 */ {kPlainFolder, upper, false},
            /* 4 */ {kMyDocuments, L"", true},
            /* 5 */ {kMyDocuments, L"", false},
            /* 6 */ {0xC00F, L"", false},
            /* 7 */ {kNoLocation, L"", false},
            /* 8 */ {kControlPanel, L"", true},
        };
        for (size_t i = 0; i < std::size(cases); ++i) {
            view.stale = false;
            EXPECT_EQ(view.MoveToLocation(cases[i].code, cases[i].path.c_str()), cases[i].moves) << "case " << i;
            EXPECT_EQ(view.stale, cases[i].moves) << "case " << i;
        }
        EXPECT_EQ(view.Location(text), kControlPanel);
        EXPECT_STREQ(text, L"Control Panel");
        EXPECT_EQ(view.LocationPath(text), kControlPanel);
        EXPECT_STREQ(text, L"\\*CONTROLS");
    });
}

TEST_F(FolderView, DesktopListsItsTwoPlacesThenTheDesktopFolder) {
    CreateDirectoryW(L"\\Windows", nullptr);
    CreateDirectoryW(L"\\Windows\\Desktop", nullptr);
    const std::wstring onDesktop = L"\\Windows\\Desktop\\folderview-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    HANDLE file = CreateFileW(onDesktop.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    RunView([&](ViewDialog& dialog) {
        ASSERT_TRUE(dialog.view->MoveToLocation(kDesktop, L""));
        dialog.view->Refresh();
        SendMessageW(dialog.hwnd, WM_COMMAND, IDM_VIEW_DETAILS, 0);
        HWND list = dialog.List();
        ASSERT_GE(ItemCount(list), 3);
        EXPECT_EQ(Narrow(ItemText(list, 0)), "My Device");
        EXPECT_EQ(Narrow(ItemText(list, 1)), "My Documents");
        EXPECT_EQ(Narrow(ItemText(list, 0, 2)), "System Folder");
        EXPECT_GE(IndexOf(list, onDesktop.substr(onDesktop.rfind(L'\\') + 1)), 2);
        wchar_t path[kMaxPath];
        EXPECT_EQ(dialog.view->EntryPath(0, path), kMyDevice);
        EXPECT_STREQ(path, L"\\");
        EXPECT_EQ(dialog.view->EntryAt(0)->image, kImageMyDevice);
        EXPECT_EQ(dialog.view->EntryAt(1)->image, kImageMyDocuments);
        // Neither place is the user's to rename or delete.
        EXPECT_FALSE(EditLabel(list, 0, L"Gone"));
        Select(list, 0, true);
        Answerer answerer;
        dialog.view->Delete();
        EXPECT_TRUE(answerer.seen.empty()) << "no question about deleting the device";
        EXPECT_EQ(ItemCount(list), dialog.view->count);
    });
    DeleteFileW(onDesktop.c_str());
}

TEST_F(FolderView, NameColumnFollowsTheWidestName) {
    struct Case {
        int widest;
        int column;
    };
    const Case cases[] = {{63, 96}, {64, 96}, {65, 97}};
    for (const Case& c : cases) EXPECT_EQ(NameColumnWidth(c.widest), c.column) << "widest " << c.widest;
    ScreenDpiX = 192;
    EXPECT_EQ(NameColumnWidth(127), 192);
    EXPECT_EQ(NameColumnWidth(128), 192);
    ScreenDpiX = 96;

    // Real names measured by the control, one folder each.
    RunView([&](ViewDialog& dialog) {
        HWND list = dialog.List();
        const auto width = [&](const std::wstring& text) {
            return static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str())));
        };
        SendMessageW(dialog.hwnd, WM_COMMAND, IDM_VIEW_DETAILS, 0);
        for (const Case& c : cases) {
            std::wstring name;
            for (int m = 0; m < 12 && name.empty(); ++m)
                for (int i = 0; i < 30 && name.empty(); ++i) {
                    std::wstring candidate = std::wstring(m, L'm') + std::wstring(i, L'i') + L"x";
                    if (width(candidate) == c.widest) name = candidate;
                }
            ASSERT_FALSE(name.empty()) << "no name " << c.widest << " pixels wide";
            ScratchFolder one;
            one.WriteFile(name, "x");
            one.WriteFile(L"i", "x");
            dialog.Show(one.Path());
            EXPECT_EQ(dialog.view->widest, c.widest);
            EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), c.column) << Narrow(name);
        }
        // A list filled in List view shows the longest name when Details is chosen.
        SendMessageW(dialog.hwnd, WM_COMMAND, IDM_VIEW_LIST, 0);
        ScratchFolder wide;
        wide.WriteFile(std::wstring(40, L'm'), "x");
        dialog.Show(wide.Path());
        SendMessageW(dialog.hwnd, WM_COMMAND, IDM_VIEW_DETAILS, 0);
        EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), width(std::wstring(40, L'm')) + 32);
    });
}

// ---- Icons ----------------------------------------------------------------------------------

TEST_F(FolderView, IconsAreAskedForOnceWithShortcutAndInRomOverlays) {
    const std::wstring target = File(L"target.zzq");
    folder.WriteFile(L"go.lnk", "10#\"" + Narrow(folder.Path()) + "\" -arg\r\n");
    folder.WriteFile(L"rom.lnk", "10#" + Narrow(target) + "\r\n");
    folder.WriteFile(L"broken.lnk", "no target here");
    File(L"rom.zzq");
    Folder(L"dir");
    InRomList rom({folder / L"rom.lnk", folder / L"rom.zzq"});
    RunView([&](ViewDialog& dialog) {
        dialog.Show(folder.Path());
        HWND list = dialog.List();
        struct Case {
            const wchar_t* name;
            int image;
            int overlay;
        };
        const Case cases[] = {
            /* 0 */ {L"go.lnk", kImageFolder, kOverlayShortcut},
            /* 1 */ {L"rom.lnk", kImageDocument, kOverlayShortcutInRom},
            /* 2 */ {L"broken.lnk", kImageDocument, kOverlayShortcut},
            /* 3 */ {L"rom.zzq", kImageDocument, kOverlayInRom},
            /* 4 */ {L"target.zzq", kImageDocument, 0},
            /* 5 */ {L"dir", kImageFolder, 0},
        };
        dialog.dispInfos = 0;
        for (int round = 0; round < 2; ++round) {
            for (const Case& c : cases) {
                const int index = IndexOf(list, c.name);
                ASSERT_GE(index, 0) << Narrow(c.name);
                LVITEMW item{};
                item.mask = LVIF_IMAGE | LVIF_STATE;
                item.stateMask = LVIS_OVERLAYMASK;
                item.iItem = index;
                SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
                EXPECT_EQ(item.iImage, c.image) << Narrow(c.name) << " round " << round;
                EXPECT_EQ((item.state & LVIS_OVERLAYMASK) >> 8, static_cast<UINT>(c.overlay))
                    << Narrow(c.name) << " round " << round;
            }
        }
        EXPECT_EQ(dialog.dispInfos, 5) << "one question per file, none for the folder or a second time";
    });
}

// ---- New Folder, Delete, rename ------------------------------------------------------------------

TEST_F(FolderView, NewFolderComesLastInEditingModeAndTakesTheTypedName) {
    Folder(L"New Folder");
    File(L"a.txt");
    File(L"z.txt");
    RunView([&](ViewDialog& dialog) {
        dialog.Show(folder.Path());
        HWND list = dialog.List();
        SendMessageW(dialog.hwnd, WM_COMMAND, IDM_FOLDER_NEW, 0);
        EXPECT_TRUE(Exists(folder / L"New Folder (2)"));
        EXPECT_EQ(Joined(Names(list)), "New Folder|a.txt|z.txt|New Folder (2)") << "at the end, not sorted in";
        EXPECT_EQ(dialog.view->count, 4);
        HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETEDITCONTROL, 0, 0));
        ASSERT_NE(edit, nullptr) << "the new folder's name is being edited";
        wchar_t text[64] = L"";
        GetWindowTextW(edit, text, 64);
        EXPECT_STREQ(text, L"New Folder (2)");
        SetWindowTextW(edit, L"Letters");
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        ServeUntil("the label edit to end", [&] { return !SendMessageW(list, LVM_GETEDITCONTROL, 0, 0); });
        EXPECT_TRUE(Exists(folder / L"Letters"));
        EXPECT_FALSE(Exists(folder / L"New Folder (2)"));
        EXPECT_EQ(Narrow(ItemText(list, 3)), "Letters");
        wchar_t path[kMaxPath];
        dialog.view->EntryPath(3, path);
        EXPECT_EQ(Narrow(path), Narrow(folder / L"Letters"));
    });
}

TEST_F(FolderView, NewFolderOnlyWhereTheLocationAllowsIt) {
    RunView([&](ViewDialog& dialog) {
        ASSERT_TRUE(dialog.view->MoveToLocation(kControlPanel, L""));
        dialog.view->Refresh();
        BoxWatcher watcher;
        dialog.view->NewFolder();
        EXPECT_EQ(ItemCount(dialog.List()), 0);
        EXPECT_TRUE(watcher.Seen().empty());
    });
}

TEST_F(FolderView, DeleteRemovesWhatIsGoneAndLeavesTheRestSelected) {
    File(L"a.txt");
    File(L"b.txt");
    const std::wstring held = File(L"c.txt");
    Folder(L"dir");
    File(L"dir\\inner.txt");
    RunView([&](ViewDialog& dialog) {
        dialog.Show(folder.Path());
        HWND list = dialog.List();
        for (const wchar_t* name : {L"dir", L"a.txt", L"c.txt"}) Select(list, IndexOf(list, name), true);
        HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        Answerer answerer;
        SetFocus(list);
        SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
        CloseHandle(file);
        EXPECT_GE(answerer.Questions(), 1) << "the delete was confirmed";
        EXPECT_EQ(ErrorBoxes(answerer), 1u) << "the file in use was reported";
        EXPECT_FALSE(Exists(folder / L"dir"));
        EXPECT_FALSE(Exists(folder / L"a.txt"));
        EXPECT_TRUE(Exists(held));
        EXPECT_EQ(Joined(Names(list)), "b.txt|c.txt");
        EXPECT_FALSE(IsSelected(list, 0));
        EXPECT_TRUE(IsSelected(list, 1)) << "the file still there stays selected";
        EXPECT_EQ(dialog.view->count, 2);
        EXPECT_EQ(dialog.view->entries.size(), 2u);
    });
}

TEST_F(FolderView, RenameTakesOnlyNamesTheFileReallyGets) {
    File(L"one.txt");
    File(L"two.txt");
    File(L"rom.txt");
    InRomList rom({folder / L"rom.txt"});
    RunView([&](ViewDialog& dialog) {
        dialog.Show(folder.Path());
        HWND list = dialog.List();
        struct Case {
            const char* what;
            const wchar_t* from;
            const wchar_t* typed;
            bool cancel;
            const wchar_t* label;  // what the list shows afterwards
            size_t boxes;
        };
        const Case cases[] = {
            /* 0 */ {"onto an existing name", L"one.txt", L"two.txt", false, L"one.txt", 1},
            /* 1 */ {"a forbidden character", L"one.txt", L"o:ne.txt", false, L"one.txt", 1},
            /* 2 */ {"cancelled", L"one.txt", L"three.txt", true, L"one.txt", 0},
            /* 3 */ {"in ROM: passed over, so kept", L"rom.txt", L"moved.txt", false, L"rom.txt", 0},
            /* 4 */ {"in ROM, only the case: kept", L"rom.txt", L"ROM.txt", false, L"rom.txt", 0},
            /* 5 */ {"only the case", L"one.txt", L"ONE.txt", false, L"ONE.txt", 0},
            /* 6 */ {"a free name", L"ONE.txt", L"three.txt", false, L"three.txt", 0},
        };
        for (const Case& c : cases) {
            Answerer answerer;
            const int index = IndexOf(list, c.from);
            ASSERT_TRUE(EditLabel(list, index, c.typed, c.cancel)) << c.what;
            EXPECT_EQ(Narrow(ItemText(list, index)), Narrow(c.label)) << c.what;
            EXPECT_EQ(ErrorBoxes(answerer), c.boxes) << c.what;
            wchar_t path[kMaxPath];
            dialog.view->EntryPath(index, path);
            EXPECT_EQ(Narrow(path), Narrow(folder / c.label)) << c.what;
            WIN32_FIND_DATAW onDisk{};
            FindClose(FindFirstFileW(path, &onDisk));
            EXPECT_EQ(Narrow(onDisk.cFileName), Narrow(c.label)) << c.what << ": the name on disk";
        }
        EXPECT_TRUE(Exists(folder / L"two.txt"));
        EXPECT_FALSE(Exists(folder / L"one.txt"));
    });
}

// ---- Keys, views and the menu ------------------------------------------------------------------

TEST_F(FolderView, KeysAskForUpAndListAfresh) {
    File(L"first.txt");
    RunView([&](ViewDialog& dialog) {
        dialog.Show(folder.Path());
        HWND list = dialog.List();
        File(L"second.txt");
        SetFocus(list);
        SendMessageW(list, WM_KEYDOWN, VK_F5, 0);
        EXPECT_EQ(Joined(Names(list)), "first.txt|second.txt");
        SendMessageW(list, WM_KEYDOWN, VK_BACK, 0);
        ServeUntil("the posted Up command", [&] { return !dialog.otherCommands.empty(); });
        EXPECT_EQ(dialog.otherCommands, std::vector<int>{IDM_FOLDER_UP});
    });
}

TEST_F(FolderView, ViewModesKeepTheOtherStylesAndTheMenuMarksTheCurrentOne) {
    RunView([&](ViewDialog& dialog) {
        FFolderView& view = *dialog.view;
        EXPECT_EQ(view.ViewModeCommand(), IDM_VIEW_LIST) << "starts in List";
        const struct {
            int command;
            DWORD style;
        } modes[] = {{IDM_VIEW_LARGE, LVS_ICON}, {IDM_VIEW_SMALL, LVS_SMALLICON}, {IDM_VIEW_DETAILS, LVS_REPORT},
                     {IDM_VIEW_LIST, LVS_LIST}};
        for (const auto& mode : modes) {
            // What one mode drew must not stay on the screen in the next.
            ValidateRect(dialog.List(), nullptr);
            SendMessageW(dialog.hwnd, WM_COMMAND, mode.command, 0);
            RECT client{}, update{};
            GetClientRect(dialog.List(), &client);
            GetUpdateRect(dialog.List(), &update, FALSE);
            EXPECT_TRUE(EqualRect(&client, &update))
                << "command " << mode.command << ": repaints " << update.left << "," << update.top << " to "
                << update.right << "," << update.bottom << " of " << client.right << " x " << client.bottom;
            const DWORD style = GetWindowLongW(dialog.List(), GWL_STYLE);
            EXPECT_EQ(style & LVS_TYPEMASK, mode.style) << "command " << mode.command;
            EXPECT_TRUE(style & LVS_EDITLABELS) << "command " << mode.command;
            EXPECT_EQ(view.ViewModeCommand(), mode.command);
        }
        SendMessageW(dialog.hwnd, WM_COMMAND, IDM_VIEW_DETAILS, 0);
        for (bool japanese : {false, true}) {
            LangJapanese = japanese;
            HMENU menu = view.LoadViewMenu();
            ASSERT_NE(menu, nullptr);
            const wchar_t* texts[2][10] = {
                {L"Sort by Name", L"Sort by Type", L"Sort by Size", L"Sort by Date", L"", L"Large Icon", L"Small Icon",
                 L"List", L"Details"},
                {L"名前順", L"種類順", L"ｻｲｽﾞ順", L"日付順", L"", L"大きいｱｲｺﾝ", L"小さいｱｲｺﾝ", L"一覧", L"詳細"}};
            ASSERT_EQ(GetMenuItemCount(menu), 9);
            for (int i = 0; i < 9; ++i) {
                wchar_t text[32] = L"";
                GetMenuStringW(menu, i, text, 32, MF_BYPOSITION);
                EXPECT_EQ(Narrow(text), Narrow(texts[japanese][i])) << "item " << i;
                const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
                EXPECT_EQ((state & MF_CHECKED) != 0, i == 8) << "item " << i;
            }
            DestroyMenu(menu);
        }
    });
}

TEST_F(FolderView, ViewMenuChoicesReachTheViewAndTheMarkFollowsTheMode) {
    File(L"a.txt", 30);
    File(L"b.txt", 10);
    RunView([&](ViewDialog& dialog) {
        dialog.Show(folder.Path());
        // The menu bar's toolbar, the view menu's button second.
        HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM | TBSTYLE_LIST,
                                       0, 0, 0, 0, dialog.hwnd, nullptr, AppInstance, nullptr);
        ASSERT_NE(toolbar, nullptr);
        SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        TBBUTTON buttons[2] = {};
        const wchar_t* labels[2] = {L"New", L"View"};
        const int commands[2] = {IDM_FOLDER_NEW, IDM_FOLDER_VIEWMENU};
        for (int i = 0; i < 2; ++i) {
            buttons[i].iBitmap = I_IMAGENONE;
            buttons[i].idCommand = commands[i];
            buttons[i].fsState = TBSTATE_ENABLED;
            buttons[i].fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE;
            buttons[i].iString = reinterpret_cast<INT_PTR>(labels[i]);
        }
        SendMessageW(toolbar, TB_ADDBUTTONSW, 2, reinterpret_cast<LPARAM>(buttons));
        SendMessageW(toolbar, TB_AUTOSIZE, 0, 0);
        RECT button{};
        SendMessageW(toolbar, TB_GETRECT, IDM_FOLDER_VIEWMENU, reinterpret_cast<LPARAM>(&button));
        POINT corner{button.left, button.top};
        ClientToScreen(toolbar, &corner);

        const struct {
            const char* what;
            int choice;
            int marked;  // when the menu opens
            int mode;
            int sortKey;
        } steps[] = {
            /* 0 */ {"Large Icon from List", IDM_VIEW_LARGE, IDM_VIEW_LIST, IDM_VIEW_LARGE, kSortByName},
            /* 1 */ {"Sort by Size keeps the view", IDM_SORT_SIZE, IDM_VIEW_LARGE, IDM_VIEW_LARGE, kSortBySize},
            /* 2 */ {"Details", IDM_VIEW_DETAILS, IDM_VIEW_LARGE, IDM_VIEW_DETAILS, kSortBySize},
            /* 3 */ {"List again", IDM_VIEW_LIST, IDM_VIEW_DETAILS, IDM_VIEW_LIST, kSortBySize},
        };
        for (const auto& step : steps) {
            MenuChooser chooser(step.choice);
            const int before = dialog.commands;
            dialog.view->ShowViewMenu(dialog.hwnd, toolbar, IDM_FOLDER_VIEWMENU);
            ServeUntil("the menu's choice, posted as a command",
                       [&] { return !chooser.chosen || dialog.commands > before; });
            EXPECT_TRUE(chooser.chosen) << step.what;
            EXPECT_EQ(chooser.marked, step.marked) << step.what;
            EXPECT_EQ(chooser.shown.left, corner.x) << step.what;
            EXPECT_EQ(chooser.shown.bottom, corner.y) << step.what << ": above the button";
            EXPECT_EQ(dialog.view->ViewModeCommand(), step.mode) << step.what;
            EXPECT_EQ(static_cast<int>(dialog.view->options & kSortKeyMask), step.sortKey) << step.what;
        }
        EXPECT_EQ(Joined(Names(dialog.List())), "b.txt|a.txt") << "sorted by size";
        EXPECT_TRUE(dialog.otherCommands.empty()) << "every choice went to the view";
        DestroyWindow(toolbar);
    });
}

// ---- Unusual folders -------------------------------------------------------------------------------

TEST_F(FolderView, ThousandsOfNamesLongAndJapaneseAndEntriesThatVanish) {
    for (int i = 0; i < 3000; ++i) File(L"file" + std::to_wstring(10000 + i) + L".dat", i % 7);
    const std::wstring japanese = L"日本語のﾌｧｲﾙ.txt";
    File(japanese);
    // A name that brings the full path to 259 units, the most a path holds.
    const std::wstring longName(kMaxPath - 1 - folder.Path().size() - 1, L'n');
    ASSERT_TRUE(Exists(File(longName)));
    RunView([&](ViewDialog& dialog) {
        dialog.Show(folder.Path());
        HWND list = dialog.List();
        EXPECT_EQ(ItemCount(list), 3002);
        EXPECT_EQ(dialog.view->count, 3002);
        EXPECT_EQ(Narrow(ItemText(list, 0)), "file10000.dat");
        EXPECT_EQ(Narrow(ItemText(list, 3000)), Narrow(longName));
        EXPECT_EQ(Narrow(ItemText(list, 3001)), Narrow(japanese));
        wchar_t path[kMaxPath];
        dialog.view->EntryPath(3000, path);
        EXPECT_EQ(wcslen(path), static_cast<size_t>(kMaxPath - 1));

        // A longer name would not fit: refused with a message, the name kept.
        Answerer answerer;
        EXPECT_TRUE(EditLabel(list, 3000, longName + L"x"));
        EXPECT_EQ(ErrorBoxes(answerer), 1u);
        EXPECT_EQ(Narrow(ItemText(list, 3000)), Narrow(longName));

        // Files gone behind the view's back: icons, renames and deletes of
        // them neither crash nor touch another item.
        for (int i = 0; i < 3000; i += 2) DeleteFileW((folder / (L"file" + std::to_wstring(10000 + i) + L".dat")).c_str());
        for (int i = 0; i < 3002; ++i) {
            LVITEMW item{};
            item.mask = LVIF_IMAGE;
            item.iItem = i;
            SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        EXPECT_TRUE(EditLabel(list, 0, L"renamed.dat"));
        EXPECT_EQ(Narrow(ItemText(list, 0)), "file10000.dat");
        EXPECT_FALSE(Exists(folder / L"renamed.dat"));
        for (int i = 0; i < 4; ++i) Select(list, i, true);
        // The first gone file stops the request with a message: the two
        // still there stay, selected.
        dialog.view->Delete();
        EXPECT_EQ(Joined({ItemText(list, 0), ItemText(list, 1), ItemText(list, 2)}),
                  "file10001.dat|file10003.dat|file10004.dat");
        EXPECT_TRUE(IsSelected(list, 0) && IsSelected(list, 1) && !IsSelected(list, 2));
        EXPECT_EQ(dialog.view->count, ItemCount(list));
        EXPECT_TRUE(Exists(folder / japanese));
    });
}

// A folder named in kana and kanji lives through the whole round on disk.
// Run once more under a Japanese system language, where Wine's file names
// depend on the host having that language's locale.
TEST_F(FolderView, JapaneseFolderIsMadeListedRenamedAndDeleted) {
    RunView([&](ViewDialog& dialog) {
        dialog.Show(folder.Path());
        HWND list = dialog.List();
        {
            BoxWatcher watcher;
            LangJapanese = true;  // New Folder's default name: 新しいフォルダ
            SendMessageW(dialog.hwnd, WM_COMMAND, IDM_FOLDER_NEW, 0);
            LangJapanese = false;
            for (const BoxSeen& box : watcher.Seen()) ADD_FAILURE() << "New Folder said: " << Narrow(box.text);
        }
        ASSERT_TRUE(Exists(folder / L"新しいフォルダ"));
        SendMessageW(list, LVM_CANCELEDITLABEL, 0, 0);
        ASSERT_TRUE(EditLabel(list, 0, L"ｽｷﾝ置き場"));
        EXPECT_TRUE(Exists(folder / L"ｽｷﾝ置き場"));
        dialog.view->Refresh();
        EXPECT_EQ(Joined(Names(list)), "ｽｷﾝ置き場");
        Select(list, 0, true);
        Answerer answerer;
        dialog.view->Delete();
        EXPECT_EQ(ErrorBoxes(answerer), 0u) << "the delete reported an error";
        EXPECT_FALSE(Exists(folder / L"ｽｷﾝ置き場"));
        EXPECT_EQ(ItemCount(list), 0);
    });
}
