// The percentage gauge, drawn from the colour strip of bitmap 103.
#include <shlwapi.h>

#include <iterator>

#include "framework/appvalues.h"
#include "framework/gdi.h"
#include "resources/resource.h"

namespace {

// Stretches column `column` of the strip selected in `source` (all its rows)
// over the rectangle (x, y, width, height) of `dc`.
void StretchStripColumn(HDC dc, int x, int y, int width, int height, HDC source, int column,
                        int stripHeight) {
    StretchBlt(dc, x, y, width, height, source, column, 0, 1, stripHeight, SRCCOPY);
}

// Draws the strip part of the gauge: grey everywhere, then the level colour
// over the filled share. Draws nothing when the strip cannot be loaded.
void DrawGaugeStrip(HDC dc, int x, int y, int width, int height, int level, int value) {
    FBitmap strip(LoadBitmapW(AppInstance, MAKEINTRESOURCEW(IDB_GAUGE)));
    BITMAP size{};
    if (!strip || !GetObjectW(strip.Get(), sizeof size, &size)) return;
    FMemoryDC source(dc);
    if (!source) return;
    source.SelectBitmap(strip.Get());

    StretchStripColumn(dc, x, y, width, height, source.Get(), kGaugeEmpty, size.bmHeight);
    // Values outside 0 to 100 fill nothing: below 0 the share would be a
    // negative width, which StretchBlt takes as a mirrored copy to the left
    // of the gauge. A level column outside the strip has no colour to give.
    if (value < 0 || value > 100 || level < 0 || level >= size.bmWidth) return;
    const int filled = static_cast<int>(static_cast<long long>(width) * value / 100);
    if (filled > 0) StretchStripColumn(dc, x, y, filled, height, source.Get(), level, size.bmHeight);
}

// Draws `text` centred on one line: white one pixel right and down, then
// black in place, a light shadow under dark text.
void DrawGaugeLabel(HDC dc, int x, int y, int width, int height, const wchar_t* text) {
    constexpr UINT kFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    SetBkMode(dc, TRANSPARENT);
    RECT shadow{x + 1, y + 1, x + width + 1, y + height + 1};
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, text, -1, &shadow, kFormat);
    RECT place{x, y, x + width, y + height};
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, text, -1, &place, kFormat);
}

}  // namespace

void DrawGauge(HDC dc, int x, int y, int width, int height, int level, int value,
               const wchar_t* label) {
    // Declared before the saved state so that the state, which deselects
    // the font, is restored before the font is deleted.
    FFont font;
    FSaveDC state(dc);
    // The strip is shrunk to the gauge's height: keep whole rows rather than
    // the default AND of dropped rows, which darkens colours.
    SetStretchBltMode(dc, COLORONCOLOR);
    DrawGaugeStrip(dc, x, y, width, height, level, value);

    wchar_t percent[16];
    const wchar_t* text = label;
    if (!text && value <= 100) {
        wnsprintfW(percent, static_cast<int>(std::size(percent)), L"%d%%", value);
        text = percent;
    }
    if (!text) return;
    if (MakeFont(font, -ScaleY(12), 0, 0, nullptr)) SelectObject(dc, font.Get());
    DrawGaugeLabel(dc, x, y, width, height, text);
}
