// The cell a d-pad or keyboard player acts on. Windows-free: where the cursor
// may go and where it lands after a clear are rules, the frame is the view's.
#pragma once

#include "game/gameboard.h"

struct CursorCell {
    int column = 0;
    int row = 0;
    bool operator==(const CursorCell&) const = default;
};

// One step of (columnStep, rowStep) from `at`, held inside a columns x rows
// grid: a step past an edge stays on the edge cell.
CursorCell StepCursor(CursorCell at, int columnStep, int rowStep, int columns, int rows);

// Where the cursor stands once a clear has settled: on its own cell while that
// holds a piece, else on the nearest piece (straight-line distance; on a tie
// the lower column, then the lower row), else at the start, the bottom left.
CursorCell CursorAfterClear(const GameBoard& board, CursorCell at);
