// The file selection dialog, driven for real: each case runs inside the
// dialog's own modal loop, types and presses what a person would, and reads
// back where the dialog went and what it handed to its caller.
#include "filedialog/filedialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/appvalues.h"
#include "framework/language.h"
#include "platform/aygshell.h"
#include "platform/deviceprofile.h"
#include "resources/resource.h"
#include "tests/support/testsupport.h"

namespace {

// The dialog with a test body run once its start is over. A body that
// leaves the dialog open ends it with kStayedOpen: the message that does so
// is never served once the dialog has ended.
constexpr INT_PTR kStayedOpen = 77;
constexpr UINT kRunBody = WM_APP + 7;
constexpr UINT kEndIfOpen = WM_APP + 8;
constexpr UINT kCloseMenu = WM_APP + 9;

class DrivenDialog : public FDlgGetFileName {
public:
    std::function<void(DrivenDialog&)> body;

    INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kEndIfOpen) {
            EndDialog(window, kStayedOpen);
            return TRUE;
        }
        if (message == WM_INITMENUPOPUP) {
            // Read the popup as it is about to show, then close it from
            // the menu's own loop, which serves the posted message once the
            // popup is up.
            menus.push_back(ReadMenu(reinterpret_cast<HMENU>(wParam)));
            PostMessageW(window, kCloseMenu, 0, 0);
        }
        if (message == kCloseMenu) {
            EndMenu();
            return TRUE;
        }
        if (message != kRunBody) return FDlgGetFileName::DialogProc(window, message, wParam, lParam);
        if (body) body(*this);
        PostMessageW(window, kEndIfOpen, 0, 0);
        return TRUE;
    }
    INT_PTR OnInitDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        INT_PTR result = FDlgGetFileName::OnInitDialog(window, message, wParam, lParam);
        PostMessageW(window, kRunBody, 0, 0);
        return result;
    }

    // Types `text` into the file-name box and presses OK there.
    void TypeAndOk(const std::wstring& text) {
        SetDlgItemTextW(hwnd, IDC_FILE_NAME, text.c_str());
        SetFocus(GetDlgItem(hwnd, IDC_FILE_NAME));
        Ok();
    }
    void Ok() { SendMessageW(hwnd, WM_COMMAND, IDOK, 0); }
    void Command(int id) { SendMessageW(hwnd, WM_COMMAND, id, 0); }
    std::wstring Where() const {
        wchar_t text[kMaxPath];
        view->LocationPath(text);
        return text;
    }
    bool ButtonEnabled(int command) const {
        return SendMessageW(menuBar, TB_ISBUTTONENABLED, command, 0) != 0;
    }
    std::wstring FolderBarText() const {
        wchar_t text[kMaxPath] = L"";
        TBBUTTONINFOW info{};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_TEXT | TBIF_IMAGE;
        info.pszText = text;
        info.cchText = kMaxPath;
        SendMessageW(FolderBar, TB_GETBUTTONINFOW, IDM_FOLDER_LOCATION, reinterpret_cast<LPARAM>(&info));
        folderBarImage = info.iImage;
        return text;
    }
    mutable int folderBarImage = -1;
    // Every popup shown: its items as "text" with "(grey)" and "(mark)".
    std::vector<std::vector<std::wstring>> menus;

private:
    static std::vector<std::wstring> ReadMenu(HMENU menu) {
        std::vector<std::wstring> items;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[kMaxPath] = L"";
            MENUITEMINFOW item{};
            item.cbSize = sizeof(item);
            item.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
            item.dwTypeData = text;
            item.cch = kMaxPath;
            GetMenuItemInfoW(menu, i, TRUE, &item);
            if (item.fType & MFT_SEPARATOR) continue;
            std::wstring shown = text;
            if (item.fState & MFS_GRAYED) shown += L"(grey)";
            if (item.fState & MFS_CHECKED) shown += L"(mark)";
            items.push_back(shown);
        }
        return items;
    }
};

class FileDialog : public testing::Test {
protected:
    void SetUp() override {
        UseEnglishDeviceValues();
        std::fill(std::begin(result), std::end(result), L'\x6666');
        result[0] = L'\0';
        request.lStructSize = sizeof(request);
        request.lpstrFile = result;
        request.nMaxFile = kMaxPath;
        request.lpstrInitialDir = initial.c_str();
    }
    void TearDown() override { LangJapanese = false; }

    // Runs the dialog with `body`; returns its end code.
    INT_PTR Run(const std::function<void(DrivenDialog&)>& body, bool save = false) {
        request.lpstrInitialDir = initial.c_str();
        DrivenDialog dialog;
        dialog.body = body;
        return dialog.Run(save, request);
    }
    std::wstring File(const std::wstring& name) const { return folder.WriteFile(name, "x"); }
    std::wstring Folder(const std::wstring& name) const {
        CreateDirectoryW((folder / name).c_str(), nullptr);
        return folder / name;
    }

    ScratchFolder folder;
    std::wstring initial = folder.Path();
    wchar_t result[kMaxPath + 8];
    OPENFILENAMEW request{};
};

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

// ---- Find -------------------------------------------------------------------------------------

// Answers Find's question when it comes up: records what it was prefilled
// with, types the next of `answers` and presses OK; once they are used up,
// Cancel. Its timer runs in every modal loop of the thread, the question's
// own included.
class FindAnswerer {
public:
    explicit FindAnswerer(std::wstring patterns) : answers_{std::move(patterns)} { Start(); }
    explicit FindAnswerer(std::vector<std::wstring> answers) : answers_(std::move(answers)) { Start(); }
    ~FindAnswerer() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    FindAnswerer(const FindAnswerer&) = delete;
    FindAnswerer& operator=(const FindAnswerer&) = delete;

    int asked = 0;
    std::wstring prefilled;
    std::wstring caption;

private:
    void Start() {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND question = GetActiveWindow();
        HWND edit = question ? GetDlgItem(question, IDC_FIND_NAME) : nullptr;
        if (!current_ || !edit || !IsWindowEnabled(question)) return;
        wchar_t text[kMaxPath + 8] = L"";
        GetWindowTextW(edit, text, kMaxPath + 8);
        current_->prefilled = text;
        GetWindowTextW(question, text, kMaxPath + 8);
        current_->caption = text;
        const size_t next = static_cast<size_t>(current_->asked++);
        if (next >= current_->answers_.size()) {
            SendMessageW(question, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        SetWindowTextW(edit, current_->answers_[next].c_str());
        SendMessageW(question, WM_COMMAND, IDOK, 0);
    }

    std::vector<std::wstring> answers_;
    UINT_PTR timer_ = 0;
    static inline FindAnswerer* current_ = nullptr;
};

// The chooser under test and the find dialogs (answered by FindAnswerer, or
// ending by themselves): a BoxWatcher leaves them alone.
bool IsChooserOrFindDialog(HWND window) {
    return GetDlgItem(window, IDC_FOLDER_LIST) != nullptr || GetDlgItem(window, IDC_FIND_NAME) != nullptr ||
           GetDlgItem(window, IDC_FIND_TEXT) != nullptr;
}

std::wstring ListText(HWND list, int index, int column) {
    wchar_t text[2 * kMaxPath + 8] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 2 * kMaxPath + 8;
    SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::wstring HeaderText(HWND list, int column) {
    wchar_t text[64] = L"";
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    SendMessageW(header, HDM_GETITEMW, column, reinterpret_cast<LPARAM>(&item));
    return text;
}

int ListCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

TEST_F(FileDialog, FindListsNestedMatchesWithTheirFoldersAndBackReturnsInBothLanguages) {
    Folder(L"Skins");
    Folder(L"Skins\\Garden");
    Folder(L"Skins\\Ocean");
    Folder(L"Notes");
    File(L"Skins\\Garden\\Garden.ini");
    File(L"Skins\\Ocean\\Ocean.ini");
    File(L"Notes\\garden notes.txt");
    File(L"Notes\\pond.txt");
    const std::wstring top = folder.Path();
    struct Case {
        bool japanese;
        const wchar_t* column;
    };
    for (const Case& c : {Case{false, L"In Folder"}, Case{true, L"場所"}}) {
        LangJapanese = c.japanese;
        Run([&](DrivenDialog& dialog) {
            FindAnswerer answerer(L"GARDEN*");
            dialog.Command(IDM_FOLDER_FIND);
            ASSERT_EQ(answerer.asked, 1);
            EXPECT_EQ(answerer.prefilled, L"*.*") << "the filter's patterns, the name box being empty";
            EXPECT_EQ(answerer.caption, c.japanese ? L"検索" : L"Find");
            EXPECT_EQ(dialog.view->location, kFindResult);
            HWND list = dialog.view->hwnd;
            // Found in walk order; the folder whose name matches is a result too.
            std::vector<std::wstring> labels;
            for (int i = 0; i < ListCount(list); ++i) labels.push_back(ListText(list, i, 0));
            std::sort(labels.begin(), labels.end());
            const std::vector<std::wstring> listed = {
                L"Garden  (" + top + L"\\Skins)",
                L"Garden.ini  (" + top + L"\\Skins\\Garden)",
                L"garden notes.txt  (" + top + L"\\Notes)",
            };
            EXPECT_EQ(labels, listed);
            // List view's columns are as wide as the longest label.
            int longest = 0;
            for (const std::wstring& label : labels)
                longest = std::max(longest, static_cast<int>(SendMessageW(
                                                list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(label.c_str()))));
            EXPECT_GE(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), longest);
            // Details shows the bare name and the folder in a column of its own.
            dialog.Command(IDM_VIEW_DETAILS);
            EXPECT_EQ(HeaderText(list, kFolderColumn), c.column);
            std::vector<std::wstring> rows;
            for (int i = 0; i < ListCount(list); ++i)
                rows.push_back(ListText(list, i, 0) + L" | " + ListText(list, i, kFolderColumn));
            std::sort(rows.begin(), rows.end());
            const std::vector<std::wstring> details = {
                L"Garden | " + top + L"\\Skins",
                L"Garden.ini | " + top + L"\\Skins\\Garden",
                L"garden notes.txt | " + top + L"\\Notes",
            };
            EXPECT_EQ(rows, details);

            dialog.Command(IDM_FOLDER_BACK);
            EXPECT_EQ(dialog.Where(), top);
            EXPECT_EQ(HeaderText(list, kFolderColumn), L"") << "the column goes with the results";
        });
    }
    LangJapanese = false;
}

TEST_F(FileDialog, AFoundFileIsChosenByItsFullPathAndAFoundFolderOpens) {
    Folder(L"deep");
    Folder(L"deep\\er");
    File(L"deep\\er\\Ocean.ini");
    File(L"deep\\name typed.ini");
    struct Case {
        const wchar_t* patterns;
        const wchar_t* typed;  // in the name box before Find
        const wchar_t* prefill;
        INT_PTR end;
        std::wstring where;  // where the dialog is when it stays open
    };
    const Case cases[] = {
        /* 0 */ {L"ocean.INI", L"", L"*.*", IDOK, L""},
        /* 1 */ {L"er", L"name typed.ini", L"name typed.ini", kStayedOpen, folder / L"deep\\er"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const INT_PTR end = Run([&](DrivenDialog& dialog) {
            SetDlgItemTextW(dialog.hwnd, IDC_FILE_NAME, c.typed);
            FindAnswerer answerer(c.patterns);
            dialog.Command(IDM_FOLDER_FIND);
            EXPECT_EQ(answerer.prefilled, c.prefill) << "case " << i;
            ASSERT_EQ(ListCount(dialog.view->hwnd), 1) << "case " << i;
            LVITEMW state{};
            state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(dialog.view->hwnd, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
            SetFocus(dialog.view->hwnd);
            dialog.Ok();
            if (c.end == kStayedOpen) {
                EXPECT_EQ(dialog.Where(), c.where) << "case " << i;
            }
        });
        EXPECT_EQ(end, c.end) << "case " << i;
    }
    EXPECT_EQ(std::wstring(result), folder / L"deep\\er\\Ocean.ini");
}

TEST_F(FileDialog, NoMatchSaysSoAndTheDialogStaysWhereItWas) {
    File(L"one.txt");
    Folder(L"sub");
    File(L"sub\\two.txt");
    // Files of another type than the dialog's are not found either.
    request.lpstrFilter = L"INI Files\0*.ini\0";
    for (bool japanese : {false, true}) {
        LangJapanese = japanese;
        std::vector<BoxSeen> seen;
        const INT_PTR end = Run([&](DrivenDialog& dialog) {
            BoxWatcher boxes(IDOK, IsChooserOrFindDialog);
            FindAnswerer answerer(L"nothing*;*.none;*.txt");
            dialog.Command(IDM_FOLDER_FIND);
            seen = boxes.Seen();
            EXPECT_EQ(dialog.Where(), folder.Path());
            EXPECT_EQ(ListText(dialog.view->hwnd, 0, 0), L"sub");
            EXPECT_FALSE(dialog.ButtonEnabled(IDM_FOLDER_BACK)) << "nothing to go back to";
        });
        EXPECT_EQ(end, kStayedOpen);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_EQ(seen[0].text, japanese ? L"見つかりません｡" : L"No files found.");
    }
    LangJapanese = false;
}

TEST_F(FileDialog, FoundEntriesStayTrueAfterRenameAndDelete) {
    Folder(L"a");
    File(L"a\\keep.txt");
    File(L"a\\gone.txt");
    Run([&](DrivenDialog& dialog) {
        FindAnswerer answerer(L"*.txt");
        dialog.Command(IDM_FOLDER_FIND);
        HWND list = dialog.view->hwnd;
        ASSERT_EQ(ListCount(list), 2);
        const int gone = ListText(list, 0, 0).rfind(L"gone.txt", 0) == 0 ? 0 : 1;
        {
            // Yes to every delete question: the view's, and the engine's
            // from its worker thread.
            static int asked = 0;
            asked = 0;
            const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
                EnumWindows(
                    [](HWND window, LPARAM) {
                        DWORD process = 0;
                        GetWindowThreadProcessId(window, &process);
                        if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
                        if (HWND yes = GetDlgItem(window, IDYES)) {
                            ++asked;
                            PostMessageW(yes, BM_CLICK, 0, 0);
                            return FALSE;
                        }
                        // Anything else but the chooser and the progress is a box nobody expected.
                        wchar_t cls[16] = L"";
                        GetClassNameW(window, cls, 16);
                        if (lstrcmpW(cls, L"#32770") == 0 && !IsChooserOrFindDialog(window) &&
                            !GetDlgItem(window, IDC_FILEOP_GAUGE)) {
                            ADD_FAILURE() << "unexpected box: " << Narrow(ReadBox(window).text);
                            PostMessageW(window, WM_COMMAND, IDOK, 0);
                        }
                        return TRUE;
                    },
                    0);
            });
            LVITEMW state{};
            state.stateMask = state.state = LVIS_SELECTED;
            SendMessageW(list, LVM_SETITEMSTATE, gone, reinterpret_cast<LPARAM>(&state));
            dialog.Command(IDM_FOLDER_DELETE);
            KillTimer(nullptr, timer);
            EXPECT_GE(asked, 1) << "the delete was confirmed";
        }
        EXPECT_FALSE(PathExists((folder / L"a\\gone.txt").c_str()));
        ASSERT_EQ(ListCount(list), 1);
        EXPECT_EQ(dialog.view->results.size(), 1u);

        // Renamed in place: the label edits the bare name and keeps naming the folder.
        HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_EDITLABELW, 0, 0));
        ASSERT_TRUE(edit);
        wchar_t editing[kMaxPath] = L"";
        GetWindowTextW(edit, editing, kMaxPath);
        EXPECT_STREQ(editing, L"keep.txt");
        SetWindowTextW(edit, L"kept.txt");
        SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        ServeUntil("the label edit to end", [&] { return !SendMessageW(list, LVM_GETEDITCONTROL, 0, 0); });
        EXPECT_TRUE(PathExists((folder / L"a\\kept.txt").c_str()));
        EXPECT_EQ(ListText(list, 0, 0), L"kept.txt  (" + folder / L"a" + L")");
        wchar_t path[kMaxPath];
        dialog.view->EntryPath(0, path);
        EXPECT_EQ(std::wstring(path), folder / L"a\\kept.txt");
    });
}

TEST_F(FileDialog, ANameOf260UnitsIsRefusedAndOf259Searched) {
    File(L"only.txt");
    const std::wstring longest(kMaxPath - 1, L'x');
    const std::wstring tooLong(kMaxPath, L'x');
    std::vector<BoxSeen> seen;
    int asked = 0;
    Run([&](DrivenDialog& dialog) {
        BoxWatcher boxes(IDOK, IsChooserOrFindDialog);
        // Too long: refused, asked again; then the longest: searched, nothing found.
        FindAnswerer answerer(std::vector<std::wstring>{tooLong, longest});
        dialog.Command(IDM_FOLDER_FIND);
        asked = answerer.asked;
        seen = boxes.Seen();
        EXPECT_EQ(dialog.Where(), folder.Path());
    });
    EXPECT_EQ(asked, 2);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, L"The name is too long.");
    EXPECT_EQ(seen[1].text, L"No files found.");
}

TEST_F(FileDialog, CtrlFAsksFromTheListAndTheNameBoxAndFindIsGreyWhereNothingIsSearched) {
    File(L"only.txt");
    std::vector<std::vector<std::wstring>> menus;
    Run([&](DrivenDialog& dialog) {
        // An empty pattern finds every entry below: the one file. Asked twice.
        FindAnswerer answerer(std::vector<std::wstring>{L"", L""});
        for (HWND focus : {dialog.view->hwnd, GetDlgItem(dialog.hwnd, IDC_FILE_NAME)}) {
            // The key as the dialog's own loop hands it to the message filters.
            BYTE keys[256];
            GetKeyboardState(keys);
            keys[VK_CONTROL] = 0x80;
            SetKeyboardState(keys);
            MSG key{};
            key.hwnd = focus;
            key.message = WM_KEYDOWN;
            key.wParam = 'F';
            const BOOL taken = CallMsgFilterW(&key, MSGF_DIALOGBOX);
            keys[VK_CONTROL] = 0;
            SetKeyboardState(keys);
            EXPECT_TRUE(taken) << "Ctrl+F is the chooser's own";
            const int before = answerer.asked;
            ServeUntil("Find's question after Ctrl+F", [&] { return answerer.asked > before; }, 3000);
            ServeUntil("the results", [&] { return dialog.view->location == kFindResult; }, 3000);
            EXPECT_EQ(ListText(dialog.view->hwnd, 0, 0), L"only.txt  (" + folder.Path() + L")");
            dialog.Command(IDM_FOLDER_BACK);
        }
        // F alone is typing.
        MSG plain{};
        plain.hwnd = dialog.view->hwnd;
        plain.message = WM_KEYDOWN;
        plain.wParam = 'F';
        EXPECT_FALSE(CallMsgFilterW(&plain, MSGF_DIALOGBOX));
        dialog.Command(IDM_FOLDER_POPUP);
        dialog.Navigate(kControlPanel, LocationPath(kControlPanel), true);
        dialog.Command(IDM_FOLDER_POPUP);
        menus = dialog.menus;
    });
    const std::vector<std::vector<std::wstring>> expected = {
        {L"Back(grey)", L"Up", L"Find...\tCtrl+F"},
        {L"Back", L"Up", L"Find...\tCtrl+F(grey)"},
    };
    EXPECT_EQ(menus, expected);
}

TEST_F(FileDialog, PopupsOfferWhatTheLocationAllowsInTheLanguageOfTheMoment) {
    CreateDirectoryW(L"\\My Documents\\Letters", nullptr);
    initial = L"\\My Documents\\Letters";
    std::vector<std::vector<std::wstring>> menus;
    Run([&](DrivenDialog& dialog) {
        dialog.Command(IDM_FOLDER_POPUP);
        dialog.Command(IDM_FOLDER_LOCATION);
        dialog.Command(IDM_FOLDER_UP);
        dialog.Command(IDM_FOLDER_UP);
        LangJapanese = true;
        dialog.Command(IDM_FOLDER_POPUP);
        dialog.Command(IDM_FOLDER_LOCATION);
        menus = dialog.menus;
    });
    LangJapanese = false;
    RemoveDirectoryW(L"\\My Documents\\Letters");
    const std::vector<std::vector<std::wstring>> expected = {
        {L"Back(grey)", L"Up", L"Find...\tCtrl+F"},
        {L"Desktop", L" My Device", L"  My Documents", L"   Letters(mark)"},
        {L"戻る", L"上へ(grey)", L"検索...\tCtrl+F"},
        {L"ﾃﾞｽｸﾄｯﾌﾟ(mark)"},
    };
    ASSERT_EQ(menus.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        std::wstring got, want;
        for (const auto& item : menus[i]) got += item + L"|";
        for (const auto& item : expected[i]) want += item + L"|";
        EXPECT_EQ(got, want) << "popup " << i;
    }
}

}  // namespace
