// The game view, the main window and the game flow, driven as real windows:
// the layout numbers, what a tap draws (read back from the view), the score
// band, the end of a game with its dialog, and the commands.
#include "tests/game_fixture.h"

using namespace gamefixture;

namespace {

// ---- Layout ------------------------------------------------------------------------------------

TEST_F(GameTest, LayoutFitsSquareCellsUnderTheScoreBand) {
    struct Case {
        int width, height;
        int columns, rows;
    };
    const Case cases[] = {
        /* 0 */ {240, 268, 15, 15},
        /* 1 */ {480, 536, 30, 32},
        /* 2 */ {250, 268, 15, 15},  // a 10-pixel strip stays empty on the right
        /* 3 */ {240, 36, 15, 1},    // the band and exactly one row
        /* 4 */ {240, 35, 0, 0},     // no room for a row: no cells at all
        /* 5 */ {15, 268, 0, 0},     // no room for a column
        /* 6 */ {240, 10, 0, 0},     // lower than the band
    };
    ASSERT_TRUE(Open(cases[0].width, cases[0].height));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SizeView(c.width, c.height);
        EXPECT_EQ(LayoutNow(), Layout(c.width, c.height, kBuiltInCell, c.columns, c.rows)) << "case " << i;
    }
}

TEST_F(GameTest, LayoutRunsAtCreationOnceTheViewExists) {
    // The frame's first size notification after the view exists lays out;
    // none is skipped.
    ASSERT_TRUE(Create());
    RECT client;
    GetClientRect(hwnd(), &client);
    const int width = client.right, height = client.bottom - ScaleY(26);
    EXPECT_EQ(LayoutNow(), Layout(width, height, kBuiltInCell, width / kBuiltInCell, (height - 20) / kBuiltInCell));
}

TEST_F(GameTest, TooSmallViewHasNoGameAndATapEndsNothing) {
    ASSERT_TRUE(Open(240, 10));
    ASSERT_EQ(board().Columns(), 0);
    ASSERT_EQ(board().Rows(), 0);
    BoxWatcher watcher;
    Tap(MAKELPARAM(5, 5));
    Tap(MAKELPARAM(239, 9));
    EXPECT_TRUE(watcher.Seen().empty()) << "a board without cells has no game to end; caption seen: "
                                        << Narrow(watcher.Seen()[0].caption);
    EXPECT_EQ(board().Score(), 0);
    EXPECT_EQ(board().MarkedCount(), 0);
}

TEST_F(GameTest, PieceStripSetsTheCellSizeAndCapsTheColours) {
    // A strip of three 8 x 8 colours: colour k is RGB(60k, 200, 10), marked RGB(60k, 10, 200).
    auto threeColours = [](int x, int y) {
        const int k = x / 8 + 1;
        return y < 8 ? RGB(60 * k, 200, 10) : RGB(60 * k, 10, 200);
    };
    auto grey = [](int, int) { return RGB(128, 128, 128); };
    ScratchFolder folder;
    const std::wstring three = folder.WriteFile(L"three.bmp", MakeBmp(24, 16, threeColours));
    const std::wstring flat = folder.WriteFile(L"flat.bmp", MakeBmp(16, 1, grey));
    const std::wstring single = folder.WriteFile(L"single.bmp", MakeBmp(16, 32, grey));
    struct Case {
        std::wstring piecePath;
        int skinColours;
        int cell, colours;
    };
    const Case cases[] = {
        /* 0 */ {L"", 4, 16, 4},                            // built-in strip, 4 of its 5 colours
        /* 1 */ {L"", 5, 16, 5},
        /* 2 */ {L"", 9, 16, 5},                            // no more colours than the strip holds
        /* 3 */ {three, 4, 8, 3},
        /* 4 */ {flat, 4, 16, 4},                           // cells under one pixel: built-in strip
        /* 5 */ {single, 4, 16, 4},                         // one colour only: built-in strip
        /* 6 */ {folder / L"missing.bmp", 4, 16, 4},        // unreadable: built-in strip
    };
    const Surface builtIn(IDB_PIECES);
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SkinInfo = SkinDescription{};
        lstrcpynW(SkinInfo.piecePath, c.piecePath.c_str(), kMaxPath);
        SkinInfo.colours = c.skinColours;
        ASSERT_TRUE(Open(240, 268)) << "case " << i;
        EXPECT_EQ(LayoutNow(), Layout(240, 268, c.cell, 240 / c.cell, (268 - 20) / c.cell)) << "case " << i;
        EXPECT_EQ(board().Colours(), c.colours) << "case " << i;
        std::set<int> dealt;
        for (int col = 0; col < board().Columns(); ++col)
            for (int row = 0; row < board().Rows(); ++row) dealt.insert(board().Cell(col, row));
        std::set<int> expected;
        for (int k = 1; k <= c.colours; ++k) expected.insert(k);
        EXPECT_EQ(dealt, expected) << "case " << i << ": the deal uses exactly colours 1.." << c.colours;

        const int v = board().Cell(0, 0);
        if (c.cell == 8) {
            EXPECT_TRUE(PixelsAre([&](int, int) { return threeColours((v - 1) * 8, 0); }, CellOnView(0, 0)))
                << "case " << i << ": cell (0, 0) of colour " << v;
        } else {
            EXPECT_TRUE(SamePixels(PieceBlock(builtIn, v), CellOnView(0, 0)))
                << "case " << i << ": cell (0, 0) of colour " << v;
        }
        Close();
    }
}

TEST_F(GameTest, BackgroundLayerGrowsWithAViewLargerThanTheScreen) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(Open(240, 268));
    const int width = screenWidth + 76, height = screenHeight + 132;
    SizeView(width, height);
    EXPECT_EQ(LayoutNow(), Layout(width, height, kBuiltInCell, width / kBuiltInCell, (height - 20) / kBuiltInCell));
    int layerWidth = 0, layerHeight = 0;
    ASSERT_TRUE(GetBitmapSize(board().backgroundLayer.Get(), layerWidth, layerHeight));
    EXPECT_GE(layerWidth, width);
    EXPECT_GE(layerHeight, height);
    // The stripes reach the far corner of the layer: it was tiled as a whole.
    const Surface stripes(IDB_BACKGROUND);
    const int y = (height - 1) / 4 * 4 - 4;
    EXPECT_TRUE(SamePixels(stripes.Block(0, 0, 1, 4), Pixels(board().backgroundDC.Get(), width - 1, y, 1, 4)));
}

TEST_F(GameTest, RelayoutDealsAndResetsTheBestScore) {
    ASSERT_TRUE(Open(240, 268));
    board().SetBest(42);
    board().SetScore(9);
    SetPosition(CornerGroup);
    PenDown(CellCentre(0, 0));
    ASSERT_EQ(board().MarkedCount(), 3);
    SizeView(480, 536);
    EXPECT_EQ(board().Best(), 0);
    EXPECT_EQ(board().Score(), 0);
    EXPECT_EQ(board().MarkedCount(), 0);
    EXPECT_EQ(board().CountPieces(), 30 * 32);
    EXPECT_TRUE(ShowsDigits(BandOnView(kBestX, 6), "000000"));
}

// ---- Taps ---------------------------------------------------------------------------------------

TEST_F(GameTest, TapDrawsTheGroupMarkedThenShowsTheBackgroundLayerWhereItWas) {
    // A background whose every pixel tells where it came from.
    auto where = [](int x, int y) { return RGB((x % 64) * 4, (y % 64) * 4, 0x80); };
    ScratchFolder folder;
    const std::wstring background = folder.WriteFile(L"where.bmp", MakeBmp(64, 64, where));
    lstrcpynW(SkinInfo.backgroundPath, background.c_str(), kMaxPath);
    ASSERT_TRUE(Open(240, 268));
    const int rows = board().Rows();
    ASSERT_EQ(rows, 15);
    SetPosition(CornerGroup);
    const Surface strip(IDB_PIECES);

    PenDown(CellCentre(0, 0));
    EXPECT_EQ(board().MarkedCount(), 3);
    for (auto [c, r] : {std::pair{0, 0}, {1, 0}, {0, 1}})
        EXPECT_TRUE(SamePixels(PieceBlock(strip, -3), CellOnView(c, r))) << "marked cell (" << c << ", " << r << ")";
    for (auto [c, r] : {std::pair{2, 0}, {1, 1}, {0, 2}})
        EXPECT_TRUE(SamePixels(PieceBlock(strip, Checkerboard(c, r)), CellOnView(c, r)))
            << "unmarked neighbour (" << c << ", " << r << ")";

    PenUp(CellCentre(0, 0));
    EXPECT_EQ(board().MarkedCount(), 0);
    EXPECT_EQ(board().Score(), 1) << "a group of 3 scores (3 - 2)^2";
    // Column 0 lost two pieces and column 1 one: their tops are empty and
    // show the layer's block at (c x cell, (rows - r) x cell).
    for (auto [c, r] : {std::pair{0, rows - 1}, {0, rows - 2}, {1, rows - 1}}) {
        ASSERT_EQ(board().Cell(c, r), 0);
        const int sourceX = c * 16, sourceY = (rows - r) * 16;
        EXPECT_TRUE(PixelsAre([&](int x, int y) { return where(sourceX + x, sourceY + y); }, CellOnView(c, r)))
            << "emptied cell (" << c << ", " << r << ")";
        EXPECT_TRUE(SamePixels(Pixels(board().backgroundDC.Get(), sourceX, sourceY, 16, 16), CellOnView(c, r)))
            << "emptied cell (" << c << ", " << r << ") against the layer";
    }
    // The pieces above fell: column 0 now starts with what was at row 2.
    EXPECT_TRUE(SamePixels(PieceBlock(strip, Checkerboard(0, 2)), CellOnView(0, 0)));
    EXPECT_TRUE(SamePixels(PieceBlock(strip, Checkerboard(1, 1)), CellOnView(1, 0)));
    EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, 6), "000001"));
}

TEST_F(GameTest, EmptiedBottomCellShowsTheBackgroundWhereItsBlockReachesBelowTheView) {
    // 32-pixel cells in a view 249 high: 7 rows, and the layer block of a
    // bottom-row cell, at y = 7 x 32, reaches 7 pixels below the view.
    ASSERT_TRUE(Open(240, 268));  // a first layout leaves the built-in stripes in the layer
    auto where = [](int x, int y) { return RGB((x % 64) * 4, (y % 50) * 5, 0x80); };
    auto twoColours = [](int x, int y) { return x < 32 ? RGB(250, 60, 60) : RGB(60, 60, 250); };
    ScratchFolder folder;
    lstrcpynW(SkinInfo.backgroundPath, folder.WriteFile(L"where.bmp", MakeBmp(64, 50, where)).c_str(), kMaxPath);
    lstrcpynW(SkinInfo.piecePath, folder.WriteFile(L"big.bmp", MakeBmp(64, 64, twoColours)).c_str(), kMaxPath);
    SizeView(240, 249);
    ASSERT_EQ(LayoutNow(), Layout(240, 249, 32, 7, 7));
    SetPosition([](int column, int) { return column == 0 ? 1 : 2; });

    Tap(CellCentre(0, 3));  // column 0 goes, the others close up: column 6 empties
    ASSERT_EQ(board().CountPieces(), 6 * 7);
    for (int r = 0; r < 7; ++r)
        EXPECT_TRUE(PixelsAre([&](int x, int y) { return where(6 * 32 + x, (7 - r) * 32 + y); }, CellOnView(6, r)))
            << "emptied cell (6, " << r << ")";
}

TEST_F(GameTest, TapOutsideTheGridClearsTheMarkingAndRemovesNothing) {
    // 250 wide: 15 columns of 16 and an empty strip of 10 pixels on the right.
    ASSERT_TRUE(Open(250, 268));
    ASSERT_EQ(board().Columns(), 15);
    const Surface strip(IDB_PIECES);
    struct Case {
        const char* where;
        int x, y;
    };
    const Case cases[] = {
        /* 0 */ {"score band", 100, 5},
        /* 1 */ {"band above the top row", 8, 27},
        /* 2 */ {"right strip", 245, 200},
        /* 3 */ {"right strip, bottom row", 249, 267},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        SetPosition(CornerGroup);
        board().SetScore(5);
        PenDown(CellCentre(0, 0));
        ASSERT_EQ(board().MarkedCount(), 3) << "case " << i;
        const LPARAM outside = MAKELPARAM(c.x, c.y);
        PenDown(outside);
        EXPECT_EQ(board().MarkedCount(), 0) << c.where;
        EXPECT_TRUE(SamePixels(PieceBlock(strip, 3), CellOnView(0, 0))) << c.where << ": drawn unmarked again";
        PenUp(outside);
        EXPECT_EQ(board().CountPieces(), 15 * 15) << c.where;
        EXPECT_EQ(board().Score(), 5) << c.where;
        EXPECT_EQ(board().Cell(0, 0), 3) << c.where;
        EXPECT_EQ(board().Cell(0, 1), 3) << c.where;
        EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, 6), "000005")) << c.where;
    }
}

// ---- Score band and digits -----------------------------------------------------------------------

TEST_F(GameTest, ScoreBandDrawsEveryScoreIncludingTheMinusSign) {
    ASSERT_TRUE(Open(480, 536));
    ASSERT_GE(Surface(IDB_DIGITS).Width(), 11 * kDigitWidth) << "the strip lacks the minus glyph";
    struct Case {
        int score, best;
        std::string scoreText, bestText;
    };
    const Case cases[] = {
        /* 0 */ {12, 0, "000012", "000000"},
        /* 1 */ {-12, 7, "-00012", "000007"},      // over "000012": the minus replaces the 0
        /* 2 */ {-99999, 7, "-99999", "000007"},
        /* 3 */ {1234567, 999999, "1234567", "999999"},  // seven glyphs
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        board().SetScore(c.score);
        board().SetBest(c.best);
        {
            FClientDC dc(view());
            board().ScoreChanged(dc.Get());
        }
        const int glyphs = static_cast<int>(c.scoreText.size());
        EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, glyphs), c.scoreText)) << "case " << i;
        EXPECT_TRUE(ShowsDigits(BandOnView(kBestX, 6), c.bestText)) << "case " << i;
    }
    // A paint shows the same.
    Repaint();
    EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, 7), "1234567"));
}

TEST(Digits, CharactersWithoutAGlyphKeepTheirCell) {
    AppInstance = GetModuleHandleW(nullptr);
    struct Case {
        UINT bitmap;
        const wchar_t* characters;
        const wchar_t* text;
        const char* drawn;  // the glyph expected in each cell; '.' for untouched
    };
    const Case cases[] = {
        /* 0 */ {IDB_DIGITS, kDigitCharacters, L"1x2", "1.2"},
        /* 1 */ {IDB_DIGITS, kDigitCharacters, L"-05", "-05"},
        /* 2 */ {IDB_DIGITS, L"0123456789", L"-05", ".05"},   // a list without the minus
        /* 3 */ {IDB_DIGITS, kDigitCharacters, L" 9 ", ".9."},
        /* 4 */ {9999, kDigitCharacters, L"123", "..."},      // no strip: nothing drawn
        /* 5 */ {IDB_DIGITS, kDigitCharacters, L"", "..."},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        Surface canvas(4 * kDigitWidth, kDigitHeight, kSentinel);
        DigitFont font(c.bitmap, kDigitWidth, kDigitHeight, c.characters);
        DrawDigits(font, canvas.Dc(), 0, 0, c.text);
        for (int cell = 0; cell < 4; ++cell) {
            const char glyph = cell < 3 ? c.drawn[cell] : '.';
            const Pixels shown(canvas.Dc(), cell * kDigitWidth, 0, kDigitWidth, kDigitHeight);
            if (glyph == '.')
                EXPECT_TRUE(PixelsAre([](int, int) { return kSentinel; }, shown)) << "case " << i << " cell " << cell;
            else
                EXPECT_TRUE(ShowsDigits(shown, std::string(1, glyph))) << "case " << i << " cell " << cell;
        }
    }
}

// ---- Game over ---------------------------------------------------------------------------------------

TEST_F(GameTest, GameOverShowsTheSettledScoreThenDealsAgain) {
    struct Case {
        int (*position)(int, int);
        int score, best;
        bool japanese;
        int answer;
        bool tapInBand;
        int settled, bestAfter;
    };
    // The board is 15 x 15: 225 pieces of the checkerboard, 1125 points for a cleared board.
    const Case cases[] = {
        /* 0 */ {Checkerboard, 300, 10, false, IDOK, false, 75, 75},
        /* 1 */ {Checkerboard, 300, 10, false, IDCANCEL, false, 75, 75},
        /* 2 */ {Checkerboard, 30, 10, true, IDOK, true, -195, 10},
        /* 3 */ {Cleared, 7, 2000, false, IDCANCEL, true, 1132, 2000},
        /* 4 */ {Cleared, 7, 0, true, IDOK, false, 1132, 1132},
    };
    ASSERT_TRUE(Open(240, 268));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        LangJapanese = c.japanese;
        SetPosition(c.position);
        board().SetScore(c.score);
        board().SetBest(c.best);
        GameOverWatcher watcher(game(), c.answer);
        Tap(c.tapInBand ? MAKELPARAM(120, 5) : CellCentre(3, 4));

        ASSERT_EQ(watcher.Dialogs().size(), 1u) << "case " << i;
        const GameOverWatcher::Seen& seen = watcher.Dialogs()[0];
        EXPECT_EQ(seen.caption, c.japanese ? L"ｹﾞｰﾑｵｰﾊﾞｰ" : L"Game Over") << "case " << i;
        EXPECT_EQ(seen.owner, hwnd()) << "case " << i;
        EXPECT_EQ(seen.dialogScore, c.settled) << "case " << i;
        EXPECT_EQ(seen.boardScore, c.settled) << "case " << i;
        EXPECT_EQ(seen.boardBest, c.best) << "case " << i << ": the best score changes only after the dialog";
        EXPECT_TRUE(ShowsDigits(seen.band, Formatted(c.settled))) << "case " << i << ": the band under the dialog";
        EXPECT_TRUE(ShowsDigits(seen.painted, Formatted(c.settled))) << "case " << i << ": the dialog's digits";

        EXPECT_EQ(board().Best(), c.bestAfter) << "case " << i;
        EXPECT_EQ(board().Score(), 0) << "case " << i;
        EXPECT_EQ(board().MarkedCount(), 0) << "case " << i;
        EXPECT_EQ(board().CountPieces(), 15 * 15) << "case " << i << ": a new deal";
        EXPECT_FALSE(board().IsGameOver()) << "case " << i;
        RECT pending;
        EXPECT_TRUE(GetUpdateRect(view(), &pending, FALSE)) << "case " << i << ": the new deal is to be painted";
        UpdateWindow(view());
        EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, 6), "000000")) << "case " << i;
        EXPECT_TRUE(ShowsDigits(BandOnView(kBestX, 6), Formatted(c.bestAfter))) << "case " << i;
    }
}

TEST_F(GameTest, GameOverComesAtTheTapAfterTheLastMove) {
    ASSERT_TRUE(Open(240, 268));
    SetPosition(LastPair);
    board().SetScore(3);
    GameOverWatcher watcher(game(), IDOK);
    Tap(CellCentre(0, 0));
    EXPECT_TRUE(watcher.Dialogs().empty()) << "the last pair's removal itself ends nothing";
    EXPECT_EQ(board().CountPieces(), 0);
    EXPECT_EQ(board().Score(), 3) << "a pair scores 0";
    Tap(CellCentre(7, 7));
    ASSERT_EQ(watcher.Dialogs().size(), 1u);
    EXPECT_EQ(watcher.Dialogs()[0].boardScore, 3 + 15 * 15 * 5);
    EXPECT_EQ(board().Best(), 3 + 15 * 15 * 5);
    EXPECT_EQ(board().CountPieces(), 15 * 15);
}

// A game-over dialog that posts `commands` when it starts and gives up after 10 s.
class ScriptedGameOver : public DlgGameOver {
public:
    static constexpr UINT_PTR kSafetyTimer = 77;
    static constexpr INT_PTR kTimedOut = -2;
    struct Command {
        WPARAM wParam;
        bool fromOkButton;  // lParam is the OK button, as a control notification
    };

    using DlgGameOver::DlgGameOver;
    std::vector<Command> commands;
    RECT placed{};

    INT_PTR DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == kSafetyTimer) {
            EndDialog(hwnd, kTimedOut);
            return TRUE;
        }
        return DlgGameOver::DialogProc(hwnd, message, wParam, lParam);
    }
    INT_PTR OnInitDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        const INT_PTR result = DlgGameOver::OnInitDialog(hwnd, message, wParam, lParam);
        for (const Command& command : commands)
            PostMessageW(hwnd, WM_COMMAND, command.wParam,
                         command.fromOkButton ? reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDOK)) : 0);
        SetTimer(hwnd, kSafetyTimer, 10000, nullptr);
        GetWindowRect(hwnd, &placed);
        return result;
    }
};

TEST_F(GameTest, GameOverDialogEndsWithOneOnOkAndTwoOnCancelOnly) {
    using Command = ScriptedGameOver::Command;
    struct Case {
        std::vector<Command> commands;
        INT_PTR result;
    };
    const Case cases[] = {
        /* 0 */ {{{IDOK, false}}, 1},
        /* 1 */ {{{IDCANCEL, false}}, 2},
        /* 2 */ {{{IDOK, true}}, 1},                                  // the button's click
        /* 3 */ {{{IDYES, false}, {IDOK, false}}, 1},                 // other ids are ignored
        /* 4 */ {{{20, false}, {IDCANCEL, false}}, 2},
        /* 5 */ {{{MAKEWPARAM(IDOK, BN_SETFOCUS), true}, {IDCANCEL, false}}, 2},  // not a click
        /* 6 */ {{{MAKEWPARAM(IDCANCEL, 1), false}}, 2},              // an accelerator's form
    };
    ASSERT_TRUE(Open(240, 268));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        ScriptedGameOver dialog(42);
        dialog.commands = cases[i].commands;
        EXPECT_EQ(DoModal(dialog, hwnd(), L"DlgGameOver_E"), cases[i].result) << "case " << i;
        EXPECT_LT(dialog.placed.right - dialog.placed.left, 240) << "case " << i << ": keeps its template size";
    }
}

// ---- Commands ---------------------------------------------------------------------------------------

TEST_F(GameTest, NewDealsAndKeepsTheBestScore) {
    struct Case {
        WPARAM wParam;
    };
    const Case cases[] = {
        /* 0 */ {MAKEWPARAM(IDM_FILE_NEW, 0)},  // menu
        /* 1 */ {MAKEWPARAM(IDM_FILE_NEW, 1)},  // accelerator
    };
    ASSERT_TRUE(Open(240, 268));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        SetPosition(CornerGroup);
        board().SetBest(42);
        board().SetScore(9);
        WalkCursorTo(3, 2);
        PenDown(CellCentre(0, 0));
        ASSERT_EQ(board().MarkedCount(), 3) << "case " << i;
        EXPECT_EQ(SendMessageW(hwnd(), WM_COMMAND, cases[i].wParam, 0), 0) << "case " << i;
        EXPECT_EQ(board().cursor, CursorCell{}) << "case " << i << ": the cursor is back at the start";
        EXPECT_EQ(board().Best(), 42) << "case " << i;
        EXPECT_EQ(board().Score(), 0) << "case " << i;
        EXPECT_EQ(board().MarkedCount(), 0) << "case " << i;
        EXPECT_EQ(board().SelectedColumn(), -1) << "case " << i;
        EXPECT_EQ(board().Columns(), 15) << "case " << i;
        EXPECT_EQ(board().CountPieces(), 15 * 15) << "case " << i;
        int same = 0;
        for (int c = 0; c < 15; ++c)
            for (int r = 0; r < 15; ++r) same += board().Cell(c, r) == CornerGroup(c, r);
        EXPECT_LT(same, 15 * 15) << "case " << i << ": the position was not dealt again";
        RECT pending;
        EXPECT_TRUE(GetUpdateRect(view(), &pending, FALSE)) << "case " << i << ": the new deal is to be painted";
        UpdateWindow(view());
        EXPECT_TRUE(ShowsDigits(BandOnView(kBestX, 6), "000042")) << "case " << i;
        EXPECT_TRUE(ShowsDigits(BandOnView(kScoreX, 6), "000000")) << "case " << i;
    }
}

TEST_F(GameTest, ExitClosesTheWindowAndEndsTheLoopWithZero) {
    ASSERT_TRUE(Open(240, 268));
    HWND frame = hwnd();
    EXPECT_EQ(SendMessageW(frame, WM_COMMAND, IDM_FILE_EXIT, 0), 0);
    EXPECT_TRUE(IsWindow(frame)) << "the close is posted, not sent";
    MSG msg{};
    bool quit = false;
    const DWORD start = GetTickCount();
    while (!quit && GetTickCount() - start < 5000) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                break;
            }
            DispatchMessageW(&msg);
        }
        if (!quit) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    EXPECT_TRUE(quit) << "no quit message";
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_FALSE(IsWindow(frame));
}

TEST_F(GameTest, HelpKeyAsksForAboutOnlyWhileTheWindowIsActive) {
    auto counting = std::make_unique<CountingWindow>();
    CountingWindow& window = *counting;
    ASSERT_TRUE(Open(240, 268, std::move(counting)));
    HELPINFO help{sizeof(help), HELPINFO_WINDOW, 0, nullptr, 0, {0, 0}};
    const WPARAM about = IDM_HELP_ABOUT;

    SetForegroundWindow(hwnd());
    SetActiveWindow(hwnd());
    ASSERT_EQ(GetActiveWindow(), hwnd());
    {
        // The About sheet that opens is closed again with Cancel.
        BoxWatcher watcher(IDCANCEL);
        EXPECT_EQ(SendMessageW(hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 0);
        EXPECT_EQ(window.Count(about), 0) << "the command is posted, not sent";
        ServeUntil("the posted About command", [&] { return window.Count(about) == 1; });
        EXPECT_EQ(watcher.Seen().size(), 1u) << "About did not open";
    }

    FWnd other;
    other.hwnd = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 300, 300, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    other.owned = TRUE;
    SetForegroundWindow(other.hwnd);
    SetActiveWindow(other.hwnd);
    ASSERT_EQ(GetActiveWindow(), other.hwnd);
    // An About that opened all the same is closed, so that the test fails
    // rather than waits.
    BoxWatcher watcher(IDCANCEL);
    EXPECT_EQ(SendMessageW(hwnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 0);
    ServePosted();
    EXPECT_EQ(window.Count(about), 1) << "an inactive window opened About";
}

TEST_F(GameTest, KeysF1AndCtrlQReachAboutAndExit) {
    auto counting = std::make_unique<CountingWindow>();
    CountingWindow& window = *counting;
    ASSERT_TRUE(Open(240, 268, std::move(counting)));
    HACCEL keys = LoadAcceleratorsW(AppInstance, MAKEINTRESOURCEW(IDR_ACCELERATOR_MAIN));
    ASSERT_NE(keys, nullptr);
    auto press = [&](UINT key) {
        MSG msg{hwnd(), WM_KEYDOWN, key, static_cast<LPARAM>(1 | MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16), 0, {}};
        return TranslateAcceleratorW(hwnd(), keys, &msg) != 0;
    };
    BYTE saved[256];
    GetKeyboardState(saved);
    BYTE state[256];
    std::copy(std::begin(saved), std::end(saved), state);
    state[VK_CONTROL] = state[VK_LCONTROL] = state[VK_SHIFT] = state[VK_MENU] = 0;
    SetKeyboardState(state);

    {
        BoxWatcher watcher(IDCANCEL);
        EXPECT_TRUE(press(VK_F1));
        EXPECT_EQ(window.Count(MAKEWPARAM(IDM_HELP_ABOUT, 1)), 1);
        EXPECT_EQ(watcher.Seen().size(), 1u) << "F1 did not open About";
    }
    EXPECT_FALSE(press('Q')) << "Q alone is no command";

    state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    SetKeyboardState(state);
    EXPECT_TRUE(press('Q'));
    SetKeyboardState(saved);
    EXPECT_EQ(window.Count(MAKEWPARAM(IDM_FILE_EXIT, 1)), 1);
    MSG close;
    EXPECT_TRUE(PeekMessageW(&close, hwnd(), WM_CLOSE, WM_CLOSE, PM_NOREMOVE)) << "Ctrl+Q did not post the close";
    DestroyAcceleratorTable(keys);
}

}  // namespace
