// The file selection dialog, driven for real: each case runs inside the
// dialog's own modal loop, types and presses what a person would, and reads
// back where the dialog went and what it handed to its caller.
#include "tests/filedialog_fixture.h"

using namespace filedialogfixture;

namespace {

// ---- Start -----------------------------------------------------------------------------------

TEST_F(FileDialog, FileTypesFollowTheFilterListAndItsIndex) {
    const wchar_t twoPairs[] = L"INI Files(*.ini)\0*.ini\0All Files\0*.*\0";
    struct Case {
        const wchar_t* filter;
        DWORD index;
        const wchar_t* shown;
        const wchar_t* pattern;
        int entries;
    };
    const Case cases[] = {
        /* 0 */ {nullptr, 0, L"All files (*.*)", L"*.*", 1},
        /* 1 */ {twoPairs, 0, L"INI Files(*.ini)", L"*.ini", 2},
        /* 2 */ {twoPairs, 2, L"All Files", L"*.*", 2},
        /* 3 */ {twoPairs, 3, L"INI Files(*.ini)", L"*.ini", 2},
        /* 4 */ {L"Lonely\0", 1, L"All files (*.*)", L"*.*", 1},
    };
    File(L"a.ini");
    File(L"b.txt");
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        request.lpstrFilter = c.filter;
        request.nFilterIndex = c.index;
        Run([&](DrivenDialog& dialog) {
            HWND box = GetDlgItem(dialog.hwnd, IDC_FILE_TYPE);
            wchar_t shown[64] = L"";
            GetWindowTextW(box, shown, 64);
            EXPECT_STREQ(shown, c.shown) << "case " << i;
            EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), c.entries) << "case " << i;
            EXPECT_STREQ(dialog.view->filter, c.pattern) << "case " << i;
            EXPECT_EQ(dialog.view->count, std::wstring(c.pattern) == L"*.*" ? 2 : 1) << "case " << i;
        });
    }
    // Choosing the other type lists again with its pattern.
    request.lpstrFilter = twoPairs;
    request.nFilterIndex = 1;
    Run([&](DrivenDialog& dialog) {
        SendDlgItemMessageW(dialog.hwnd, IDC_FILE_TYPE, CB_SETCURSEL, 1, 0);
        SendMessageW(dialog.hwnd, WM_COMMAND, MAKEWPARAM(IDC_FILE_TYPE, CBN_SELCHANGE), 0);
        EXPECT_EQ(dialog.view->count, 2);
    });
}

TEST_F(FileDialog, StartsFullScreenInListViewWithBarsAtTheBottom) {
    ScratchKey profile{ce::kDeviceProfileKey};
    request.lpstrTitle = nullptr;
    initial = Folder(L"Garden");
    Run([&](DrivenDialog& dialog) {
        wchar_t caption[32] = L"";
        GetWindowTextW(dialog.hwnd, caption, 32);
        EXPECT_STREQ(caption, L"Open");
        EXPECT_EQ(dialog.view->ViewModeCommand(), IDM_VIEW_LIST);
        EXPECT_TRUE(GetWindowLongW(dialog.view->hwnd, GWL_STYLE) & LVS_SINGLESEL);
        EXPECT_FALSE(dialog.ButtonEnabled(IDM_FOLDER_BACK));
        EXPECT_TRUE(dialog.ButtonEnabled(IDM_FOLDER_UP));
        EXPECT_EQ(dialog.FolderBarText(), L"Garden");
        EXPECT_EQ(dialog.folderBarImage, 10);

        // The folder bar ends at the 26-pixel menu bar; the list reaches down to it.
        RECT bar{}, list{};
        GetWindowRect(dialog.FolderBar, &bar);
        GetWindowRect(dialog.view->hwnd, &list);
        EXPECT_EQ(bar.bottom, GetSystemMetrics(SM_CYSCREEN) - 26);
        EXPECT_EQ(list.bottom, bar.top);
        EXPECT_EQ(list.right - list.left, GetSystemMetrics(SM_CXSCREEN));

        // The input panel coming up lifts both above it.
        const DWORD shown = 1, height = 80;
        WriteProfileValue(L"", ce::kProfileSipShown, REG_DWORD, &shown, sizeof shown);
        WriteProfileValue(L"", ce::kProfileSipHeight, REG_DWORD, &height, sizeof height);
        SendMessageW(dialog.hwnd, WM_SETTINGCHANGE, SPI_SETSIPINFO, 0);
        GetWindowRect(dialog.FolderBar, &bar);
        GetWindowRect(dialog.view->hwnd, &list);
        EXPECT_EQ(bar.bottom, GetSystemMetrics(SM_CYSCREEN) - 26 - 80);
        EXPECT_EQ(list.bottom, bar.top);
    });
    // A folder that does not exist: no location, the Desktop's picture.
    initial = folder / L"missing";
    LangJapanese = true;
    Run([&](DrivenDialog& dialog) {
        EXPECT_EQ(dialog.view->location, kNoLocation);
        EXPECT_EQ(dialog.view->count, 0);
        EXPECT_EQ(dialog.FolderBarText(), L"ﾃﾞｽｸﾄｯﾌﾟ");
        EXPECT_EQ(dialog.folderBarImage, 2 + 9);
        wchar_t caption[32] = L"";
        GetWindowTextW(dialog.hwnd, caption, 32);
        EXPECT_STREQ(caption, L"名前を付けて保存");
    }, true);
}

// ---- Accepting names -----------------------------------------------------------------------------

TEST_F(FileDialog, TypedNamesFollowTheModeFlagsAndDefaultExtension) {
    File(L"abc.ini");
    Folder(L"1.0");
    Folder(L"sub");
    struct Case {
        bool save;
        DWORD flags;
        const wchar_t* typed;
        INT_PTR end;
        std::wstring path;  // the path returned, or where the dialog stays
    };
    // The scratch folder lies directly below the root.
    const Case cases[] = {
        /* 0 */ {false, OFN_FILEMUSTEXIST, L"abc", kStayedOpen, folder.Path()},
        /* 1 */ {false, OFN_FILEMUSTEXIST, L"abc.ini", IDOK, folder / L"abc.ini"},
        /* 2 */ {false, OFN_FILEMUSTEXIST, L"new", kStayedOpen, folder.Path()},
        /* 3 */ {false, 0, L"new", IDOK, folder / L"new.ini"},
        /* 4 */ {true, 0, L"abc", IDOK, folder / L"abc.ini"},
        /* 5 */ {true, 0, L"1.0\\abc", IDOK, folder / L"1.0\\abc"},
        /* 6 */ {true, OFN_OVERWRITEPROMPT, L"fresh", IDOK, folder / L"fresh.ini"},
        /* 7 */ {false, 0, L"sub", kStayedOpen, folder / L"sub"},
        // Typed paths come back, and are gone to, without "." or ".." or
        // doubled backslashes; climbing above the root is refused.
        /* 8 */ {false, 0, L"..\\x\\y.ini", IDOK, L"\\x\\y.ini"},
        /* 9 */ {true, 0, L".\\a", IDOK, folder / L"a.ini"},
        /* 10 */ {false, 0, L"a\\\\b.ini", IDOK, folder / L"a\\b.ini"},
        /* 11 */ {false, 0, L"sub\\..\\sub\\", kStayedOpen, folder / L"sub"},
        /* 12 */ {false, 0, L"..\\..", kStayedOpen, folder.Path()},
        /* 13 */ {false, 0, L"..\\..\\z.ini", kStayedOpen, folder.Path()},
    };
    request.lpstrDefExt = L"ini";
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        request.Flags = c.flags;
        result[0] = L'\0';
        std::wstring where;
        EXPECT_EQ(Run([&](DrivenDialog& dialog) {
                      dialog.TypeAndOk(c.typed);
                      where = dialog.Where();
                  },
                      c.save),
                  c.end)
            << "case " << i;
        EXPECT_EQ(std::wstring(result), c.end == IDOK ? c.path : L"") << "case " << i;
        if (c.end != IDOK) {
            EXPECT_EQ(where, c.path) << "case " << i;
        }
    }
}

TEST_F(FileDialog, OverwriteQuestionNamesTheFullPathAndNoKeepsTheDialogOpen) {
    File(L"abc.ini");
    request.Flags = OFN_OVERWRITEPROMPT;
    request.lpstrDefExt = L"ini";
    for (int answer : {IDNO, IDYES}) {
        // The question is answered; the file dialog itself is left alone.
        BoxWatcher answerer(answer, [](HWND window) { return GetDlgItem(window, IDC_FOLDER_LIST) != nullptr; });
        const INT_PTR end = Run([&](DrivenDialog& dialog) { dialog.TypeAndOk(L"abc"); }, true);
        ASSERT_EQ(answerer.Seen().size(), 1u) << "the question about abc.ini, which abc would overwrite";
        EXPECT_EQ(answerer.Seen()[0].caption, L"Save");
        EXPECT_EQ(answerer.Seen()[0].text, folder / L"abc.ini" + L" is already exists. Do you want to replace it?");
        EXPECT_EQ(end, answer == IDYES ? IDOK : kStayedOpen);
    }
}

TEST_F(FileDialog, PathsThatWouldNotFitAreRefusedAndNothingIsWrittenPastTheBuffer) {
    // A path has at most 259 units; the folder and a backslash leave `room` for a name.
    const int room = 259 - static_cast<int>(folder.Path().size()) - 1;
    request.Flags = 0;
    for (int extra = -2; extra <= 2; ++extra) {
        const int length = room + extra;
        const std::wstring name(static_cast<size_t>(length), L'n');
        result[0] = L'\0';
        const INT_PTR end = Run([&](DrivenDialog& dialog) { dialog.TypeAndOk(name); }, true);
        const bool fits = length <= room;
        EXPECT_EQ(end, fits ? IDOK : kStayedOpen) << "name of " << length << " units";
        if (fits) {
            EXPECT_EQ(std::wstring(result), folder / name);
        }
        EXPECT_EQ(result[kMaxPath], L'\x6666') << "nothing past the caller's buffer";
    }
    // The default extension counts: 259 units with ".ini" are accepted whole,
    // 260 refuse the name rather than cut the extension.
    request.lpstrDefExt = L"ini";
    const std::wstring fits(static_cast<size_t>(room - 4), L'n'), onePast(static_cast<size_t>(room - 3), L'n');
    result[0] = L'\0';
    EXPECT_EQ(Run([&](DrivenDialog& dialog) { dialog.TypeAndOk(fits); }, true), IDOK) << "259 units with .ini";
    EXPECT_EQ(std::wstring(result), folder / (fits + L".ini"));
    result[0] = L'\0';
    EXPECT_EQ(Run([&](DrivenDialog& dialog) { dialog.TypeAndOk(onePast); }, true), kStayedOpen) << "260 units with .ini";
    EXPECT_STREQ(result, L"");
    // A result longer than the caller's buffer is refused, the buffer untouched.
    request.lpstrDefExt = nullptr;
    request.nMaxFile = static_cast<DWORD>(folder.Path().size() + 5);
    wcscpy(result, L"keep");
    EXPECT_EQ(Run([&](DrivenDialog& dialog) { dialog.TypeAndOk(L"abcd"); }, true), kStayedOpen);
    EXPECT_STREQ(result, L"keep");
    EXPECT_EQ(Run([&](DrivenDialog& dialog) { dialog.TypeAndOk(L"abc"); }, true), IDOK);
}

TEST_F(FileDialog, ShortcutsOpenTheirTargetFolderOrAcceptTheirTargetFile) {
    const std::wstring target = File(L"target.ini");
    const std::wstring sub = Folder(L"sub");
    const auto shortcut = [&](const wchar_t* name, const std::wstring& to) {
        std::string bytes = "19#\"" + Narrow(to) + "\" -arg\r\n";
        folder.WriteFile(name, bytes);
    };
    shortcut(L"tofolder.lnk", sub);
    shortcut(L"tofile.lnk", target);
    shortcut(L"toolong.lnk", L"\\" + std::wstring(300, L'x'));
    shortcut(L"dotted.lnk", sub + L"\\..\\target.ini");
    folder.WriteFile(L"garbage.lnk", std::string("\x01\xff#\0\0\x80zz", 9));
    struct Case {
        const wchar_t* typed;
        INT_PTR end;
        std::wstring result;
        std::wstring where;
    };
    const Case cases[] = {
        {L"tofolder.lnk", kStayedOpen, L"", sub},
        {L"tofile.lnk", IDOK, target, folder.Path()},
        {L"toolong.lnk", kStayedOpen, L"", folder.Path()},
        {L"dotted.lnk", IDOK, folder / L"target.ini", folder.Path()},
        {L"garbage.lnk", IDOK, folder / L"garbage.lnk", folder.Path()},
    };
    for (const Case& c : cases) {
        result[0] = L'\0';
        std::wstring where;
        EXPECT_EQ(Run([&](DrivenDialog& dialog) {
                      dialog.TypeAndOk(c.typed);
                      where = dialog.Where();
                  }),
                  c.end)
            << Narrow(c.typed);
        EXPECT_EQ(std::wstring(result), c.result) << Narrow(c.typed);
        if (c.end != IDOK) {
            EXPECT_EQ(where, c.where) << Narrow(c.typed);
        }
    }
}

TEST_F(FileDialog, OkWithTheListFocusedOpensTheSelectionAndWithoutOneDoesNothing) {
    File(L"only.ini");
    EXPECT_EQ(Run([&](DrivenDialog& dialog) {
                  SetFocus(dialog.view->hwnd);
                  dialog.Ok();
              }),
              kStayedOpen);
    // Selecting the file puts its name into the box; OK in the caption,
    // with the list focused, accepts it.
    EXPECT_EQ(Run([&](DrivenDialog& dialog) {
                  LVITEMW state{};
                  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
                  SendMessageW(dialog.view->hwnd, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
                  wchar_t name[32] = L"";
                  GetDlgItemTextW(dialog.hwnd, IDC_FILE_NAME, name, 32);
                  EXPECT_STREQ(name, L"only.ini");
                  SetDlgItemTextW(dialog.hwnd, IDC_FILE_NAME, L"");
                  SetFocus(dialog.view->hwnd);
                  HWND done = FindWindowExW(dialog.hwnd, nullptr, L"Button", L"OK");
                  ASSERT_TRUE(done);
                  SendMessageW(done, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
                  SendMessageW(done, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
              }),
              IDOK);
    EXPECT_EQ(std::wstring(result), folder / L"only.ini");
}

// ---- Navigation -----------------------------------------------------------------------------------

TEST_F(FileDialog, BackAndUpWalkTheLocationsAndSetTheButtons) {
    initial = L"Desktop";
    const std::wstring sub = Folder(L"sub");
    Run([&](DrivenDialog& dialog) {
        EXPECT_EQ(dialog.view->location, kDesktop);
        dialog.TypeAndOk(L"my device");
        EXPECT_EQ(dialog.view->location, kMyDevice) << "a location's name in any case";
        EXPECT_TRUE(dialog.ButtonEnabled(IDM_FOLDER_BACK));
        ASSERT_TRUE(dialog.Navigate(kPlainFolder, sub.c_str(), true));
        EXPECT_TRUE(dialog.ButtonEnabled(IDM_FOLDER_NEW));
        dialog.Command(IDM_FOLDER_BACK);
        EXPECT_EQ(dialog.view->location, kMyDevice);
        dialog.Command(IDM_FOLDER_BACK);
        EXPECT_EQ(dialog.view->location, kDesktop);
        EXPECT_FALSE(dialog.ButtonEnabled(IDM_FOLDER_BACK));
        EXPECT_FALSE(dialog.ButtonEnabled(IDM_FOLDER_UP));
        EXPECT_FALSE(dialog.ButtonEnabled(IDM_FOLDER_NEW));

        // Up from a folder inside My Documents: My Documents, then the Desktop.
        CreateDirectoryW(L"\\My Documents\\Letters", nullptr);
        ASSERT_TRUE(dialog.Navigate(kPlainFolder, L"\\My Documents\\Letters", true));
        dialog.Command(IDM_FOLDER_UP);
        EXPECT_EQ(dialog.view->location, kMyDocuments);
        dialog.Command(IDM_FOLDER_UP);
        EXPECT_EQ(dialog.view->location, kDesktop);
        const size_t remembered = dialog.History.size();
        dialog.Command(IDM_FOLDER_UP);
        EXPECT_EQ(dialog.History.size(), remembered) << "Up on the Desktop does nothing";
        RemoveDirectoryW(L"\\My Documents\\Letters");

        // Trash Box has no parent although Up stays enabled.
        dialog.TypeAndOk(L"Trash Box");
        EXPECT_EQ(dialog.view->location, kTrashBox);
        EXPECT_TRUE(dialog.ButtonEnabled(IDM_FOLDER_UP));
        dialog.Command(IDM_FOLDER_UP);
        EXPECT_EQ(dialog.view->location, kTrashBox);
        // Markers below the root are typed from My Device.
        ASSERT_TRUE(dialog.Navigate(kMyDevice, L"\\", true));
        dialog.TypeAndOk(L"*CONTROLS");
        EXPECT_EQ(dialog.view->location, kControlPanel);
        EXPECT_FALSE(dialog.ButtonEnabled(IDM_FOLDER_NEW));
    });
}

TEST_F(FileDialog, AncestorCommandsGoUpTheLocationMenuAndTheLastChangesNothing) {
    const std::wstring deep = Folder(L"a") + L"\\b";
    CreateDirectoryW(deep.c_str(), nullptr);
    initial = deep;
    Run([&](DrivenDialog& dialog) {
        // \scratch\a\b: Desktop, My Device, scratch, a, b.
        dialog.Command(IDM_ANCESTOR_FIRST + 4);
        EXPECT_EQ(dialog.Where(), deep);
        EXPECT_TRUE(dialog.History.empty()) << "the current location is refused";
        dialog.Command(IDM_ANCESTOR_FIRST + 2);
        EXPECT_EQ(dialog.Where(), folder.Path());
        dialog.Command(IDM_ANCESTOR_FIRST + 1);
        EXPECT_EQ(dialog.view->location, kMyDevice);
        dialog.Command(IDM_ANCESTOR_FIRST);
        EXPECT_EQ(dialog.view->location, kDesktop);
        EXPECT_EQ(dialog.History.size(), 3u);
    });
}

}  // namespace
