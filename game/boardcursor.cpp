#include "game/boardcursor.h"

#include <algorithm>

CursorCell StepCursor(CursorCell at, int columnStep, int rowStep, int columns, int rows)
{
    if (columns < 1 || rows < 1)
        return {};
    return {std::clamp(at.column + columnStep, 0, columns - 1), std::clamp(at.row + rowStep, 0, rows - 1)};
}

// Scans every cell: a board is at most a few thousand cells and this runs once
// per clear, so a search outward from the cell would buy nothing.
CursorCell CursorAfterClear(const GameBoard& board, CursorCell at)
{
    if (board.Cell(at.column, at.row) != 0)
        return at;
    CursorCell best;
    long long bestDistance = -1;
    for (int c = 0; c < board.Columns(); ++c) {
        for (int r = 0; r < board.Rows(); ++r) {
            if (board.Cell(c, r) == 0)
                continue;
            const long long dc = c - at.column, dr = r - at.row;
            const long long distance = dc * dc + dr * dr;
            if (bestDistance < 0 || distance < bestDistance) {
                bestDistance = distance;
                best = {c, r};
            }
        }
    }
    return best;
}
