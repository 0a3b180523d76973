// Find in the file dialog, driven for real: the question, the results with
// their folders in both languages, choosing and changing what was found,
// Ctrl+F, and the popups that offer Find where something can be searched.
#include "tests/filedialog_fixture.h"

using namespace filedialogfixture;

namespace {

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
