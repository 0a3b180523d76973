// The rules engine: a grid of coloured pieces, marking a group, removing it with
// gravity and column closing, scoring and the end-of-game test. It knows nothing of
// windows or input; it reports every changed cell through CellChanged so that a view
// can redraw that one cell at once.
#pragma once

#include <cstdint>
#include <memory>
#include <random>

// Opaque drawing-context handle; the engine only passes it through to CellChanged.
using DrawContext = void*;

// Cell values: 0 empty, 1..colours a piece, -1..-colours a piece of the marked group.
// Column 0 is the leftmost column, row 0 the bottom row. Between calls every column is
// packed from row 0 upwards, non-empty columns are packed from column 0 rightwards, and
// the negative cells are exactly the marked group of markedCount cells.
class GameBoard {
public:
    // An empty 0x0 board that will deal `dealtColours` colours once it is resized.
    explicit GameBoard(int dealtColours);
    virtual ~GameBoard();

    // The value of one cell has just changed (or must be shown again). Called
    // synchronously, once per affected cell, with the dc given to the operation.
    virtual void CellChanged(DrawContext dc, int column, int row) = 0;
    // The score band must be shown again. The engine never calls it; the game flow does.
    virtual void ScoreChanged(DrawContext dc) = 0;

    GameBoard(const GameBoard&) = delete;
    GameBoard& operator=(const GameBoard&) = delete;

    // Discards the game and best score, lays out columns x rows cells and deals.
    // A negative dimension counts as 0; a colour count outside 1..127 is clamped into it.
    // Returns false when the storage cannot be allocated: the board is then 0x0 with
    // nothing marked and score 0. A 0-wide or 0-high board needs no storage.
    bool Resize(int columns, int rows, int colours);
    // Starts a new game on the current layout: nothing marked, score 0, every cell a
    // random colour. Reports nothing; the caller repaints the whole view.
    void Deal();
    // Reports every cell, column by column from the bottom, to paint the whole board.
    void ForEachCell(DrawContext dc);
    // Pen-down at a cell position, which may lie outside the grid: outside clears the
    // marking; an empty or marked cell changes nothing; otherwise the old marking is
    // cleared and the tapped piece's group is marked if it has at least two pieces.
    void Select(DrawContext dc, int column, int row);
    // Restores the marked group, if any, to unmarked pieces.
    void Unmark(DrawContext dc);
    // Removes the marked group, adds (n - 2)^2 for its n pieces, lets the pieces above
    // fall and closes emptied columns to the left. Reports exactly the cells whose value
    // changed, each once. Does nothing when nothing is marked; never allocates.
    void RemoveMarked(DrawContext dc);
    // True when no two orthogonal neighbours hold the same non-zero value. While a group
    // is marked this is false, since its cells compare equal.
    bool IsGameOver() const;
    // Number of non-empty cells, marked ones included.
    int CountPieces() const;

    // End-of-game settlement: one point off per piece left, or columns x rows x 5 points
    // for a cleared board. Call once, when IsGameOver is true.
    void SettleGame();
    // Keeps the settled score as the best one if it beats it. Call after the game-over
    // dialog, before the next Deal.
    void RecordBest();

    // Restarts the generator that Deal draws from, so that a deal can be reproduced.
    void Seed(std::uint32_t seed);

    // The value of a cell; 0 for a position outside the grid.
    signed char Cell(int column, int row) const;
    int Columns() const { return columns; }
    int Rows() const { return rows; }
    int Colours() const { return colours; }
    int Score() const { return score; }
    void SetScore(int value) { score = value; }
    int Best() const { return best; }
    void SetBest(int value) { best = value; }
    // Size of the marked group; 0 when nothing is marked.
    int MarkedCount() const { return markedCount; }
    // The cell from which the marked group was built; -1 after a deal.
    int SelectedColumn() const { return selectedColumn; }
    int SelectedRow() const { return selectedRow; }

protected:
    // True when the piece at (column, row) has an orthogonal neighbour of equal value.
    bool HasSameNeighbour(int column, int row) const;
    // Flips the sign of every cell of the group holding (column, row), reporting each
    // and counting it in markedCount: marks an unmarked group, unmarks a marked one.
    // Recurses sideways and downwards but walks upwards in a loop, so a vertical run
    // does not deepen the recursion. Needs a non-empty cell inside the grid.
    void MarkGroup(DrawContext dc, int column, int row);
    // Places a value without reporting it, for a subclass that sets up a position. The
    // caller keeps the packing invariants and marks nothing; outside the grid is ignored.
    void SetCell(int column, int row, signed char value);

private:
    using Column = std::unique_ptr<signed char[]>;

    // Drops the marking and the score, for a new deal or a board without storage.
    void ClearGameState();
    // Adds to the score, saturating at the limits of int instead of wrapping.
    void AddToScore(long long points);
    // Writes rows cells of source into target with marked cells removed: the remaining
    // values keep their order from row 0 upwards and the top is filled with zeros.
    void CompactColumn(const signed char* source, signed char* target) const;

    int selectedColumn = -1;
    int selectedRow = -1;
    int markedCount = 0;
    int columns = 0;
    int rows = 0;
    // columns + 1 buffers of rows cells; the last one is the scratch column that
    // RemoveMarked exchanges with the real ones. Null when the board has no cells.
    std::unique_ptr<Column[]> cells;
    int score = 0;
    int best = 0;
    int colours = 1;
    std::mt19937 generator;
};
