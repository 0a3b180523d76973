// Drawing the board and the score band.
#include "game/boardpainter.h"

#include <algorithm>
#include <cwchar>

#include "framework/appvalues.h"
#include "resources/resource.h"

SkinDescription SkinInfo;

namespace {

constexpr int kBestX = 2;
constexpr int kScoreX = 160;
constexpr int kBandY = 2;

// The cursor's frame: a black ring with a white ring inside it, so that one
// of the two stands out against any piece or background. Each is a sixteenth
// of the cell wide, and at least one 96-dpi pixel, so that small cells on a
// dense screen keep a frame the eye finds.
void DrawCursorFrame(HDC dc, int x, int y, int width, int height) {
    const int ring = std::max(std::max(1, ScaleX(1)), width / 16);
    const DWORD inks[] = {BLACKNESS, WHITENESS};
    for (int i = 0; i < 2; ++i) {
        const int inset = i * ring;
        const int w = width - 2 * inset, h = height - 2 * inset;
        if (w <= 0 || h <= 0) return;
        PatBlt(dc, x + inset, y + inset, w, ring, inks[i]);
        PatBlt(dc, x + inset, y + inset + h - ring, w, ring, inks[i]);
        PatBlt(dc, x + inset, y + inset, ring, h, inks[i]);
        PatBlt(dc, x + inset + w - ring, y + inset, ring, h, inks[i]);
    }
}

}  // namespace

DigitFont::DigitFont(UINT bitmapId, int width, int height, const wchar_t* chars)
    : strip(static_cast<HBITMAP>(
          LoadImageW(AppInstance, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))),
      glyphWidth(width),
      glyphHeight(height),
      characters(chars) {}

void DigitFont::KeepSelected() {
    if (glyphs || !strip) return;
    glyphs = FMemoryDC(nullptr);
    glyphs.SelectBitmap(strip.Get());
}

void DrawDigits(const DigitFont& font, HDC dc, int x, int y, const wchar_t* text) {
    if (!font.strip) return;
    FMemoryDC temporary;
    HDC source = font.glyphs.Get();
    if (!source) {
        temporary = FMemoryDC(dc);
        if (!temporary) return;
        temporary.SelectBitmap(font.strip.Get());
        source = temporary.Get();
    }
    for (const wchar_t* p = text; *p; ++p, x += font.glyphWidth) {
        const wchar_t* found = std::wcschr(font.characters, *p);
        if (!found) continue;
        const int index = static_cast<int>(found - font.characters);
        BitBlt(dc, x, y, font.glyphWidth, font.glyphHeight, source, index * font.glyphWidth, 0, SRCCOPY);
    }
}

namespace {

void DrawScoreWith(const DigitFont& font, HDC dc, int x, int y, int value) {
    wchar_t text[16];
    wsprintfW(text, L"%06d", value);
    DrawDigits(font, dc, x, y, text);
}

}  // namespace

void DrawScore(HDC dc, int x, int y, int value) {
    DigitFont font(IDB_DIGITS, kDigitWidth, kDigitHeight, kDigitCharacters);
    DrawScoreWith(font, dc, x, y, value);
}

BoardPainter::BoardPainter() : GameBoard(5) {}

BoardPainter::~BoardPainter() {
    pieceDC.DeselectBitmap();
    backgroundDC.DeselectBitmap();
}

void BoardPainter::CellChanged(DrawContext context, int column, int row) {
    HDC dc = static_cast<HDC>(context);
    const int v = Cell(column, row);
    const int x = left + column * cellWidth;
    const int y = bottom - (row + 1) * cellHeight;
    if (v == 0) {
        BitBlt(dc, x, y, cellWidth, cellHeight, backgroundDC.Get(), column * cellWidth,
               (layoutRows - row) * cellHeight, SRCCOPY);
    } else if (v > 0) {
        BitBlt(dc, x, y, cellWidth, cellHeight, pieceDC.Get(), (v - 1) * cellWidth, 0, SRCCOPY);
    } else {
        BitBlt(dc, x, y, cellWidth, cellHeight, pieceDC.Get(), (-v - 1) * cellWidth, cellHeight, SRCCOPY);
    }
    if (cursorShown && column == cursor.column && row == cursor.row) DrawCursorFrame(dc, x, y, cellWidth, cellHeight);
}

void BoardPainter::MoveCursor(DrawContext dc, CursorCell to) {
    const CursorCell from = cursor;
    const bool wasShown = cursorShown;
    cursor = to;
    cursorShown = true;
    if (wasShown && !(from == to)) CellChanged(dc, from.column, from.row);
    CellChanged(dc, to.column, to.row);
}

void BoardPainter::ShowCursor(DrawContext dc, bool show) {
    if (cursorShown == show) return;
    cursorShown = show;
    CellChanged(dc, cursor.column, cursor.row);
}

void BoardPainter::ScoreChanged(DrawContext context) {
    HDC dc = static_cast<HDC>(context);
    if (scoreDigits) {
        DrawScoreWith(*scoreDigits, dc, kBestX, kBandY, Best());
        DrawScoreWith(*scoreDigits, dc, kScoreX, kBandY, Score());
        return;
    }
    DrawScore(dc, kBestX, kBandY, Best());
    DrawScore(dc, kScoreX, kBandY, Score());
}

void BoardPainter::CellAt(int x, int y, int& column, int& row) const {
    if (cellWidth <= 0 || cellHeight <= 0) {
        column = row = -1;
        return;
    }
    const unsigned int c = static_cast<unsigned int>(x - left) / static_cast<unsigned int>(cellWidth);
    const unsigned int r = static_cast<unsigned int>(bottom - y) / static_cast<unsigned int>(cellHeight);
    // Anything beyond the int range is outside every grid.
    column = c > 0x7FFFFFFFu ? -1 : static_cast<int>(c);
    row = r > 0x7FFFFFFFu ? -1 : static_cast<int>(r);
}
