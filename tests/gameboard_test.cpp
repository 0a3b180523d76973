#include "game/gameboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <map>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

// Nothrow array allocations succeed while this is above 0 (counting down) or -1, and
// fail once it reaches 0; the board takes all its storage this way, so a test can make
// any single allocation of a Resize fail.
static int nothrowArraysBeforeFailure = -1;

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (nothrowArraysBeforeFailure == 0)
        return nullptr;
    if (nothrowArraysBeforeFailure > 0)
        --nothrowArraysBeforeFailure;
    try {
        return ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

namespace {

// Lets `succeeding` nothrow array allocations through, then fails the rest, until the
// end of the scope.
class FailingAllocations {
public:
    explicit FailingAllocations(int succeeding) { nothrowArraysBeforeFailure = succeeding; }
    ~FailingAllocations() { nothrowArraysBeforeFailure = -1; }
};

using Change = std::pair<int, int>; // (column, row) of one CellChanged report
using Changes = std::vector<Change>;

// A sentinel drawing context: every report must carry the one the operation was given.
DrawContext const TestDc = reinterpret_cast<DrawContext>(0x66);

// Joins picture rows, top row first, into one string so failures show the whole board.
std::string Lines(std::initializer_list<const char*> rows)
{
    std::string text;
    for (const char* row : rows)
        text += std::string(row) + "\n";
    return text;
}

// Records every cell report and lets tests set up a board from a picture.
class RecordingBoard : public GameBoard {
public:
    explicit RecordingBoard(int dealtColours = 5) : GameBoard(dealtColours) { Seed(12345); }

    ~RecordingBoard() override
    {
        EXPECT_EQ(0, foreignDcReports) << "reports carried a dc the caller did not give";
        EXPECT_EQ(0, scoreReports) << "the engine must leave ScoreChanged to the game flow";
    }

    void CellChanged(DrawContext dc, int column, int row) override
    {
        if (dc != TestDc)
            ++foreignDcReports;
        changes.emplace_back(column, row);
    }

    void ScoreChanged(DrawContext) override { ++scoreReports; }

    // Lays out the board from rows of '.' (empty) and '1'..'9' (pieces), top row first,
    // and forgets the reports so far. Columns must be packed as the rules keep them.
    void Load(const std::vector<std::string>& lines, int dealtColours = 5)
    {
        const int height = static_cast<int>(lines.size());
        ASSERT_TRUE(Resize(static_cast<int>(lines[0].size()), height, dealtColours));
        for (int r = 0; r < height; ++r) {
            const std::string& line = lines[height - 1 - r];
            for (int c = 0; c < static_cast<int>(line.size()); ++c)
                SetCell(c, r, static_cast<signed char>(line[c] == '.' ? 0 : line[c] - '0'));
        }
        changes.clear();
    }

    // Draws the board the way Load reads it; marked pieces show as 'a' (colour 1) onwards.
    std::string Picture() const
    {
        std::string text;
        for (int r = Rows() - 1; r >= 0; --r) {
            for (int c = 0; c < Columns(); ++c) {
                const int v = Cell(c, r);
                text += v == 0 ? '.' : (v > 0 ? static_cast<char>('0' + v) : static_cast<char>('a' - v - 1));
            }
            text += '\n';
        }
        return text;
    }

    Changes changes;

private:
    int foreignDcReports = 0;
    int scoreReports = 0;
};

// Checks that a board without storage behaves as an empty one everywhere.
void ExpectEmptyBoardWorks(RecordingBoard& board)
{
    board.Deal();
    board.ForEachCell(TestDc);
    board.Select(TestDc, 0, 0);
    board.RemoveMarked(TestDc);
    EXPECT_TRUE(board.changes.empty()) << board.changes.size() << " cells reported";
    EXPECT_TRUE(board.IsGameOver());
    EXPECT_EQ(0, board.CountPieces());
    EXPECT_EQ(0, board.Cell(0, 0));
    EXPECT_EQ(0, board.MarkedCount());
}

TEST(GameBoardScoring, RemovedGroupAddsSquareOfSizeLessTwo)
{
    struct Case {
        std::vector<std::string> picture;
        int marked;
        int points;
    };
    const Case cases[] = {
        /* 0 */ {{"23", "11"}, 2, 0},
        /* 1 */ {{"2.", "12", "11"}, 3, 1},
        /* 2 */ {{"2111", "1111", "1112"}, 10, 64},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        RecordingBoard board;
        board.Load(cases[i].picture);
        board.SetScore(7);
        board.Select(TestDc, 0, 0);
        EXPECT_EQ(cases[i].marked, board.MarkedCount());
        board.RemoveMarked(TestDc);
        EXPECT_EQ(7 + cases[i].points, board.Score());
        EXPECT_EQ(0, board.MarkedCount());
    }
}

TEST(GameBoardSelect, MarksWholeGroupReportingEachCellOnce)
{
    RecordingBoard board;
    board.Load({"222.",
                "1211",
                "1112"});
    board.Select(TestDc, 3, 1);
    EXPECT_EQ(Lines({"222.",
                     "a2aa",
                     "aaa2"}), board.Picture());
    EXPECT_EQ(6, board.MarkedCount());
    EXPECT_EQ(3, board.SelectedColumn());
    EXPECT_EQ(1, board.SelectedRow());
    std::map<Change, int> counts;
    for (const Change& change : board.changes)
        ++counts[change];
    EXPECT_EQ(6u, counts.size());
    for (const auto& [cell, count] : counts)
        EXPECT_EQ(1, count) << "cell (" << cell.first << ", " << cell.second << ")";

    // Another group moves the marking: the old one is restored first.
    board.changes.clear();
    board.Select(TestDc, 1, 1);
    EXPECT_EQ(Lines({"bbb.",
                     "1b11",
                     "1112"}), board.Picture());
    EXPECT_EQ(6u + 4u, board.changes.size());
    EXPECT_EQ(4, board.MarkedCount());
}

TEST(GameBoardSelect, LonePieceClearsMarkingAndMarksNothing)
{
    RecordingBoard board;
    board.Load({"3..",
                "11."});
    board.Select(TestDc, 0, 0);
    board.changes.clear();
    board.Select(TestDc, 0, 1);
    EXPECT_EQ(Lines({"3..",
                     "11."}), board.Picture());
    EXPECT_EQ((Changes{{0, 0}, {1, 0}}), board.changes);
    EXPECT_EQ(0, board.MarkedCount());
    // The selection is remembered past Unmark.
    EXPECT_EQ(0, board.SelectedColumn());
}

TEST(GameBoardSelect, EmptyOrMarkedCellChangesNothing)
{
    const Change taps[] = {
        /* 0 */ {2, 0}, // empty
        /* 1 */ {1, 1}, // empty above a piece
        /* 2 */ {0, 0}, // the cell the marking was built from
        /* 3 */ {1, 0}, // another marked cell
    };
    for (const Change& tap : taps) {
        SCOPED_TRACE("tap (" + std::to_string(tap.first) + ", " + std::to_string(tap.second) + ")");
        RecordingBoard board;
        board.Load({"2..",
                    "11."});
        board.Select(TestDc, 0, 0);
        board.changes.clear();
        board.Select(TestDc, tap.first, tap.second);
        EXPECT_TRUE(board.changes.empty());
        EXPECT_EQ(Lines({"2..",
                         "aa."}), board.Picture());
        EXPECT_EQ(2, board.MarkedCount());
    }
}

TEST(GameBoardSelect, OutsideGridClearsMarking)
{
    const Change taps[] = {
        /* 0 */ {-1, 0},
        /* 1 */ {3, 0},
        /* 2 */ {0, 2},  // the score band above the top row
        /* 3 */ {0, -1},
        /* 4 */ {static_cast<int>(0xFFFFFFF0u), 0}, // a negative offset divided as unsigned
    };
    for (const Change& tap : taps) {
        SCOPED_TRACE("tap (" + std::to_string(tap.first) + ", " + std::to_string(tap.second) + ")");
        RecordingBoard board;
        board.Load({"2..",
                    "11."});
        board.Select(TestDc, 0, 0);
        board.changes.clear();
        board.Select(TestDc, tap.first, tap.second);
        EXPECT_EQ((Changes{{0, 0}, {1, 0}}), board.changes);
        EXPECT_EQ(Lines({"2..",
                         "11."}), board.Picture());
        EXPECT_EQ(0, board.MarkedCount());
        board.RemoveMarked(TestDc);
        EXPECT_EQ(Lines({"2..",
                         "11."}), board.Picture());
    }
}

TEST(GameBoardRemove, ClosingMiddleColumnReportsExactlyTheChangedCells)
{
    RecordingBoard board;
    board.Load({"21..",
                "2124",
                "1133"});
    board.Select(TestDc, 1, 1);
    board.changes.clear();
    board.RemoveMarked(TestDc);
    const Changes expected = {
        /* 0 */ {0, 0}, // 2 falls onto the removed 1; (0,1) keeps its 2
        /* 1 */ {0, 2},
        /* 2 */ {1, 0}, // column 2 moves into the removed column 1
        /* 3 */ {1, 1},
        /* 4 */ {1, 2}, // was marked, now empty
        /* 5 */ {2, 1}, // column 3 moves left; (2,0) holds 3 before and after
        /* 6 */ {3, 0}, // the vacated rightmost column
        /* 7 */ {3, 1},
    };
    EXPECT_EQ(expected, board.changes);
    EXPECT_EQ(Lines({"....",
                     "224.",
                     "233."}), board.Picture());
    EXPECT_EQ(4, board.Score());
    EXPECT_EQ(6, board.CountPieces());
}

TEST(GameBoardRemove, NothingMarkedDoesNothing)
{
    RecordingBoard board;
    board.Load({"11"});
    board.SetScore(3);
    board.RemoveMarked(TestDc);
    EXPECT_TRUE(board.changes.empty());
    EXPECT_EQ(3, board.Score());
    EXPECT_EQ(Lines({"11"}), board.Picture());
}

TEST(GameBoardSettlement, ClearedBoardEarnsFivePerCell)
{
    RecordingBoard board;
    board.Load({"1.2",
                "111"}, 2);
    board.Select(TestDc, 2, 0);
    board.RemoveMarked(TestDc);
    EXPECT_EQ(Lines({"...",
                     "2.."}), board.Picture());
    board.Select(TestDc, 0, 0); // a lone piece is never removed
    board.RemoveMarked(TestDc);
    EXPECT_EQ(1, board.CountPieces());

    board.Load({"11",
                "11"});
    board.Select(TestDc, 1, 1);
    board.changes.clear();
    board.RemoveMarked(TestDc);
    EXPECT_EQ(Lines({"..",
                     ".."}), board.Picture());
    EXPECT_EQ(4u, board.changes.size());
    EXPECT_TRUE(board.IsGameOver());
    EXPECT_EQ(0, board.CountPieces());
    board.SettleGame();
    EXPECT_EQ(4 + 2 * 2 * 5, board.Score());
    board.RecordBest();
    EXPECT_EQ(24, board.Best());
}

TEST(GameBoardSettlement, PenaltyPerPieceLeftMayGoNegative)
{
    RecordingBoard board;
    board.Load({"12.",
                "213"});
    ASSERT_TRUE(board.IsGameOver());
    board.SetScore(2);
    board.SettleGame();
    EXPECT_EQ(2 - 5, board.Score());
    board.RecordBest();
    EXPECT_EQ(0, board.Best()) << "a negative score must not become the best";
    board.SetScore(9);
    board.RecordBest();
    EXPECT_EQ(9, board.Best());
}

TEST(GameBoardGameOver, FindsAnyEqualNeighbours)
{
    struct Case {
        std::vector<std::string> picture;
        bool over;
    };
    const Case cases[] = {
        /* 0 */ {{"1.", "2.", "1.", "2."}, true},
        /* 1 */ {{"1.", "1.", "2.", "1."}, false}, // vertical pair in the top two rows
        /* 2 */ {{"12", "21", "12"}, true},
        /* 3 */ {{"11", "21", "12"}, false},     // horizontal pair in the top row
        /* 4 */ {{"2.", "12", "21"}, true},      // columns of different heights
        /* 5 */ {{"..", ".."}, true},
        /* 6 */ {{"1"}, true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        RecordingBoard board;
        board.Load(cases[i].picture);
        EXPECT_EQ(cases[i].over, board.IsGameOver());
    }

    // A marked group compares equal to itself, so the game is never over meanwhile.
    RecordingBoard board;
    board.Load({"12",
                "11"});
    board.Select(TestDc, 0, 0);
    EXPECT_FALSE(board.IsGameOver());
}

TEST(GameBoardLayout, ZeroSidedBoardHasNoCells)
{
    struct Size {
        int columns;
        int rows;
    };
    const Size sizes[] = {{0, 0}, {0, 7}, {7, 0}, {-3, 5}, {5, -3}};
    for (const Size& size : sizes) {
        SCOPED_TRACE(std::to_string(size.columns) + "x" + std::to_string(size.rows));
        RecordingBoard board;
        EXPECT_TRUE(board.Resize(size.columns, size.rows, 3));
        EXPECT_EQ(std::max(size.columns, 0), board.Columns());
        EXPECT_EQ(std::max(size.rows, 0), board.Rows());
        ExpectEmptyBoardWorks(board);
    }
}

TEST(GameBoardLayout, BestResetByResizeNotByDeal)
{
    RecordingBoard board;
    ASSERT_TRUE(board.Resize(4, 3, 3));
    board.SetBest(50);
    board.SetScore(12);
    board.Deal();
    EXPECT_EQ(50, board.Best());
    EXPECT_EQ(0, board.Score());
    EXPECT_EQ(-1, board.SelectedColumn());
    EXPECT_EQ(-1, board.SelectedRow());
    board.Resize(4, 3, 3);
    EXPECT_EQ(0, board.Best());
}

TEST(GameBoardLayout, DealIsReproducibleAndUsesEveryColour)
{
    for (int colours = 1; colours <= 5; ++colours) {
        SCOPED_TRACE("colours " + std::to_string(colours));
        RecordingBoard board;
        board.Seed(99);
        ASSERT_TRUE(board.Resize(15, 15, colours));
        EXPECT_TRUE(board.changes.empty()) << "Deal must leave the repaint to the caller";
        const std::string first = board.Picture();
        std::vector<int> seen(colours + 1);
        for (int c = 0; c < 15; ++c) {
            for (int r = 0; r < 15; ++r) {
                const int v = board.Cell(c, r);
                ASSERT_TRUE(v >= 1 && v <= colours) << "cell (" << c << ", " << r << ") = " << v;
                ++seen[v];
            }
        }
        for (int v = 1; v <= colours; ++v)
            EXPECT_GT(seen[v], 0) << "colour " << v;
        board.Seed(99);
        board.Deal();
        EXPECT_EQ(first, board.Picture());
    }
}

TEST(GameBoardLayout, ColourCountOutsideCellRangeIsClamped)
{
    struct Case {
        int requested;
        int dealt;
    };
    const Case cases[] = {
        /* 0 */ {0, 1},
        /* 1 */ {-4, 1},
        /* 2 */ {127, 127},
        /* 3 */ {500, 127},
    };
    for (const Case& colours : cases) {
        SCOPED_TRACE("colours " + std::to_string(colours.requested));
        RecordingBoard board;
        ASSERT_TRUE(board.Resize(6, 6, colours.requested));
        EXPECT_EQ(colours.dealt, board.Colours());
        for (int c = 0; c < 6; ++c) {
            for (int r = 0; r < 6; ++r) {
                const int v = board.Cell(c, r);
                EXPECT_TRUE(v >= 1 && v <= colours.dealt) << "cell (" << c << ", " << r << ") = " << v;
            }
        }
    }
}

TEST(GameBoardLayout, FailedAllocationLeavesEmptyBoard)
{
    // 4 columns take the pointer array, then 4 column buffers and the scratch one.
    for (int succeeding = 0; succeeding <= 5; ++succeeding) {
        SCOPED_TRACE("allocations allowed " + std::to_string(succeeding));
        RecordingBoard board;
        board.Load({"11",
                    "22"});
        board.Select(TestDc, 0, 0);
        board.SetBest(8);
        board.changes.clear();
        {
            FailingAllocations failing(succeeding);
            EXPECT_FALSE(board.Resize(4, 3, 3));
        }
        EXPECT_EQ(0, board.Columns());
        EXPECT_EQ(0, board.Rows());
        EXPECT_EQ(0, board.Score());
        EXPECT_EQ(0, board.Best());
        EXPECT_EQ(3, board.Colours());
        ExpectEmptyBoardWorks(board);
        EXPECT_TRUE(board.Resize(4, 3, 3));
        EXPECT_EQ(12, board.CountPieces());
    }
}

TEST(GameBoardMarkGroup, TallSingleColourBoardDoesNotOverflow)
{
    RecordingBoard board(1);
    ASSERT_TRUE(board.Resize(30, 32, 1));
    board.Select(TestDc, 29, 31);
    EXPECT_EQ(960, board.MarkedCount());
    EXPECT_EQ(960u, board.changes.size());
    board.Select(TestDc, -1, -1);
    EXPECT_EQ(0, board.MarkedCount());
    board.Select(TestDc, 0, 0);
    board.RemoveMarked(TestDc);
    EXPECT_EQ(958 * 958, board.Score());
    EXPECT_EQ(0, board.CountPieces());
    EXPECT_TRUE(board.IsGameOver());
    board.SettleGame();
    EXPECT_EQ(958 * 958 + 30 * 32 * 5, board.Score());
}

// The oracle's copy of a board: plain values, indexed [column][row].
using Grid = std::vector<std::vector<int>>;

Grid Snapshot(const GameBoard& board)
{
    Grid grid(board.Columns(), std::vector<int>(board.Rows()));
    for (int c = 0; c < board.Columns(); ++c)
        for (int r = 0; r < board.Rows(); ++r)
            grid[c][r] = board.Cell(c, r);
    return grid;
}

// What a tap at (column, row) should leave, found by a plain flood fill.
Grid ExpectedAfterSelect(const Grid& before, int column, int row)
{
    const int columns = static_cast<int>(before.size());
    const int rows = columns == 0 ? 0 : static_cast<int>(before[0].size());
    const bool inside = column >= 0 && column < columns && row >= 0 && row < rows;
    if (inside && before[column][row] <= 0)
        return before;
    Grid grid = before;
    for (auto& line : grid)
        for (int& v : line)
            v = v < 0 ? -v : v;
    if (!inside)
        return grid;
    const int colour = grid[column][row];
    std::vector<Change> pending = {{column, row}}, group;
    grid[column][row] = -colour;
    while (!pending.empty()) {
        const auto [c, r] = pending.back();
        pending.pop_back();
        group.emplace_back(c, r);
        const Change around[] = {{c - 1, r}, {c + 1, r}, {c, r - 1}, {c, r + 1}};
        for (const auto& [nc, nr] : around) {
            if (nc >= 0 && nc < columns && nr >= 0 && nr < rows && grid[nc][nr] == colour) {
                grid[nc][nr] = -colour;
                pending.emplace_back(nc, nr);
            }
        }
    }
    if (group.size() < 2)
        grid[column][row] = colour;
    return grid;
}

// What removing the marked cells should leave: survivors keep their order, empty
// columns drop out, everything is packed towards the bottom left.
Grid ExpectedAfterRemove(const Grid& before)
{
    Grid grid(before.size(), std::vector<int>(before.empty() ? 0 : before[0].size()));
    std::size_t dest = 0;
    for (const auto& line : before) {
        std::size_t height = 0;
        for (int v : line)
            if (v > 0)
                grid[dest][height++] = v;
        if (height > 0)
            ++dest;
    }
    return grid;
}

// Checks that exactly the cells differing between the grids were reported, each once.
void ExpectReportsMatch(const Grid& before, const Grid& after, const Changes& changes)
{
    std::map<Change, int> counts;
    for (const Change& change : changes)
        ++counts[change];
    for (std::size_t c = 0; c < before.size(); ++c) {
        for (std::size_t r = 0; r < before[c].size(); ++r) {
            const int expected = before[c][r] != after[c][r] ? 1 : 0;
            const Change cell(static_cast<int>(c), static_cast<int>(r));
            EXPECT_EQ(expected, counts.count(cell) ? counts[cell] : 0)
                << "reports of cell (" << c << ", " << r << ")";
            counts.erase(cell);
        }
    }
    EXPECT_TRUE(counts.empty()) << "reports outside the grid";
}

bool HasEqualNeighbours(const Grid& grid)
{
    for (std::size_t c = 0; c < grid.size(); ++c)
        for (std::size_t r = 0; r < grid[c].size(); ++r) {
            const int v = grid[c][r];
            if (v != 0 && ((c + 1 < grid.size() && grid[c + 1][r] == v)
                           || (r + 1 < grid[c].size() && grid[c][r + 1] == v)))
                return true;
        }
    return false;
}

int CountMarked(const Grid& grid)
{
    int count = 0;
    for (const auto& line : grid)
        for (int v : line)
            count += v < 0 ? 1 : 0;
    return count;
}

TEST(GameBoardRandom, PlayedGamesMatchOracle)
{
    std::uint32_t seed = std::random_device{}();
    if (const char* fixed = std::getenv("PEBBLORA_SEED"))
        seed = static_cast<std::uint32_t>(std::strtoul(fixed, nullptr, 0));
    std::cout << "PEBBLORA_SEED=" << seed << "\n";
    SCOPED_TRACE("PEBBLORA_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);

    for (int game = 0; game < 150 && !::testing::Test::HasFailure(); ++game) {
        RecordingBoard board;
        board.Seed(random());
        const int columns = 1 + static_cast<int>(random() % 10);
        const int rows = 1 + static_cast<int>(random() % 10);
        ASSERT_TRUE(board.Resize(columns, rows, 2 + static_cast<int>(random() % 4)));
        for (int tap = 0; tap < 400 && !::testing::Test::HasFailure(); ++tap) {
            SCOPED_TRACE("game " + std::to_string(game) + " tap " + std::to_string(tap));
            const Grid before = Snapshot(board);
            EXPECT_EQ(!HasEqualNeighbours(before), board.IsGameOver());
            if (board.IsGameOver())
                break;
            const int column = static_cast<int>(random() % (columns + 2)) - 1;
            const int row = static_cast<int>(random() % (rows + 2)) - 1;
            const Grid selected = ExpectedAfterSelect(before, column, row);
            board.changes.clear();
            board.Select(TestDc, column, row);
            EXPECT_EQ(selected, Snapshot(board));
            EXPECT_EQ(CountMarked(selected), board.MarkedCount());
            ExpectReportsMatch(before, selected, board.changes);
            if (random() % 4 == 0)
                continue; // leave the marking for the next tap to replace or keep

            const int marked = board.MarkedCount();
            const int score = board.Score();
            const Grid removed = marked == 0 ? selected : ExpectedAfterRemove(selected);
            board.changes.clear();
            board.RemoveMarked(TestDc);
            EXPECT_EQ(removed, Snapshot(board));
            ExpectReportsMatch(selected, removed, board.changes);
            EXPECT_EQ(score + (marked == 0 ? 0 : (marked - 2) * (marked - 2)), board.Score());
            EXPECT_EQ(0, board.MarkedCount());
        }
    }
}

} // namespace
