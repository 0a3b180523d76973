// Dialogs, property sheets, the menu bar, full-screen set-up and the input
// panel, driven as real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "framework/appvalues.h"
#include "framework/dialog.h"
#include "framework/language.h"
#include "platform/aygshell.h"
#include "platform/deviceprofile.h"
#include "tests/dialog_test_ids.h"
#include "tests/support/testsupport.h"

namespace {

constexpr UINT_PTR kScriptTimer = 76;
constexpr UINT_PTR kSafetyTimer = 77;
constexpr INT_PTR kTimedOut = -2;

class DialogTest : public testing::Test {
protected:
    void SetUp() override {
        AppInstance = GetModuleHandleW(nullptr);
        LangJapanese = false;
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_TAB_CLASSES};
        InitCommonControlsEx(&controls);
        SHInitExtraControls();
    }
    void TearDown() override { LangJapanese = false; }
};

// A dialog that posts `initial` commands at WM_INITDIALOG, runs `script`
// every 30 ms once it is shown until the script says it is done, records
// every command, and gives up after 10 s.
class ScriptedDlg : public FDlg {
public:
    std::vector<WPARAM> initial;
    std::function<bool(ScriptedDlg&)> script;
    std::vector<std::pair<WPARAM, LPARAM>> commands;

    INT_PTR DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == kScriptTimer) {
            if (IsWindowVisible(hwnd) && (!script || script(*this))) KillTimer(hwnd, kScriptTimer);
            return TRUE;
        }
        if (message == WM_TIMER && wParam == kSafetyTimer) {
            EndDialog(hwnd, kTimedOut);
            return TRUE;
        }
        return FDlg::DialogProc(hwnd, message, wParam, lParam);
    }
    INT_PTR OnInitDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        INT_PTR result = FDlg::OnInitDialog(hwnd, message, wParam, lParam);
        for (WPARAM command : initial) PostMessageW(hwnd, WM_COMMAND, command, 0);
        SetTimer(hwnd, kScriptTimer, 30, nullptr);
        SetTimer(hwnd, kSafetyTimer, 10000, nullptr);
        return result;
    }
    INT_PTR OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        commands.emplace_back(wParam, lParam);
        if (LOWORD(wParam) == 500) throw std::runtime_error("handler failure");
        return FDlg::OnCommand(hwnd, message, wParam, lParam);
    }
};

// Closes every message box of this thread but leaves dialogs under test alone.
class FatalBoxCloser {
public:
    FatalBoxCloser() { hook_ = SetWindowsHookExW(WH_CBT, HookProc, nullptr, GetCurrentThreadId()); }
    ~FatalBoxCloser() { UnhookWindowsHookEx(hook_); }
    static inline std::vector<BoxSeen> seen;

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) {
        auto window = reinterpret_cast<HWND>(wParam);
        wchar_t cls[16] = L"";
        GetClassNameW(window, cls, 16);
        if (code == HCBT_ACTIVATE && lstrcmpW(cls, L"#32770") == 0 && !DialogMap.Find(window)) {
            seen.push_back(ReadBox(window));
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

HWND MenuBarOf(HWND parent) { return FindWindowExW(parent, nullptr, L"menu_worker", nullptr); }

std::wstring ButtonText(HWND toolbar, int id) {
    wchar_t text[64] = L"";
    SendMessageW(toolbar, TB_GETBUTTONTEXTW, id, reinterpret_cast<LPARAM>(text));
    return text;
}

// Taps a toolbar button as the stylus would: down and up over its centre.
void TapButton(HWND toolbar, int id, bool post = true) {
    RECT rect{};
    SendMessageW(toolbar, TB_GETRECT, id, reinterpret_cast<LPARAM>(&rect));
    LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    auto deliver = post ? PostMessageW : [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> BOOL {
        SendMessageW(w, m, wp, lp);
        return TRUE;
    };
    deliver(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    deliver(toolbar, WM_LBUTTONUP, 0, at);
}

// The bar's place in its parent's client coordinates.
RECT BarRect(HWND bar) {
    RECT rect;
    GetWindowRect(bar, &rect);
    MapWindowPoints(nullptr, GetParent(bar), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

// ---- FDlg ---------------------------------------------------------------------

TEST_F(DialogTest, CommandsOneToTwentyEndTheDialogWithTheirCode) {
    struct Case {
        WPARAM command;
        bool ends;
    };
    const Case cases[] = {
        /* 0 */ {IDOK, true},   /* 1 */ {IDCANCEL, true}, /* 2 */ {IDYES, true},
        /* 3 */ {IDNO, true},   /* 4 */ {20, true},       /* 5 */ {21, false},
        /* 6 */ {0, false},     /* 7 */ {65535, false},   /* 8 */ {MAKEWPARAM(7, 1), true},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        ScriptedDlg dialog;
        dialog.initial = {cases[i].command, IDOK};  // IDOK ends a dialog that the command left open
        INT_PTR result = DoModal(dialog, nullptr, L"TESTDIALOG_E");
        if (cases[i].ends) {
            EXPECT_EQ(result, static_cast<INT_PTR>(cases[i].command)) << "case " << i;
            EXPECT_EQ(dialog.commands.size(), 1u) << "case " << i << ": the dialog went on after its end";
        } else {
            EXPECT_EQ(result, IDOK) << "case " << i << ": command " << cases[i].command << " ended the dialog";
            ASSERT_EQ(dialog.commands.size(), 2u) << "case " << i;
        }
        EXPECT_EQ(DialogMap.Size(), 0u) << "case " << i << ": the dialog stayed registered";
    }
}

TEST_F(DialogTest, MissingTemplateShowsTheFatalBoxAndOpensNothing) {
    BoxWatcher watcher;
    ScriptedDlg dialog;
    EXPECT_EQ(DoModal(dialog, nullptr, L"NoSuchDialog_E"), -1);
    ASSERT_EQ(watcher.Seen().size(), 1u) << "expected only the fatal box";
    EXPECT_EQ(watcher.Seen()[0].text, L"DIALOG[NoSuchDialog_E]");
    EXPECT_EQ(dialog.hwnd, nullptr);
    EXPECT_TRUE(dialog.commands.empty());
}

TEST_F(DialogTest, ExceptionInAHandlerIsReportedAndTheDialogRunsOn) {
    FatalBoxCloser closer;
    ScriptedDlg dialog;
    dialog.initial = {500, IDNO};
    EXPECT_EQ(DoModal(dialog, nullptr, L"TestDialog_E"), IDNO);
    ASSERT_EQ(FatalBoxCloser::seen.size(), 1u);
    EXPECT_EQ(FatalBoxCloser::seen[0].text, L"DlgProc");
    EXPECT_EQ(FatalBoxCloser::seen[0].owner, dialog.hwnd);
}

TEST_F(DialogTest, FullScreenWithTitleBandDoneButtonAndMenuBar) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    struct Case {
        bool japanese;
        int tap;  // 0: the done button in the title band; else a menu-bar button
        const wchar_t* cancelLabel;
    };
    const Case cases[] = {
        /* 0 */ {false, 0, L"Cancel"},
        /* 1 */ {false, IDCANCEL, L"Cancel"},
        /* 2 */ {true, IDOK, L"ｷｬﾝｾﾙ"},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        LangJapanese = cases[i].japanese;
        ScriptedDlg dialog;
        dialog.script = [&](ScriptedDlg& self) {
            RECT window;
            GetWindowRect(self.hwnd, &window);
            EXPECT_EQ(window.left, 0) << "case " << i;
            EXPECT_EQ(window.top, ScaleY(26)) << "case " << i;
            EXPECT_EQ(window.right, screenWidth) << "case " << i;
            EXPECT_EQ(window.bottom, screenHeight) << "case " << i;
            EXPECT_EQ(GetWindowLongW(self.hwnd, GWL_STYLE) & WS_CAPTION, 0) << "case " << i;

            // The title band: a black line at 23 and dark-blue text above it.
            // Topmost, so that other tests' windows do not cover the pixels.
            SetWindowPos(self.hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            RedrawWindow(self.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            HDC dc = GetDC(self.hwnd);
            EXPECT_EQ(GetPixel(dc, ScaleX(60), ScaleY(23)), RGB(0, 0, 0)) << "case " << i;
            int blue = 0;
            for (int y = ScaleY(6); y < ScaleY(20); ++y)
                for (int x = ScaleX(4); x < ScaleX(80); ++x) blue += GetPixel(dc, x, y) == RGB(0, 0, 139);
            EXPECT_GT(blue, 0) << "case " << i << ": no title text in the band";
            ReleaseDC(self.hwnd, dc);

            HWND bar = MenuBarOf(self.hwnd);
            if (!bar) {
                ADD_FAILURE() << "case " << i << ": no menu bar";
                EndDialog(self.hwnd, kTimedOut);
                return true;
            }
            RECT barRect = BarRect(bar);
            EXPECT_EQ(barRect.bottom, screenHeight - ScaleY(26)) << "case " << i << ": not at the bottom";
            EXPECT_EQ(barRect.bottom - barRect.top, ScaleY(26)) << "case " << i;
            HWND toolbar = ce::MenuBarToolbar(bar);
            EXPECT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 2) << "case " << i;
            TBBUTTON first{};
            SendMessageW(toolbar, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&first));
            EXPECT_EQ(first.idCommand, IDCANCEL) << "case " << i;
            EXPECT_EQ(first.iBitmap, 0) << "case " << i;
            EXPECT_EQ(ButtonText(toolbar, IDCANCEL), cases[i].cancelLabel) << "case " << i;
            EXPECT_EQ(ButtonText(toolbar, IDOK), L"OK") << "case " << i;

            if (cases[i].tap) {
                TapButton(toolbar, cases[i].tap);
                return true;
            }
            HWND done = nullptr;
            for (HWND child = GetWindow(self.hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
                RECT rect;
                GetWindowRect(child, &rect);
                wchar_t text[16] = L"";
                GetWindowTextW(child, text, 16);
                if (lstrcmpW(text, L"OK") == 0 && rect.bottom <= window.top + ScaleY(23) &&
                    rect.right > screenWidth - ScaleX(40))
                    done = child;
            }
            EXPECT_NE(done, nullptr) << "case " << i << ": no OK in the title band";
            PostMessageW(done ? done : self.hwnd, done ? BM_CLICK : WM_COMMAND, done ? 0 : IDCANCEL, 0);
            return true;
        };
        INT_PTR expected = cases[i].tap ? cases[i].tap : IDOK;
        EXPECT_EQ(DoModal(dialog, nullptr, L"TestDialog_E"), expected) << "case " << i;
        ASSERT_FALSE(dialog.commands.empty()) << "case " << i;
        // As a menu choice: the id alone, from no control.
        EXPECT_EQ(dialog.commands.back(), std::make_pair(static_cast<WPARAM>(expected), LPARAM{0})) << "case " << i;
    }
}

TEST_F(DialogTest, ExtraControlClassIsHiddenAndDoesNothing) {
    ScriptedDlg dialog;
    bool found = false, visible = true;
    dialog.script = [&](ScriptedDlg& self) {
        HWND sip = GetDlgItem(self.hwnd, IDC_TEST_SIPPREF);
        found = sip != nullptr;
        visible = sip && IsWindowVisible(sip);
        EndDialog(self.hwnd, IDOK);
        return true;
    };
    EXPECT_EQ(DoModal(dialog, nullptr, L"SipDialog_E"), IDOK);
    EXPECT_TRUE(found);
    EXPECT_FALSE(visible);
}

// ---- DialogMap across threads ------------------------------------------------------

TEST_F(DialogTest, RegistryStaysWholeUnderTwoThreads) {
    std::atomic<int> wrong{0};
    auto churn = [&](int thread) {
        std::vector<std::unique_ptr<FWnd>> objects;
        for (int i = 0; i < 8; ++i) {
            objects.push_back(std::make_unique<FWnd>(reinterpret_cast<HWND>(static_cast<INT_PTR>(thread * 1000 + i + 1))));
            DialogMap.Add(objects.back().get());
        }
        for (int round = 0; round < 20000; ++round) {
            FWnd& object = *objects[round % 8];
            if (DialogMap.Find(object.hwnd) != &object) ++wrong;
            DialogMap.Remove(&object);
            if (DialogMap.Find(object.hwnd) != nullptr) ++wrong;
            DialogMap.Add(&object);
        }
        for (auto& object : objects) DialogMap.Remove(object.get());
    };
    std::thread other(churn, 2);
    churn(1);
    other.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(DialogMap.Size(), 0u);
}

TEST_F(DialogTest, TwoModalDialogsOnTwoThreadsAtOnce) {
    ScriptedDlg dialogs[2];
    std::atomic<bool> met[2]{false, false};
    // Each dialog waits until it has found the other bound and the other has
    // found it, then ends with its own code.
    for (int index = 0; index < 2; ++index) {
        dialogs[index].script = [&, index](ScriptedDlg& me) {
            ScriptedDlg& other = dialogs[1 - index];
            if (!met[index] && DialogMap.Find(other.hwnd) == &other && DialogMap.Find(me.hwnd) == &me)
                met[index] = true;
            if (!(met[0] && met[1])) return false;
            EndDialog(me.hwnd, index == 0 ? IDYES : IDNO);
            return true;
        };
    }
    INT_PTR secondResult = 0;
    std::thread worker([&] { secondResult = DoModal(dialogs[1], nullptr, L"TestDialog_E"); });
    INT_PTR firstResult = DoModal(dialogs[0], nullptr, L"TestDialog_E");
    worker.join();
    EXPECT_EQ(firstResult, IDYES);
    EXPECT_EQ(secondResult, IDNO);
    EXPECT_TRUE(met[0] && met[1]) << "the dialogs never ran at the same time";
    EXPECT_EQ(DialogMap.Size(), 0u);
}

// ---- Property sheets -----------------------------------------------------------------

namespace {

// A page whose handlers record that they ran. The sheet reads 0 from
// set-active, kill-active, apply and query-cancel as "go on", so only the
// wizard handlers return values of their own.
class RecordingPage : public FPropPage {
public:
    std::vector<int> calls;  // the notification codes handled, in order
    INT_PTR OnSetActive() override { return Record(PSN_SETACTIVE, 0); }
    INT_PTR OnKillActive() override { return Record(PSN_KILLACTIVE, 0); }
    INT_PTR OnApply() override { return Record(PSN_APPLY, 0); }
    INT_PTR OnWizBack() override { return Record(PSN_WIZBACK, 0x13); }
    INT_PTR OnWizNext() override { return Record(PSN_WIZNEXT, 0x14); }
    INT_PTR OnWizFinish() override { return Record(PSN_WIZFINISH, 0x15); }
    INT_PTR OnQueryCancel() override { return Record(PSN_QUERYCANCEL, 0); }
    void OnReset() override { Record(PSN_RESET, 0); }
    void OnHelp() override { Record(PSN_HELP, 0); }

private:
    INT_PTR Record(int code, INT_PTR result) {
        calls.push_back(code);
        return result;
    }
};

bool Contains(const std::vector<int>& calls, int code) {
    return std::find(calls.begin(), calls.end(), code) != calls.end();
}

}  // namespace

TEST_F(DialogTest, SheetTakesAtMostOneHundredPages) {
    std::vector<std::unique_ptr<FPropPage>> pages;
    FPropSheet sheet;
    for (int i = 0; i < 101; ++i) {
        pages.push_back(std::make_unique<FPropPage>());
        HPROPSHEETPAGE handle = AddPage(*pages.back(), sheet, L"TestPage_E");
        ASSERT_NE(handle, nullptr) << "page " << i;
        EXPECT_EQ(pages.back()->page, handle) << "page " << i;
        EXPECT_EQ(pages.back()->sheet, &sheet) << "page " << i;
    }
    EXPECT_EQ(sheet.count, 100);
    EXPECT_EQ(sheet.pages[99], pages[99]->page);
    EXPECT_EQ(std::count(std::begin(sheet.pages), std::end(sheet.pages), pages[100]->page), 0)
        << "the 101st page was added";

    ASSERT_NE(ShowSheet(sheet, nullptr, PSH_MODELESS, L"Many"), 0);
    HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet.hwnd, PSM_GETTABCONTROL, 0, 0));
    EXPECT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 100);
}

TEST_F(DialogTest, MissingPageTemplateIsReportedAndLeftOut) {
    BoxWatcher watcher;
    FPropPage page;
    FPropSheet sheet;
    EXPECT_EQ(AddPage(page, sheet, L"NoSuchPage_E"), nullptr);
    EXPECT_EQ(sheet.count, 0);
    ASSERT_EQ(watcher.Seen().size(), 1u);
    EXPECT_EQ(watcher.Seen()[0].text, L"DIALOG[NoSuchPage_E]");
    EXPECT_EQ(watcher.Seen()[0].owner, nullptr);
}

TEST_F(DialogTest, PageNotificationsStoreResultsExceptResetAndHelp) {
    RecordingPage page;
    FPropSheet sheet;
    ASSERT_NE(AddPage(page, sheet, L"TestPage_E"), nullptr);
    ASSERT_NE(ShowSheet(sheet, nullptr, PSH_MODELESS, L"Notes"), 0);
    ASSERT_NE(page.hwnd, nullptr) << "the shown page was not bound";
    EXPECT_EQ(DialogMap.Find(page.hwnd), &page);

    constexpr LONG_PTR kSentinel = 0x6666;
    struct Case {
        UINT code;
        LONG_PTR stored;  // DWLP_MSGRESULT afterwards
        bool handled;
    };
    const Case cases[] = {
        /* 0 */ {PSN_SETACTIVE, 0, true},       /* 1 */ {PSN_KILLACTIVE, 0, true},
        /* 2 */ {PSN_APPLY, 0, true},           /* 3 */ {PSN_RESET, kSentinel, true},
        /* 4 */ {PSN_HELP, kSentinel, true},    /* 5 */ {PSN_WIZBACK, 0x13, true},
        /* 6 */ {PSN_WIZNEXT, 0x14, true},      /* 7 */ {PSN_WIZFINISH, 0x15, true},
        /* 8 */ {PSN_QUERYCANCEL, 0, true},     /* 9 */ {PSN_GETOBJECT, kSentinel, false},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        page.calls.clear();
        // Called directly: the dialog manager would clear the result before
        // the page saw the message.
        SetWindowLongPtrW(page.hwnd, DWLP_MSGRESULT, kSentinel);
        NMHDR note{sheet.hwnd, 0, cases[i].code};
        INT_PTR handled = page.OnNotify(page.hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
        EXPECT_EQ(handled, cases[i].handled ? TRUE : FALSE) << "case " << i;
        EXPECT_EQ(GetWindowLongPtrW(page.hwnd, DWLP_MSGRESULT), cases[i].stored) << "case " << i;
        EXPECT_EQ(Contains(page.calls, static_cast<int>(cases[i].code)), cases[i].handled) << "case " << i;
    }

    // Through the page's window, as the sheet sends it.
    NMHDR next{sheet.hwnd, 0, static_cast<UINT>(PSN_WIZNEXT)};
    SendMessageW(page.hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&next));
    EXPECT_EQ(GetWindowLongPtrW(page.hwnd, DWLP_MSGRESULT), 0x14);
}

TEST_F(DialogTest, SheetIsFullScreenWithTitleAndClosesFromItsMenuBar) {
    struct Case {
        int tap;
        int expectedNote;  // what the page hears when the sheet closes
    };
    const Case cases[] = {/* 0 */ {IDOK, static_cast<int>(PSN_APPLY)}, /* 1 */ {IDCANCEL, static_cast<int>(PSN_RESET)}};
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        static RecordingPage* shownPage;
        static int tap;
        static RECT sheetRect;
        static wchar_t caption[64];
        static int barButtons;
        static HWND shown;
        RecordingPage page;
        FPropSheet sheet;
        shownPage = &page;
        tap = cases[i].tap;
        barButtons = 0;
        shown = nullptr;
        ASSERT_NE(AddPage(page, sheet, L"TestPage_E"), nullptr);
        // Looks at the modal sheet from inside its loop, then taps the bar.
        UINT_PTR look = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) {
            shown = shownPage->hwnd ? GetParent(shownPage->hwnd) : nullptr;
            if (!shown) return;
            KillTimer(nullptr, id);
            GetWindowRect(shown, &sheetRect);
            GetWindowTextW(shown, caption, 64);
            HWND toolbar = ce::MenuBarToolbar(MenuBarOf(shown));
            barButtons = static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
            TapButton(toolbar, tap);
        });
        // Should the tap not close the sheet, the test fails instead of hanging.
        static bool forced;
        forced = false;
        UINT_PTR safety = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) {
            forced = true;
            PostMessageW(shown, WM_CLOSE, 0, 0);
        });
        ShowSheet(sheet, nullptr, 0, L"About...");
        KillTimer(nullptr, look);
        KillTimer(nullptr, safety);
        EXPECT_FALSE(forced) << "case " << i << ": the bar's button did not close the sheet";
        EXPECT_EQ(std::wstring(caption), L"About...") << "case " << i;
        EXPECT_EQ(sheetRect.top, ScaleY(26)) << "case " << i;
        EXPECT_EQ(sheetRect.right, GetSystemMetrics(SM_CXSCREEN)) << "case " << i;
        EXPECT_EQ(sheetRect.bottom, GetSystemMetrics(SM_CYSCREEN)) << "case " << i;
        EXPECT_EQ(barButtons, 2) << "case " << i;
        EXPECT_TRUE(Contains(page.calls, cases[i].expectedNote)) << "case " << i << ": the sheet did not close as asked";
    }
}

// ---- Menu bar on a frame --------------------------------------------------------------

namespace {

// A plain top-level window that records the commands and menu pop-ups it gets.
struct TestFrame {
    static inline std::vector<std::pair<WPARAM, LPARAM>> commands;
    static inline int popups = 0;
    HWND hwnd = nullptr;

    TestFrame() {
        commands.clear();
        popups = 0;
        WNDCLASSW wc{};
        wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_COMMAND) commands.emplace_back(wp, lp);
            if (m == WM_INITMENUPOPUP) ++popups;
            return DefWindowProcW(w, m, wp, lp);
        };
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"MenuBarTestFrame";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, L"MenuBarTestFrame", L"frame", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~TestFrame() { DestroyWindow(hwnd); }
};

SHMENUBARINFO BarInfo(HWND parent, DWORD flags, UINT id) {
    SHMENUBARINFO info{};
    info.cbSize = sizeof(info);
    info.hwndParent = parent;
    info.dwFlags = flags;
    info.nToolBarId = id;
    info.hInstRes = GetModuleHandleW(nullptr);
    return info;
}

}  // namespace

TEST_F(DialogTest, MenuBarFromAMenuSitsAtTheBottomAndDeliversChoices) {
    TestFrame frame;
    SHMENUBARINFO info = BarInfo(frame.hwnd, SHCMBF_HMENU, IDM_TEST_BAR);
    ASSERT_TRUE(SHCreateMenuBar(&info));
    HWND bar = info.hwndMB;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetParent(bar), frame.hwnd);

    RECT rect = BarRect(bar);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 320 - ScaleY(26));
    EXPECT_EQ(rect.right, 240);
    EXPECT_EQ(rect.bottom, 320);
    SetWindowPos(frame.hwnd, nullptr, 0, 0, 200, 250, SWP_NOMOVE | SWP_NOZORDER);
    rect = BarRect(bar);
    EXPECT_EQ(rect.top, 250 - ScaleY(26)) << "the bar did not follow the resize";
    EXPECT_EQ(rect.right, 200);

    auto menu = reinterpret_cast<HMENU>(SendMessageW(bar, SHCMBM_GETMENU, 0, 0));
    ASSERT_TRUE(IsMenu(menu));
    EXPECT_EQ(GetMenuItemCount(menu), 3);
    HWND toolbar = ce::MenuBarToolbar(bar);
    ASSERT_EQ(SendMessageW(bar, TB_BUTTONCOUNT, 0, 0), 3) << "TB_ messages must reach the toolbar";
    const wchar_t* labels[] = {L"Game", L"ﾍﾙﾌﾟ", L"Go"};
    for (int i = 0; i < 3; ++i) {
        TBBUTTON button{};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(ButtonText(toolbar, button.idCommand), labels[i]) << "button " << i;
    }

    // A real tap on "Game": the drop-down opens; Down and Enter choose "New".
    static HWND keyTarget;
    keyTarget = frame.hwnd;
    UINT_PTR timer = SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        PostMessageW(keyTarget, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageW(keyTarget, WM_KEYDOWN, VK_RETURN, 0);
    });
    TBBUTTON game{};
    SendMessageW(toolbar, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&game));
    TapButton(toolbar, game.idCommand, false);
    KillTimer(nullptr, timer);
    ServeUntil("the drop-down's choice", [] { return !TestFrame::commands.empty(); });
    EXPECT_GE(TestFrame::popups, 1) << "the frame was not asked to prepare the drop-down";
    ASSERT_EQ(TestFrame::commands.size(), 1u) << "no choice arrived";
    EXPECT_EQ(TestFrame::commands[0], std::make_pair(WPARAM{IDM_TEST_NEW}, LPARAM{0}));

    // A top-level command is a plain button.
    TapButton(toolbar, IDM_TEST_GO);
    ServeUntil("the button's command", [] { return TestFrame::commands.size() >= 2; });
    ASSERT_EQ(TestFrame::commands.size(), 2u);
    EXPECT_EQ(TestFrame::commands[1], std::make_pair(WPARAM{IDM_TEST_GO}, LPARAM{0}));

    DestroyWindow(bar);
    EXPECT_FALSE(IsMenu(menu)) << "the bar did not destroy its menu";
}

TEST_F(DialogTest, MenuBarRefusesBadRequests) {
    TestFrame frame;
    SHMENUBARINFO wrongSize = BarInfo(frame.hwnd, 0, 99);
    wrongSize.cbSize = sizeof(wrongSize) - 4;
    EXPECT_FALSE(SHCreateMenuBar(&wrongSize));
    SHMENUBARINFO noMenu = BarInfo(frame.hwnd, SHCMBF_HMENU, 4242);
    noMenu.hwndMB = reinterpret_cast<HWND>(0x6666);
    EXPECT_FALSE(SHCreateMenuBar(&noMenu));
    EXPECT_EQ(noMenu.hwndMB, nullptr);
    SHMENUBARINFO noParent = BarInfo(nullptr, 0, 99);
    EXPECT_FALSE(SHCreateMenuBar(&noParent));
    EXPECT_EQ(MenuBarOf(frame.hwnd), nullptr) << "a refused bar was left behind";
}

TEST_F(DialogTest, MenuBarImagesComeFromTheStripWithMagentaClear) {
    TestFrame frame;
    SHMENUBARINFO info = BarInfo(frame.hwnd, 0, 99);
    info.nBmpId = IDB_TEST_STRIP;
    info.cBmpImages = 9;
    ASSERT_TRUE(SHCreateMenuBar(&info));
    auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(info.hwndMB, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
    HGDIOBJ old = SelectObject(memory, canvas);
    RECT all{0, 0, 16, 16};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images, 0, memory, 0, 0, ILD_NORMAL);
    EXPECT_EQ(GetPixel(memory, 1, 1), RGB(255, 255, 255)) << "magenta was drawn";
    EXPECT_EQ(GetPixel(memory, 8, 8), RGB(200, 0, 0)) << "the image itself is missing";
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// ---- Input panel ------------------------------------------------------------------------

TEST_F(DialogTest, InputPanelFollowsTheDeviceProfile) {
    ScratchKey profile(ce::kDeviceProfileKey);
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int aboveBar = GetSystemMetrics(SM_CYSCREEN) - ScaleY(26);
    struct Case {
        DWORD shown;
        DWORD height;
        DWORD flags;
        LONG visibleBottom;
    };
    const Case cases[] = {
        /* 0 */ {1, 80, SIPF_ON, aboveBar - 80},
        /* 1 */ {1, 120, SIPF_ON, aboveBar - 120},
        /* 2 */ {0, 80, 0, aboveBar},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        RegSetKeyValueW(HKEY_CURRENT_USER, ce::kDeviceProfileKey, ce::kProfileSipShown, REG_DWORD,
                        &cases[i].shown, sizeof(DWORD));
        RegSetKeyValueW(HKEY_CURRENT_USER, ce::kDeviceProfileKey, ce::kProfileSipHeight, REG_DWORD,
                        &cases[i].height, sizeof(DWORD));
        SIPINFO sip{};
        sip.cbSize = sizeof(sip);
        ASSERT_TRUE(SipGetInfo(&sip)) << "case " << i;
        EXPECT_EQ(sip.fdwFlags, cases[i].flags) << "case " << i;
        EXPECT_EQ(sip.rcSipRect.bottom - sip.rcSipRect.top, static_cast<LONG>(cases[i].height)) << "case " << i;
        EXPECT_EQ(sip.rcSipRect.bottom, aboveBar) << "case " << i;
        EXPECT_EQ(sip.rcSipRect.right, width) << "case " << i;
        EXPECT_EQ(sip.rcVisibleDesktop.top, ScaleY(26)) << "case " << i;
        EXPECT_EQ(sip.rcVisibleDesktop.bottom, cases[i].visibleBottom) << "case " << i;
    }

    SIPINFO untouched;
    memset(&untouched, 0x66, sizeof(untouched));
    untouched.cbSize = sizeof(untouched) + 1;
    EXPECT_FALSE(SipGetInfo(&untouched));
    EXPECT_EQ(untouched.fdwFlags, 0x66666666u) << "a refused call wrote its answer";
}
