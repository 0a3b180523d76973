// The folder view in a dialog that hosts its list control and passes on the
// list's notifications and the view's commands, as the file dialog does.
// Cases drive the real control (keys, header clicks, label edits) where it
// can be driven, and read back what it shows.
#include "tests/folderview_fixture.h"

using namespace folderviewfixture;

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
