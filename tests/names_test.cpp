// New-folder names in both languages, paths that would not fit, and the
// check of typed names with its error box.
#include "shell/names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/language.h"
#include "framework/paths.h"
#include "tests/support/testsupport.h"

namespace {

struct LanguageScope {
    bool saved = LangJapanese;
    explicit LanguageScope(bool japanese) { LangJapanese = japanese; }
    ~LanguageScope() { LangJapanese = saved; }
};

// A kMaxPath buffer followed by guard units nothing may write.
struct GuardedPath {
    static constexpr int kGuard = 8;
    wchar_t text[kMaxPath + kGuard];
    GuardedPath() { std::fill(std::begin(text), std::end(text), static_cast<wchar_t>(0x6666)); }
    bool GuardIntact() const {
        for (int i = kMaxPath; i < kMaxPath + kGuard; ++i)
            if (text[i] != 0x6666) return false;
        return true;
    }
};

TEST(NewFolderNames, FirstFreeNameInEitherLanguage) {
    // Folders are named by number: 1 is the plain name, n the name "(n)".
    struct Case {
        std::vector<int> existingNumbers;
        int expected;
    };
    const Case cases[] = {
        /* 0 */ {{}, 1},
        /* 1 */ {{1}, 2},
        /* 2 */ {{1, 2}, 3},
        /* 3 */ {{2}, 1},
        /* 4 */ {{1, 3}, 2},
    };
    for (bool japanese : {false, true}) {
        LanguageScope language(japanese);
        const std::wstring base = japanese ? L"新しいフォルダ" : L"New Folder";
        auto named = [&](int n) { return n == 1 ? base : base + L" (" + std::to_wstring(n) + L")"; };
        for (int i = 0; i < int(std::size(cases)); ++i) {
            ScratchFolder folder;
            for (int n : cases[i].existingNumbers)
                ASSERT_TRUE(CreateDirectoryW((folder / named(n)).c_str(), nullptr));
            GuardedPath out;
            ASSERT_TRUE(MakeNewFolderName(out.text, folder.Path().c_str())) << "case " << i;
            EXPECT_EQ(std::wstring(out.text), folder / named(cases[i].expected))
                << "case " << i << (japanese ? " (ja)" : " (en)");
            EXPECT_TRUE(out.GuardIntact()) << "case " << i;
        }
    }
}

TEST(NewFolderNames, AFileOfThatNameTakesItToo) {
    ScratchFolder folder;
    folder.WriteFile(L"New Folder", "");
    GuardedPath out;
    ASSERT_TRUE(MakeNewFolderName(out.text, folder.Path().c_str()));
    EXPECT_EQ(std::wstring(out.text), folder / L"New Folder (2)");
}

TEST(NewFolderNames, ANameThatWouldNotFitIsRefusedNotCut) {
    // The folder's own path is 246 units: "\New Folder" makes 257, but
    // "\New Folder (2)" would make 261.
    ScratchFolder scratch;
    const std::wstring deep = scratch.Path() + L"\\" + std::wstring(245 - scratch.Path().size(), L'd');
    ASSERT_EQ(deep.size(), 246u);
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));

    GuardedPath out;
    ASSERT_TRUE(MakeNewFolderName(out.text, deep.c_str()));
    EXPECT_EQ(std::wstring(out.text), deep + L"\\New Folder");

    // With "New Folder" taken, the next name does not fit: refused, empty.
    HANDLE file = CreateFileW(out.text, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    GuardedPath refused;
    EXPECT_FALSE(MakeNewFolderName(refused.text, deep.c_str()));
    EXPECT_EQ(refused.text[0], L'\0');
    EXPECT_TRUE(refused.GuardIntact());

    // A folder too long even for the first name.
    const std::wstring tooLong = L"\\" + std::wstring(kMaxPath - 12, L'x');
    GuardedPath none;
    EXPECT_FALSE(MakeNewFolderName(none.text, tooLong.c_str()));
    EXPECT_EQ(none.text[0], L'\0');
    EXPECT_TRUE(none.GuardIntact());
}

// A top-level window to own the boxes.
struct OwnerWindow {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ~OwnerWindow() { DestroyWindow(hwnd); }
};

const std::wstring kAllForbidden = L"\\/:,;*?\"<>|";

TEST(NameChecks, ARefusedNameGetsTheWholeListInEitherLanguage) {
    ASSERT_EQ(kAllForbidden.size(), 11u);
    OwnerWindow owner;
    for (bool japanese : {false, true}) {
        LanguageScope language(japanese);
        BoxWatcher watcher;
        EXPECT_FALSE(CheckFileName(owner.hwnd, L"a;b"));
        ASSERT_EQ(watcher.Seen().size(), 1u);
        EXPECT_EQ(watcher.Seen()[0].text,
                  (japanese ? L"ﾌｧｲﾙ名には次の文字は使えません。\n" : L"Invalid chars\n") + kAllForbidden);
        EXPECT_EQ(watcher.Seen()[0].owner, owner.hwnd);
        EXPECT_EQ(watcher.Seen()[0].caption, japanese ? L"ｴﾗｰ" : L"Error");
    }
}

TEST(NameChecks, EachForbiddenCharacterIsRefusedAndOthersPass) {
    OwnerWindow owner;
    for (wchar_t c : kAllForbidden) {
        const std::wstring name = std::wstring(L"x") + c + L"y";
        BoxWatcher watcher;
        EXPECT_FALSE(CheckFileName(owner.hwnd, name.c_str())) << Narrow(name);
        EXPECT_EQ(watcher.Seen().size(), 1u) << Narrow(name);
    }
    const wchar_t* accepted[] = {L"report.txt", L"New Folder (2)", L"ｼｽﾃﾑ ﾌｫﾙﾀﾞ", L"a.b.c", L"[x]-{y}+=!", L""};
    for (int i = 0; i < int(std::size(accepted)); ++i) {
        BoxWatcher watcher;
        EXPECT_TRUE(CheckFileName(owner.hwnd, accepted[i])) << "case " << i;
        EXPECT_TRUE(watcher.Seen().empty()) << "case " << i;
    }
}

}  // namespace
