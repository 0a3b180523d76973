// How much a move's incremental redraw saves over repainting the board.
//
// On the largest board (30 x 32 cells, 5 colours) a typical move is timed:
// the marking at pen-down and the removal at pen-up, drawing only the cells
// the board reports, plus the score band. The baseline, measured in the same
// run on the same surfaces, is the full repaint a paint message does. A
// cursor step (the two cells it leaves and lands on) is timed against the same
// baseline. Prints the times, then one line per measure:
// "ratio <measure> <ours / baseline>".
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "framework/appvalues.h"
#include "game/boardpainter.h"
#include "resources/resource.h"

namespace {

using Clock = std::chrono::steady_clock;

// A painter drawing into memory: the built-in pieces and a tiled background.
struct Surface {
    BoardPainter board;
    FMemoryDC target;
    FBitmap targetBitmap;

    Surface() : target(nullptr) {
        const int width = 480, height = 536;
        targetBitmap.Reset(CreateCompatibleBitmap(GetDC(nullptr), width, height));
        target.SelectBitmap(targetBitmap.Get());
        board.pieceDC = FMemoryDC(nullptr);
        board.backgroundDC = FMemoryDC(nullptr);
        board.pieceBitmap.Reset(static_cast<HBITMAP>(
            LoadImageW(AppInstance, MAKEINTRESOURCEW(IDB_PIECES), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        board.pieceDC.SelectBitmap(board.pieceBitmap.Get());
        board.backgroundLayer.Reset(CreateCompatibleBitmap(GetDC(nullptr), width, height));
        board.backgroundDC.SelectBitmap(board.backgroundLayer.Get());
        PatBlt(board.backgroundDC.Get(), 0, 0, width, height, WHITENESS);
        // As the layout does: the score digits stay loaded while it stands.
        board.scoreDigits.emplace(IDB_DIGITS, kDigitWidth, kDigitHeight, kDigitCharacters);
        board.scoreDigits->KeepSelected();
        board.left = 0;
        board.bottom = height;
        board.cellWidth = board.cellHeight = 16;
        board.layoutColumns = 30;
        board.layoutRows = 32;
    }
};

// Finds a cell whose tap marks a group, or returns false.
bool FindMove(BoardPainter& board, int& column, int& row) {
    for (column = 0; column < board.Columns(); ++column)
        for (row = 0; row < board.Rows(); ++row) {
            const int v = board.Cell(column, row);
            if (v > 0 && (board.Cell(column + 1, row) == v || board.Cell(column, row + 1) == v)) return true;
        }
    return false;
}

}  // namespace

int main() {
    InitAppValues(GetModuleHandleW(nullptr));
    Surface surface;
    BoardPainter& board = surface.board;
    board.Seed(20261207);
    if (!board.Resize(30, 32, 5)) {
        std::puts("board allocation failed");
        return 1;
    }
    HDC dc = surface.target.Get();

    const int games = 20;
    double moveSeconds = 0, fullSeconds = 0, cellsSeconds = 0;
    long moves = 0, fulls = 0;
    for (int game = 0; game < games; ++game) {
        board.Deal();
        int column, row;
        while (FindMove(board, column, row)) {
            auto start = Clock::now();
            board.Select(dc, column, row);
            board.RemoveMarked(dc);
            GdiFlush();
            const double cells = std::chrono::duration<double>(Clock::now() - start).count();
            board.ScoreChanged(dc);
            GdiFlush();
            cellsSeconds += cells;
            moveSeconds += std::chrono::duration<double>(Clock::now() - start).count();
            ++moves;

            start = Clock::now();
            board.ForEachCell(dc);
            board.ScoreChanged(dc);
            GdiFlush();
            fullSeconds += std::chrono::duration<double>(Clock::now() - start).count();
            ++fulls;
        }
    }
    // The cursor walks the board row by row, up at each edge and back, as a
    // held arrow key would; each step is paired with a full repaint.
    double stepSeconds = 0, stepFullSeconds = 0;
    long steps = 0;
    board.Deal();
    board.MoveCursor(dc, CursorCell{});
    for (int pass = 0; pass < 4; ++pass)
        for (int row = 0; row < board.Rows(); ++row)
            for (int step = 1; step < board.Columns(); ++step) {
                const int columnStep = row % 2 == 0 ? 1 : -1;
                const CursorCell to = StepCursor(board.cursor, columnStep, 0, board.Columns(), board.Rows());
                auto start = Clock::now();
                board.MoveCursor(dc, to);
                GdiFlush();
                stepSeconds += std::chrono::duration<double>(Clock::now() - start).count();
                ++steps;
                if (step == board.Columns() - 1) board.MoveCursor(dc, StepCursor(board.cursor, 0, 1, board.Columns(), board.Rows()));

                start = Clock::now();
                board.ForEachCell(dc);
                board.ScoreChanged(dc);
                GdiFlush();
                stepFullSeconds += std::chrono::duration<double>(Clock::now() - start).count();
            }

    const double move = moveSeconds / moves, full = fullSeconds / fulls, cells = cellsSeconds / moves;
    std::printf("move redraw with score band (30x32, 5 colours): %.1f us per move over %ld moves\n", move * 1e6,
                moves);
    std::printf("  of which changed cells only:                  %.1f us\n", cells * 1e6);
    std::printf("full repaint with score band (baseline):        %.1f us per paint\n", full * 1e6);
    std::printf("full repaint / move redraw:                     %.1fx\n", full / move);
    std::printf("full repaint / changed cells:                   %.1fx\n", full / cells);
    const double step = stepSeconds / steps, stepFull = stepFullSeconds / steps;
    std::printf("cursor step (two cells):                        %.1f us per step over %ld steps\n", step * 1e6,
                steps);
    std::printf("full repaint beside it (baseline):              %.1f us per paint\n", stepFull * 1e6);
    std::printf("ratio move_vs_full_repaint %.3f\n", move / full);
    std::printf("ratio cells_vs_full_repaint %.3f\n", cells / full);
    std::printf("ratio cursor_vs_full_repaint %.3f\n", step / stepFull);
    return 0;
}
