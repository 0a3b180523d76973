// Message boxes: caption by language, formatted text, owner, and no end of
// the program.
#include <gtest/gtest.h>

#include <string>

#include "framework/errorbox.h"
#include "framework/language.h"
#include "tests/support/testsupport.h"

namespace {

// Switches the interface language for one test and back.
struct LanguageScope {
    bool saved = LangJapanese;
    explicit LanguageScope(bool japanese) { LangJapanese = japanese; }
    ~LanguageScope() { LangJapanese = saved; }
};

// A plain top-level window to own boxes.
struct OwnerWindow {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, nullptr, nullptr);
    ~OwnerWindow() { DestroyWindow(hwnd); }
};

}  // namespace

TEST(MessageBoxes, CaptionsFollowTheLanguageAtTheMomentOfUse) {
    struct Case {
        bool japanese;
        int (*show)(const wchar_t*);
        const wchar_t* caption;
    };
    const Case cases[] = {
        /* 0 */ {false, [](const wchar_t* t) { return ShowError(nullptr, t); }, L"Error"},
        /* 1 */ {true, [](const wchar_t* t) { return ShowError(nullptr, t); }, L"ｴﾗｰ"},
        /* 2 */ {false, [](const wchar_t* t) { return ShowFatal(nullptr, t); }, L"Fatal"},
        /* 3 */ {true, [](const wchar_t* t) { return ShowFatal(nullptr, t); }, L"致命的なｴﾗｰ"},
        /* 4 */ {false, [](const wchar_t* t) { return ShowDebug(t); }, L"Debug"},
        /* 5 */ {true, [](const wchar_t* t) { return ShowDebug(t); }, L"Debug"},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        LanguageScope language(cases[i].japanese);
        BoxWatcher watcher;
        int result = cases[i].show(L"WndProc");
        ASSERT_EQ(watcher.Seen().size(), 1u) << "case " << i;
        EXPECT_EQ(watcher.Seen()[0].caption, cases[i].caption) << "case " << i;
        // A format without arguments is shown unchanged.
        EXPECT_EQ(watcher.Seen()[0].text, L"WndProc") << "case " << i;
        EXPECT_TRUE(watcher.Seen()[0].hasIcon) << "case " << i << ": the error icon is missing";
        EXPECT_EQ(result, IDOK) << "case " << i;
    }
}

TEST(MessageBoxes, FormatsWideTextNumbersAndPercent) {
    BoxWatcher watcher;
    ShowError(nullptr, L"Error CopyFile %d: %s at 100%%", -5, L"\\My Documents\\a.txt");
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, L"Error CopyFile -5: \\My Documents\\a.txt at 100%");
    ShowFatal(nullptr, L"RT_GROUP_ICON[%d]", 100);
    ASSERT_EQ(watcher.Seen().size(), 2u);
    EXPECT_EQ(watcher.Seen()[1].text, L"RT_GROUP_ICON[100]");
}

TEST(MessageBoxes, BoxesBelongToTheGivenOwner) {
    OwnerWindow owner;
    ASSERT_NE(owner.hwnd, nullptr);
    BoxWatcher watcher;
    ShowError(owner.hwnd, L"x");
    ShowFatal(owner.hwnd, L"y");
    ShowFatal(nullptr, L"z");
    ASSERT_EQ(watcher.Seen().size(), 3u);
    EXPECT_EQ(watcher.Seen()[0].owner, owner.hwnd);
    EXPECT_EQ(watcher.Seen()[1].owner, owner.hwnd);
    EXPECT_EQ(watcher.Seen()[2].owner, nullptr);
}

TEST(MessageBoxes, DebugBoxBelongsToTheActiveWindow) {
    OwnerWindow active;
    SetForegroundWindow(active.hwnd);
    SetActiveWindow(active.hwnd);
    ASSERT_EQ(GetActiveWindow(), active.hwnd);
    BoxWatcher watcher;
    ShowDebug(L"IDR_ACCELERATOR_MAIN");
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].owner, active.hwnd);
    EXPECT_EQ(watcher.Seen()[0].text, L"IDR_ACCELERATOR_MAIN");
}

TEST(MessageBoxes, OverlongTextIsCutNotOverrun) {
    std::wstring longPath(2000, L'x');
    wchar_t buffer[kErrorTextUnits + 16];
    std::fill(std::begin(buffer), std::end(buffer), static_cast<wchar_t>(0x6666));
    auto format = [&](const wchar_t* f, ...) {
        va_list args;
        va_start(args, f);
        FormatErrorText(buffer, f, args);
        va_end(args);
    };
    format(L"Error %s", longPath.c_str());
    EXPECT_EQ(std::wcslen(buffer), static_cast<size_t>(kErrorTextUnits - 1));
    EXPECT_EQ(std::wstring(buffer, 6), L"Error ");
    for (int i = kErrorTextUnits; i < kErrorTextUnits + 16; ++i)
        EXPECT_EQ(buffer[i], 0x6666) << "guard unit " << i << " overwritten";

    BoxWatcher watcher;
    ShowError(nullptr, L"%s", longPath.c_str());
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text.size(), static_cast<size_t>(kErrorTextUnits - 1));
}
