// The board on screen: cells and the score band drawn from off-screen
// bitmaps, and the bitmap digits used for every score.
#pragma once

#include <windows.h>

#include <optional>

#include "framework/gdi.h"
#include "framework/paths.h"
#include "framework/window.h"
#include "game/boardcursor.h"
#include "game/gameboard.h"

// The skin the next layout uses. Filled by the skin loader, read by the layout.
struct SkinDescription {
    wchar_t piecePath[kMaxPath] = L"";
    wchar_t backgroundPath[kMaxPath] = L"";
    int colours = 4;
};
extern SkinDescription SkinInfo;

// Glyph size and characters of the score digits (bitmap 1004). The strip has
// a minus glyph after the ten digits, so negative scores read correctly.
inline constexpr int kDigitWidth = 13;
inline constexpr int kDigitHeight = 20;
inline constexpr const wchar_t* kDigitCharacters = L"0123456789-";

// A strip of equally wide glyphs, one per character of `characters`.
class DigitFont : public FObject {
public:
    // Loads bitmap resource `bitmapId`; the font owns it.
    DigitFont(UINT bitmapId, int glyphWidth, int glyphHeight, const wchar_t* characters);

    // Selects the strip into a memory context of the font's own, so that
    // every later draw is block copies only. For a font that is kept and
    // drawn often (the score band); a font made for one draw need not.
    void KeepSelected();

    FBitmap strip;
    int glyphWidth;
    int glyphHeight;
    const wchar_t* characters;
    // Declared after the strip: the context gives the strip back before the
    // strip is deleted.
    FMemoryDC glyphs;
};

// Draws `text` at (x, y), one glyph cell per character; a character without
// a glyph leaves its cell as it was.
void DrawDigits(const DigitFont& font, HDC dc, int x, int y, const wchar_t* text);

// Draws `value` as "%06d" at (x, y) with the score digits.
void DrawScore(HDC dc, int x, int y, int value);

// The game view window; its messages are handled by the main window.
class BoardView : public FWindow {};

// The concrete board: knows where cells are on the view and draws them.
class BoardPainter : public GameBoard {
public:
    BoardPainter();
    // Gives the bitmaps back to their owners before the contexts go.
    ~BoardPainter() override;

    // Copies one cell's block from the piece strip or the background layer,
    // and the cursor's frame over it when the cursor is shown there.
    void CellChanged(DrawContext dc, int column, int row) override;
    // Draws best and current score.
    void ScoreChanged(DrawContext dc) override;

    // The cell under a view position, as unsigned divisions: positions left
    // of or below the grid become huge and so fall outside it.
    void CellAt(int x, int y, int& column, int& row) const;

    // Puts the cursor on `to` and shows it, redrawing only the cell it
    // leaves and the cell it lands on.
    void MoveCursor(DrawContext dc, CursorCell to);
    // Shows or hides the cursor where it stands, redrawing that one cell.
    void ShowCursor(DrawContext dc, bool show);
    // The cursor back at the start, the bottom left, for a new deal or
    // layout; drawing is left to the repaint that follows those.
    void ResetCursor() { cursor = {}; }

    // Places a value without drawing it, to set up a known position; the
    // caller keeps the packing invariants and repaints the view.
    using GameBoard::SetCell;

    CursorCell cursor;
    bool cursorShown = false;
    int left = 0;
    int bottom = 0;
    int cellWidth = 0;
    int cellHeight = 0;
    int layoutColumns = 0;
    int layoutRows = 0;
    BoardView view;
    FMemoryDC pieceDC;
    FMemoryDC backgroundDC;
    FBitmap pieceBitmap;
    FBitmap backgroundLayer;
    // The score digits, loaded by the layout and kept while it stands, so
    // that a move's band costs a few block copies; empty before the first
    // layout, when the band loads them for each draw.
    std::optional<DigitFont> scoreDigits;
};
