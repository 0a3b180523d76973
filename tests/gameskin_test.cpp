// The main window and the remembered skin: what a start does with the
// setting, and what an exit writes back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "filedialog/filedialog.h"
#include "framework/appvalues.h"
#include "framework/dialog.h"
#include "framework/regkey.h"
#include "game/gamewindow.h"
#include "game/skinfile.h"
#include "platform/device.h"
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


// Drives every skin chooser the window opens on this thread: records the
// folder it starts in, then types the next scripted name and presses OK
// (an empty name presses Cancel). Error boxes are recorded and closed.
class ChooserDriver {
public:
    explicit ChooserDriver(std::vector<std::wstring> names) : names_(std::move(names)) {
        active_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~ChooserDriver() {
        KillTimer(nullptr, timer_);
        UnhookWindowsHookEx(hook_);
        active_ = nullptr;
    }
    std::vector<std::wstring> startFolders;
    std::vector<std::wstring> errors;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        auto window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && active_ && window != active_->served_) {
            wchar_t cls[16] = L"";
            GetClassNameW(window, cls, 16);
            if (lstrcmpW(cls, L"#32770") == 0) {
                active_->served_ = window;
                if (GetDlgItem(window, IDC_FOLDER_LIST)) {
                    active_->pending_ = window;
                } else {
                    active_->errors.push_back(ReadBox(window).text);
                    PostMessageW(window, WM_COMMAND, IDOK, 0);
                }
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    // Acts from the chooser's own loop, once its start is over.
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (!active_ || !active_->pending_) return;
        HWND chooser = std::exchange(active_->pending_, nullptr);
        auto* dialog = dynamic_cast<FDlgGetFileName*>(DialogMap.Find(chooser));
        if (!dialog) return;
        wchar_t folder[kMaxPath] = L"";
        dialog->view->LocationPath(folder);
        active_->startFolders.push_back(folder);
        const size_t turn = active_->startFolders.size() - 1;
        const std::wstring name = turn < active_->names_.size() ? active_->names_[turn] : L"";
        if (name.empty()) {
            PostMessageW(chooser, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        SetDlgItemTextW(chooser, IDC_FILE_NAME, name.c_str());
        SetFocus(GetDlgItem(chooser, IDC_FILE_NAME));
        PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    }
    static inline ChooserDriver* active_ = nullptr;
    std::vector<std::wstring> names_;
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    HWND served_ = nullptr;
    HWND pending_ = nullptr;
};

// The program's own folder as the chooser is given it.
std::wstring ProgramFolder() {
    wchar_t path[kMaxPath] = L"";
    ce::GetModuleFileNameW(nullptr, path, kMaxPath);
    RemoveFileName(path);
    return path;
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
        ServePosted();
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
    ASSERT_EQ(watcher.Seen().size(), 1u) << "only the skin chooser at a first start";
    EXPECT_EQ(watcher.Seen()[0].caption, L"Open");
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

TEST_F(GameSkinTest, FirstStartChoosesInTheProgramFolderAndCancelKeepsTheBuiltInBoard) {
    ChooserDriver driver({L""});
    ASSERT_TRUE(Start());
    ASSERT_EQ(driver.startFolders.size(), 1u) << "the chooser opens during creation";
    EXPECT_EQ(driver.startFolders[0], ProgramFolder());
    EXPECT_EQ(Caption(window->hwnd), std::wstring(AppTitle));
    EXPECT_EQ(window->board.Colours(), 4);
    EXPECT_TRUE(driver.errors.empty());
    Exit();
}

TEST_F(GameSkinTest, ChosenSkinIsLoadedRememberedAndOpenStartsInItsFolder) {
    ScratchFolder folder;
    const std::string skin = "[PEBBLORA]\r\nver=1\r\nnum=3\r\n[IMAGES]\r\npiece=p.bmp\r\nbackground=b.bmp\r\n";
    StoreSkin(folder.WriteFile(L"Stones.ini", skin));
    const std::wstring sand = folder.WriteFile(L"Sand.ini", skin);
    folder.WriteFile(L"p.bmp", "not an image");
    folder.WriteFile(L"b.bmp", "not an image");
    folder.WriteFile(L"Broken.ini", "[NOTHING]\r\n");
    ChooserDriver driver({L"Sand.ini", L"Broken.ini", L""});
    ASSERT_TRUE(Start());
    ASSERT_TRUE(driver.startFolders.empty()) << "a remembered skin is loaded, not chosen";

    SendMessageW(window->hwnd, WM_COMMAND, IDM_FILE_OPEN, 0);
    ASSERT_EQ(driver.startFolders.size(), 1u);
    EXPECT_EQ(driver.startFolders[0], folder.Path()) << "Open... starts in the folder of the skin in use";
    EXPECT_EQ(Caption(window->hwnd), L"VRK - Sand");
    EXPECT_EQ(std::wstring(CurrentSkinPath), sand);

    // A skin that fails to load is reported and forgotten: the next Open...
    // starts in the program's folder.
    SendMessageW(window->hwnd, WM_COMMAND, IDM_FILE_OPEN, 0);
    EXPECT_EQ(driver.errors.size(), 1u);
    EXPECT_STREQ(CurrentSkinPath, L"");
    SendMessageW(window->hwnd, WM_COMMAND, IDM_FILE_OPEN, 0);
    ASSERT_EQ(driver.startFolders.size(), 3u);
    EXPECT_EQ(driver.startFolders[2], ProgramFolder());
    Exit();
    EXPECT_EQ(StoredSkin(), L"");
}

}  // namespace
