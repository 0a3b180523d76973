#include "game/gameboard.h"

#include <chrono>
#include <climits>
#include <cstddef>
#include <new>
#include <utility>

namespace {

// Cells are signed 8-bit and a marked piece is stored negated, so colours stop at 127.
constexpr int MaxColours = 127;

// A seed that differs from one start to the next; the game neither stores nor shows it.
std::uint32_t TimeSeed()
{
    const auto ticks = static_cast<std::uint64_t>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count());
    return static_cast<std::uint32_t>(ticks ^ (ticks >> 32));
}

} // namespace

// Starts as a 0x0 board whose next deal uses `colours` colours.
GameBoard::GameBoard(int dealtColours) : generator(TimeSeed())
{
    Resize(0, 0, dealtColours);
}

GameBoard::~GameBoard() = default;

// Frees the old cells before allocating new ones so that the peak stays at one board.
bool GameBoard::Resize(int newColumns, int newRows, int newColours)
{
    colours = newColours < 1 ? 1 : (newColours > MaxColours ? MaxColours : newColours);
    best = 0;
    ClearGameState();
    cells.reset();
    columns = newColumns > 0 ? newColumns : 0;
    rows = newRows > 0 ? newRows : 0;

    if (columns != 0 && rows != 0) {
        const std::size_t slots = static_cast<std::size_t>(columns) + 1;
        bool allocated = slots <= SIZE_MAX / sizeof(Column);
        if (allocated) {
            cells.reset(new (std::nothrow) Column[slots]);
            allocated = cells != nullptr;
        }
        for (std::size_t slot = 0; allocated && slot < slots; ++slot) {
            cells[slot].reset(new (std::nothrow) signed char[static_cast<std::size_t>(rows)]);
            allocated = cells[slot] != nullptr;
        }
        if (!allocated) {
            // A board with missing columns must never be dealt or drawn.
            cells.reset();
            columns = 0;
            rows = 0;
            return false;
        }
    }
    Deal();
    return true;
}

// Fills column by column from the bottom; the order fixes which deal a seed gives.
void GameBoard::Deal()
{
    ClearGameState();
    const auto range = static_cast<std::uint32_t>(colours);
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            const auto draw = static_cast<std::uint32_t>(generator());
            cells[c][r] = static_cast<signed char>(draw % range + 1);
        }
    }
}

// Reports every cell in column-major order.
void GameBoard::ForEachCell(DrawContext dc)
{
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r)
            CellChanged(dc, c, r);
    }
}

// Reacts to a pen-down; a lone piece only clears the old marking.
void GameBoard::Select(DrawContext dc, int column, int row)
{
    if (column < 0 || column >= columns || row < 0 || row >= rows) {
        Unmark(dc);
        return;
    }
    if (cells[column][row] <= 0)
        return;
    Unmark(dc);
    if (HasSameNeighbour(column, row)) {
        selectedColumn = column;
        selectedRow = row;
        MarkGroup(dc, column, row);
    }
}

// Walks the marked group from the cell it was built from, flipping it back.
void GameBoard::Unmark(DrawContext dc)
{
    if (markedCount == 0)
        return;
    MarkGroup(dc, selectedColumn, selectedRow);
    markedCount = 0;
}

// Compacts each column into the scratch buffer and swaps it into the next free slot,
// so columns fall and close in one pass without allocating. The buffer swapped out is
// what the view still shows for that slot, which makes the comparison report exactly
// the cells whose displayed value changed.
void GameBoard::RemoveMarked(DrawContext dc)
{
    if (markedCount == 0)
        return;
    const long long removed = markedCount - 2;
    AddToScore(removed * removed);
    markedCount = 0;

    Column& scratch = cells[columns];
    int dest = 0;
    for (int j = 0; j < columns; ++j) {
        CompactColumn(cells[j].get(), scratch.get());
        if (scratch[0] == 0)
            continue;
        cells[dest].swap(scratch);
        for (int k = 0; k < rows; ++k) {
            if (cells[dest][k] != scratch[k])
                CellChanged(dc, dest, k);
        }
        ++dest;
    }
    for (int c = dest; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            if (cells[c][r] != 0) {
                cells[c][r] = 0;
                CellChanged(dc, c, r);
            }
        }
    }
}

// Scans pairs only up to the first empty cell, since columns are packed from row 0.
bool GameBoard::IsGameOver() const
{
    for (int i = 0; i + 1 < columns; ++i) {
        for (int j = 0; j < rows; ++j) {
            const signed char a = cells[i][j];
            const signed char b = cells[i + 1][j];
            if (a == 0 || b == 0)
                break;
            if (a == b)
                return false;
        }
    }
    for (int i = 0; i < columns; ++i) {
        for (int j = 0; j + 1 < rows; ++j) {
            const signed char b = cells[i][j + 1];
            if (b == 0)
                break;
            if (cells[i][j] == b)
                return false;
        }
    }
    return true;
}

// Counts non-empty cells, marked ones included.
int GameBoard::CountPieces() const
{
    int count = 0;
    for (int c = 0; c < columns; ++c) {
        for (int r = 0; r < rows; ++r) {
            if (cells[c][r] != 0)
                ++count;
        }
    }
    return count;
}

// Applies the end-of-game penalty or clearing bonus to the score.
void GameBoard::SettleGame()
{
    const int left = CountPieces();
    if (left > 0)
        AddToScore(-static_cast<long long>(left));
    else
        AddToScore(static_cast<long long>(columns) * rows * 5);
}

// Raises the best score to the current one when it is higher.
void GameBoard::RecordBest()
{
    if (score > best)
        best = score;
}

// Restarts the deal generator from a known state.
void GameBoard::Seed(std::uint32_t seed)
{
    generator.seed(seed);
}

// Reads a cell, treating every position outside the grid as empty.
signed char GameBoard::Cell(int column, int row) const
{
    if (column < 0 || column >= columns || row < 0 || row >= rows)
        return 0;
    return cells[column][row];
}

// Tests the four neighbours in the order left, below, right, above.
bool GameBoard::HasSameNeighbour(int column, int row) const
{
    const signed char value = cells[column][row];
    if (value == 0)
        return false;
    return (column > 0 && cells[column - 1][row] == value)
        || (row > 0 && cells[column][row - 1] == value)
        || (column < columns - 1 && cells[column + 1][row] == value)
        || (row < rows - 1 && cells[column][row + 1] == value);
}

// The sign flip is both the mark and the visited flag: a flipped cell no longer
// equals the value being followed, so no cell is entered twice.
void GameBoard::MarkGroup(DrawContext dc, int column, int row)
{
    for (;;) {
        const signed char value = cells[column][row];
        cells[column][row] = static_cast<signed char>(-value);
        CellChanged(dc, column, row);
        ++markedCount;
        if (column > 0 && cells[column - 1][row] == value)
            MarkGroup(dc, column - 1, row);
        if (row > 0 && cells[column][row - 1] == value)
            MarkGroup(dc, column, row - 1);
        if (column < columns - 1 && cells[column + 1][row] == value)
            MarkGroup(dc, column + 1, row);
        if (row >= rows - 1 || cells[column][row + 1] != value)
            return;
        ++row;
    }
}

// Stores a value silently; positions outside the grid are ignored.
void GameBoard::SetCell(int column, int row, signed char value)
{
    if (column < 0 || column >= columns || row < 0 || row >= rows)
        return;
    cells[column][row] = value;
}

// Forgets the marking and the score of the game in progress.
void GameBoard::ClearGameState()
{
    selectedColumn = -1;
    selectedRow = -1;
    markedCount = 0;
    score = 0;
}

// Saturates rather than overflowing on boards far larger than any screen holds.
void GameBoard::AddToScore(long long points)
{
    const long long sum = static_cast<long long>(score) + points;
    score = static_cast<int>(sum > INT_MAX ? INT_MAX : (sum < INT_MIN ? INT_MIN : sum));
}

// Unmarked values (pieces and empties) go up from the bottom in order; each marked cell
// leaves a zero at the top, so exactly rows cells are written.
void GameBoard::CompactColumn(const signed char* source, signed char* target) const
{
    int bottom = 0;
    int top = rows - 1;
    for (int r = 0; r < rows; ++r) {
        if (source[r] >= 0)
            target[bottom++] = source[r];
        else
            target[top--] = 0;
    }
}
