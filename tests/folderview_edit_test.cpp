// The folder view's changes and keys: New Folder, Delete and rename on the
// real control, the keys, the view modes and the view menu, and folders of
// thousands of long and Japanese names.
#include "tests/folderview_fixture.h"

using namespace folderviewfixture;

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
