// The main window and the remembered skin: what a start does with the
// setting, and what an exit writes back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/appvalues.h"
#include "framework/regkey.h"
#include "game/gamewindow.h"
#include "game/skinfile.h"
#include "resources/resource.h"
#include "tests/support/testsupport.h"

namespace {

// Counts the commands the main window receives.
class CountingWindow : public GameWindow {
public:
    LRESULT OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) == IDM_FILE_OPEN) ++openCommands;
        return GameWindow::OnCommand(hwnd, message, wParam, lParam);
    }
    int openCommands = 0;
};

std::wstring Caption(HWND window) {
    wchar_t text[260] = L"";
    GetWindowTextW(window, text, 260);
    return text;
}

// The stored setting, or "<absent>".
std::wstring StoredSkin() {
    FRegKey key(HKEY_CURRENT_USER);
    if (key.Open(kSkinSettingKey) != ERROR_SUCCESS) return L"<absent>";
    wchar_t text[kMaxPath];
    DWORD bytes = sizeof(text);
    if (key.QueryString(kSkinSettingValue, text, &bytes) != ERROR_SUCCESS) return L"<absent>";
    return text;
}

void StoreSkin(const std::wstring& path) {
    FRegKey key(HKEY_CURRENT_USER);
    ASSERT_EQ(key.Create(kSkinSettingKey), ERROR_SUCCESS);
    ASSERT_EQ(key.SetString(kSkinSettingValue, path.c_str()), ERROR_SUCCESS);
}

class GameSkinTest : public testing::Test {
protected:
    void SetUp() override {
        InitAppValues(GetModuleHandleW(nullptr));
        CurrentSkinPath[0] = L'\0';
        SkinInfo = SkinDescription{};
    }

    // Creates the main window as the program does; the caller's watcher
    // answers the boxes creation shows.
    bool Start() {
        window = std::make_unique<CountingWindow>();
        return CreateMainWindow(*window, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                WS_VISIBLE | WS_CLIPCHILDREN, 0, COLOR_WINDOW | 0x40000000);
    }

    // The window goes first, then the object, which writes the setting.
    void Exit() {
        if (window && IsWindow(window->hwnd)) DestroyWindow(window->hwnd);
        window.reset();
        PumpMessages(50);
    }

    ScratchKey setting{kSkinSettingKey};
    std::unique_ptr<CountingWindow> window;
};

TEST_F(GameSkinTest, FirstStartWithoutSettingAsksForASkinAndWritesEmpty) {
    BoxWatcher watcher(IDCANCEL);
    ASSERT_TRUE(Start());
    EXPECT_EQ(window->openCommands, 1) << "Open... is sent during creation";
    EXPECT_STREQ(CurrentSkinPath, L"");
    EXPECT_EQ(Caption(window->hwnd), std::wstring(AppTitle));
    EXPECT_EQ(window->board.Colours(), 4) << "the built-in images with 4 colours";
    EXPECT_TRUE(watcher.Seen().empty()) << "no box at a first start";
    Exit();
    EXPECT_EQ(StoredSkin(), L"") << "an empty value is written at exit";
}

TEST_F(GameSkinTest, RememberedSkinThatWasDeletedIsReportedAndForgotten) {
    ScratchFolder folder;
    StoreSkin(folder / L"gone.skin.ini");
    BoxWatcher watcher(IDOK);
    ASSERT_TRUE(Start());
    ASSERT_EQ(watcher.Seen().size(), 1u) << "the error box";
    EXPECT_EQ(watcher.Seen()[0].caption, L"Error");
    EXPECT_EQ(watcher.Seen()[0].text, L"Skin file error gone.skin");
    EXPECT_EQ(watcher.Seen()[0].owner, window->hwnd);
    EXPECT_EQ(Caption(window->hwnd), L"VRK");
    EXPECT_EQ(window->openCommands, 0) << "a remembered skin is loaded, not chosen";
    Exit();
    EXPECT_EQ(StoredSkin(), L"") << "the bad skin is not remembered";
}

TEST_F(GameSkinTest, RememberedSkinLoadsAndIsWrittenBack) {
    ScratchFolder folder;
    // Images that exist but cannot be decoded: the layout falls back to the
    // built-in pictures without a message.
    folder.WriteFile(L"p.bmp", "not an image");
    folder.WriteFile(L"b.bmp", "not an image");
    const std::wstring ini = folder.WriteFile(
        L"Stones.ini", "[PEBBLORA]\r\nver=1\r\nnum=3\r\n[IMAGES]\r\npiece=\"p.bmp\"\r\nbackground=b.bmp\r\n");
    StoreSkin(ini);
    BoxWatcher watcher(IDOK);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(watcher.Seen().empty()) << "unexpected box: " << Narrow(watcher.Seen()[0].text);
    EXPECT_EQ(Caption(window->hwnd), L"VRK - Stones");
    EXPECT_EQ(std::wstring(CurrentSkinPath), ini);
    EXPECT_EQ(window->board.Colours(), 3) << "the skin's colour count reached the board";
    EXPECT_GT(window->board.Columns(), 0) << "the built-in pieces stand in for the undecodable ones";
    Exit();
    EXPECT_EQ(StoredSkin(), ini);
}

}  // namespace
