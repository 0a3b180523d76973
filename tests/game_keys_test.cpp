// Playing by keys on the game window: the cursor, Enter as the stylus, keys
// while a dialog is open, and the File menu by F10 or Alt.
#include "tests/game_fixture.h"

using namespace gamefixture;

namespace {

// ---- Playing by keys -------------------------------------------------------------------------------

// Two groups on the checkerboard: A, colour 3 at (0,0), (1,0), (0,1); B, a
// column of four of colour 4 at (7,0)..(7,3).
int TwoGroups(int column, int row) {
    if (column == 7 && row <= 3) return 4;
    return CornerGroup(column, row);
}
// One pair of colour 3 on top of the last column.
int TopPair(int column, int row) { return column == 14 && row >= 13 ? 3 : Checkerboard(column, row); }
// The last column all of colour 3.
int RightColumn(int column, int row) { return column == 14 ? 3 : Checkerboard(column, row); }

TEST_F(GameTest, CursorShowsAtTheFirstArrowThenMovesOneCellPerPressUpToTheEdges) {
    struct Case {
        std::vector<std::pair<UINT, int>> presses;  // key, times (the first time a press, then repeats)
        int column, row;
    };
    const Case cases[] = {
        /* 0 */ {{{VK_RIGHT, 1}}, 0, 0},                 // only shows it, on the bottom-left piece
        /* 1 */ {{{VK_UP, 1}, {VK_RIGHT, 2}}, 2, 0},
        /* 2 */ {{{VK_RIGHT, 2}, {VK_LEFT, 3}}, 0, 0},   // left edge
        /* 3 */ {{{VK_DOWN, 4}}, 0, 0},                  // bottom edge
        /* 4 */ {{{VK_UP, 30}}, 0, 14},                  // held: top edge, no further
        /* 5 */ {{{VK_RIGHT, 30}}, 14, 0},               // held: right edge
        /* 6 */ {{{VK_UP, 20}, {VK_RIGHT, 20}, {VK_DOWN, 2}}, 14, 12},
    };
    ASSERT_TRUE(Open(240, 268));
    const Surface strip(IDB_PIECES);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        HideCursorAtStart();
        ASSERT_FALSE(board().cursorShown) << "case " << i << ": a tap hides the cursor";
        CursorCell last;
        for (const auto& [key, times] : c.presses)
            for (int n = 0; n < times; ++n) {
                last = board().cursor;
                KeyDown(key, n > 0);
            }
        EXPECT_TRUE(board().cursorShown) << "case " << i;
        EXPECT_EQ(board().cursor.column, c.column) << "case " << i;
        EXPECT_EQ(board().cursor.row, c.row) << "case " << i;
        EXPECT_TRUE(ShowsCursorOver(PieceBlock(strip, board().Cell(c.column, c.row)), CellOnView(c.column, c.row)))
            << "case " << i << ": the frame at (" << c.column << ", " << c.row << ")";
        if (!(last == board().cursor)) {
            EXPECT_TRUE(SamePixels(PieceBlock(strip, board().Cell(last.column, last.row)),
                                   CellOnView(last.column, last.row)))
                << "case " << i << ": the cell left at (" << last.column << ", " << last.row << ") keeps a frame";
        }
        EXPECT_EQ(board().CountPieces(), 15 * 15) << "case " << i << ": arrows change no piece";
    }
}

TEST_F(GameTest, KeysPlayTheSameGameAsTapsOnTheSameCells) {
    std::uint32_t seed = std::random_device{}();
    if (const char* fixed = std::getenv("PEBBLORA_SEED")) seed = static_cast<std::uint32_t>(std::strtoul(fixed, nullptr, 0));
    std::cout << "PEBBLORA_SEED=" << seed << "\n";
    SCOPED_TRACE("PEBBLORA_SEED=" + std::to_string(seed));
    ASSERT_TRUE(Open(240, 268));

    // Random cells, lone pieces and emptied cells among them, until the game
    // is over or 40 moves are made.
    std::mt19937 random(seed);
    std::vector<std::pair<int, int>> cells;
    std::vector<std::string> byTaps;
    board().Seed(seed);
    SendMessageW(hwnd(), WM_COMMAND, IDM_FILE_NEW, 0);
    while (cells.size() < 40 && !board().IsGameOver()) {
        const int column = static_cast<int>(random() % 15), row = static_cast<int>(random() % 15);
        cells.emplace_back(column, row);
        PenDown(CellCentre(column, row));
        byTaps.push_back(BoardNow());
        PenUp(CellCentre(column, row));
        byTaps.push_back(BoardNow());
    }

    board().Seed(seed);
    SendMessageW(hwnd(), WM_COMMAND, IDM_FILE_NEW, 0);
    for (std::size_t move = 0; move < cells.size(); ++move) {
        const auto [column, row] = cells[move];
        WalkCursorTo(column, row);
        KeyDown(VK_RETURN);
        ASSERT_EQ(BoardNow(), byTaps[2 * move]) << "move " << move << " at (" << column << ", " << row << "), key down";
        KeyUp(VK_RETURN);
        ASSERT_EQ(BoardNow(), byTaps[2 * move + 1]) << "move " << move << " at (" << column << ", " << row << "), key up";
    }
}

TEST_F(GameTest, CursorAfterAClearStaysOnItsCellOrLandsOnTheNearestPiece) {
    struct Case {
        int (*position)(int, int);
        int column, row;         // where the action key is pressed
        int landColumn, landRow;
    };
    const Case cases[] = {
        /* 0 */ {CornerGroup, 0, 0, 0, 0},   // the pieces above fall into its cell
        /* 1 */ {TopPair, 14, 14, 13, 14},   // its cell emptied: the piece beside it
        /* 2 */ {RightColumn, 14, 7, 13, 7}, // its column emptied
        /* 3 */ {LastPair, 1, 0, 0, 0},      // nothing left: back at the start
    };
    ASSERT_TRUE(Open(240, 268));
    const Surface strip(IDB_PIECES);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        HideCursorAtStart();
        SetPosition(c.position);
        WalkCursorTo(c.column, c.row);
        Action();
        ASSERT_LT(board().CountPieces(), 15 * 15) << "case " << i << ": no group was cleared";
        EXPECT_EQ(board().cursor.column, c.landColumn) << "case " << i;
        EXPECT_EQ(board().cursor.row, c.landRow) << "case " << i;
        const auto shownAt = [&](int column, int row) {
            const int value = board().Cell(column, row);
            return value ? PieceBlock(strip, value)
                         : Pixels(board().backgroundDC.Get(), column * kBuiltInCell, (15 - row) * kBuiltInCell,
                                  kBuiltInCell, kBuiltInCell);
        };
        EXPECT_TRUE(ShowsCursorOver(shownAt(c.landColumn, c.landRow), CellOnView(c.landColumn, c.landRow)))
            << "case " << i << ": the frame where it landed";
        if (!(c.column == c.landColumn && c.row == c.landRow)) {
            EXPECT_TRUE(SamePixels(shownAt(c.column, c.row), CellOnView(c.column, c.row)))
                << "case " << i << ": the emptied cell keeps a frame";
        }
    }
}

TEST_F(GameTest, PenAndActionKeyPressesOverlappingClearOnlyTheFirstPressedGroup) {
    struct Case {
        const char* events;  // p/P pen down/up on group B, k/K action key down/up on group A
        int pieces, score;
    };
    const Case cases[] = {
        /* 0 */ {"pkPK", 15 * 15 - 4, 4},
        /* 1 */ {"pkKP", 15 * 15 - 4, 4},
        /* 2 */ {"kpPK", 15 * 15 - 3, 1},
        /* 3 */ {"kpKP", 15 * 15 - 3, 1},
    };
    ASSERT_TRUE(Open(240, 268));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        HideCursorAtStart();
        SetPosition(TwoGroups);
        WalkCursorTo(0, 0);
        for (const char* e = c.events; *e; ++e) {
            switch (*e) {
            case 'p': PenDown(CellCentre(7, 1)); break;
            case 'P': PenUp(CellCentre(7, 1)); break;
            case 'k': KeyDown(VK_RETURN); break;
            case 'K': KeyUp(VK_RETURN); break;
            }
        }
        EXPECT_EQ(board().MarkedCount(), 0) << c.events << ": a group is left marked";
        EXPECT_EQ(board().CountPieces(), c.pieces) << c.events;
        EXPECT_EQ(board().Score(), c.score) << c.events;
    }
}

// A main window that notes, for each key that reaches it, whether it was
// enabled (no modal dialog over it) at that moment.
class KeyNotingWindow : public GameWindow {
public:
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_KEYDOWN) keysWhileDisabled += !IsWindowEnabled(hwnd);
        return GameWindow::WindowProc(hwnd, message, wParam, lParam);
    }
    int keysWhileDisabled = 0;
};

// Runs `act` once the next dialog (or sheet) of this thread has been set up,
// with the dialog's top window; one still open five seconds later is ended,
// so that a test fails instead of waiting.
class AtNextDialog {
public:
    explicit AtNextDialog(std::function<void(HWND)> act) : act_(std::move(act)) {
        active_ = this;
        hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, HookProc, nullptr, GetCurrentThreadId());
    }
    ~AtNextDialog() {
        if (hook_) UnhookWindowsHookEx(hook_);
        if (timer_) KillTimer(nullptr, timer_);
        active_ = nullptr;
    }
    AtNextDialog(const AtNextDialog&) = delete;
    AtNextDialog& operator=(const AtNextDialog&) = delete;

    bool Opened() const { return dialog_ != nullptr; }
    bool TimedOut() const { return timedOut_; }
    bool OkCommand() const { return okCommand_; }  // the dialog received IDOK

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        AtNextDialog* self = active_;
        if (code == HC_ACTION && self) {
            if (call->message == WM_INITDIALOG && !self->dialog_) {
                // A sheet's pages are set up inside the sheet's own set-up.
                self->dialog_ = GetAncestor(call->hwnd, GA_ROOT);
                self->act_(self->dialog_);
                self->timer_ = SetTimer(nullptr, 0, 5000, TimerProc);
            } else if (call->message == WM_COMMAND && call->hwnd == self->dialog_ && LOWORD(call->wParam) == IDOK) {
                self->okCommand_ = true;
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        AtNextDialog* self = active_;
        if (!self) return;
        self->timer_ = 0;
        if (IsWindow(self->dialog_)) {
            self->timedOut_ = true;
            EndDialog(self->dialog_, IDCANCEL);
        }
    }
    static inline AtNextDialog* active_ = nullptr;
    std::function<void(HWND)> act_;
    HHOOK hook_ = nullptr;
    UINT_PTR timer_ = 0;
    HWND dialog_ = nullptr;
    bool timedOut_ = false;
    bool okCommand_ = false;
};

TEST_F(GameTest, KeysWhileAQuestionTheChooserOrAboutIsOpenDoNothingToTheBoard) {
    struct Case {
        const char* dialog;
        std::function<void(GameWindow&)> open;
        int answer;
    };
    const Case cases[] = {
        /* 0 */ {"About", [](GameWindow& w) { SendMessageW(w.hwnd, WM_COMMAND, IDM_HELP_ABOUT, 0); }, IDCANCEL},
        /* 1 */ {"the chooser", [](GameWindow& w) { SendMessageW(w.hwnd, WM_COMMAND, IDM_FILE_OPEN, 0); }, IDCANCEL},
        /* 2 */ {"a question", [](GameWindow& w) { w.LoadSkin(L"C:\\no such folder\\none.ini"); }, IDOK},
    };
    auto noting = std::make_unique<KeyNotingWindow>();
    KeyNotingWindow& window = *noting;
    ASSERT_TRUE(Open(240, 268, std::move(noting)));
    for (const Case& c : cases) {
        HideCursorAtStart();
        SetPosition(CornerGroup);
        WalkCursorTo(0, 0);
        const std::string before = BoardNow();
        window.keysWhileDisabled = 0;
        {
            // The keys are queued ahead of the answer, so they arrive while
            // the dialog's own loop runs.
            AtNextDialog keys([&](HWND dialog) {
                PostMessageW(hwnd(), WM_KEYDOWN, VK_RIGHT, 1);
                PostMessageW(hwnd(), WM_KEYDOWN, VK_RETURN, 1);
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(c.answer, BN_CLICKED), 0);
            });
            c.open(window);
            EXPECT_TRUE(keys.Opened()) << c.dialog << " did not open";
            EXPECT_FALSE(keys.TimedOut()) << c.dialog << " did not close with " << c.answer;
        }
        // The release of the Enter that closed it comes to the board.
        KeyUp(VK_RETURN);
        EXPECT_EQ(window.keysWhileDisabled, 2) << c.dialog << ": the keys did not arrive while it was open";
        EXPECT_EQ(BoardNow(), before) << c.dialog;
        EXPECT_EQ(board().cursor.column, 0) << c.dialog << ": the arrow moved the cursor";
    }
}

TEST_F(GameTest, AGameEndsByKeysAndItsDialogClosesWithEnter) {
    ASSERT_TRUE(Open(240, 268));
    HideCursorAtStart();
    SetPosition(LastPair);
    board().SetScore(3);
    WalkCursorTo(1, 0);
    Action();
    ASSERT_EQ(board().CountPieces(), 0) << "the last pair was not cleared";
    AtNextDialog enter([](HWND dialog) { PostMessageW(dialog, WM_KEYDOWN, VK_RETURN, 1); });
    Action();
    EXPECT_TRUE(enter.Opened()) << "no game-over dialog";
    EXPECT_FALSE(enter.TimedOut()) << "Enter did not close the game-over dialog";
    EXPECT_TRUE(enter.OkCommand());
    EXPECT_EQ(board().Best(), 3 + 15 * 15 * 5);
    EXPECT_EQ(board().CountPieces(), 15 * 15) << "a new deal";
    EXPECT_EQ(board().cursor.column, 0) << "the new deal puts the cursor back at the start";
    EXPECT_EQ(board().cursor.row, 0);
    // The release of the Enter that closed the dialog, then its auto-repeat,
    // with a group under the cursor.
    SetPosition(CornerGroup);
    KeyUp(VK_RETURN);
    KeyDown(VK_RETURN, true);
    EXPECT_EQ(board().MarkedCount(), 0) << "the Enter that closed the dialog marked a group";
}

// A main window that answers each menu it opens with `keys`, as a player
// would; a menu still open five seconds later is ended, so that the test
// fails instead of waiting.
class MenuAnsweringWindow : public CountingWindow {
public:
    ~MenuAnsweringWindow() override {
        if (timer) KillTimer(nullptr, timer);
    }
    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_INITMENUPOPUP) {
            ++menusOpened;
            for (UINT key : keys) PostMessageW(hwnd, WM_KEYDOWN, key, 1);
            if (!timer) timer = SetTimer(nullptr, 0, 5000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
        }
        return CountingWindow::WindowProc(hwnd, message, wParam, lParam);
    }
    std::vector<UINT> keys;
    int menusOpened = 0;
    UINT_PTR timer = 0;
};

TEST_F(GameTest, F10OrAltOpensTheFileMenuWhereTheKeysChooseNewOrTheChooser) {
    struct Case {
        const char* how;
        std::vector<std::pair<UINT, UINT>> press;  // message, key
        std::vector<UINT> inMenu;
        WPARAM command;                             // 0: none
    };
    const Case cases[] = {
        /* 0 */ {"F10, Enter", {{WM_SYSKEYDOWN, VK_F10}, {WM_SYSKEYUP, VK_F10}}, {VK_RETURN}, IDM_FILE_NEW},
        /* 1 */ {"Alt, Down, Enter", {{WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYUP, VK_MENU}}, {VK_DOWN, VK_RETURN},
                 IDM_FILE_OPEN},
        /* 2 */ {"F10, Escape", {{WM_SYSKEYDOWN, VK_F10}, {WM_SYSKEYUP, VK_F10}}, {VK_ESCAPE}, 0},
    };
    auto answering = std::make_unique<MenuAnsweringWindow>();
    MenuAnsweringWindow& window = *answering;
    ASSERT_TRUE(Open(240, 268, std::move(answering)));
    for (const Case& c : cases) {
        window.commands.clear();
        window.menusOpened = 0;
        window.keys = c.inMenu;
        BoxWatcher chooser(IDCANCEL);
        for (const auto& [message, key] : c.press)
            SendMessageW(hwnd(), message, key, static_cast<LPARAM>(message == WM_SYSKEYUP ? 0xE0000001u : 0x20000001));
        EXPECT_EQ(window.menusOpened, 1) << c.how;
        std::vector<WPARAM> expected;
        if (c.command) expected.push_back(c.command);
        EXPECT_EQ(window.commands, expected) << c.how;
        EXPECT_EQ(chooser.Seen().size(), c.command == IDM_FILE_OPEN ? 1u : 0u) << c.how << ": the chooser";
    }
}

}  // namespace
