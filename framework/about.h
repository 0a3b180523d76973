// The About box: a full-screen property sheet with the application's
// identity, the device's free memory and the state of its batteries.
//
// The memory and battery pages have no controls: they paint labelled
// gauges, reading the system's values each time they paint. The drawing of
// the pages and of their blocks is open to callers so that it can be done
// into any device context. Block origins and every length inside a block are
// 96-dpi lengths; the drawing scales them with ScaleX and ScaleY.
#pragma once

#include <windows.h>

#include "framework/allocator.h"
#include "framework/dialog.h"
#include "framework/gdi.h"

// ---- What the gauges show -------------------------------------------------------

// Gauge strip column for each level 0 to 4: red, orange, green, light blue,
// light blue.
inline constexpr int kAboutLevelColumns[5] = {kGaugeRed, kGaugeOrange, kGaugeGreen, kGaugeLightBlue,
                                              kGaugeLightBlue};

// Gauge values above this fill nothing and show no percentage.
inline constexpr int kGaugeNoFill = 255;

// One gauge: the filled percentage (above 100: nothing filled), the strip
// column of the fill, and the text on it (null: "value%").
struct GaugeReading {
    int value;
    int column;
    const wchar_t* label;
};

// The free and total bytes of one memory block. `known` is false when the
// query failed; the block then shows an empty gauge labelled "Unknown" and no
// byte counts.
struct MemoryFigures {
    ULONGLONG freeBytes = 0;
    ULONGLONG totalBytes = 0;
    bool known = false;
};

// The free share of a memory block, from the full 64-bit counts: level
// p div 25 for p up to 100 percent. A total of 0, or a free count above the
// total, has no share: the gauge stays empty, without a percentage.
GaugeReading ReadMemoryGauge(const MemoryFigures& figures);

// A battery at `percent` (255: unknown) with `flag` (BATTERY_FLAG_*). An
// unknown percent shows the state of a single flag (high, low, critical,
// charging, no battery, unknown) and any other flag value an empty gauge
// without text; a known one fills by the percent, up to 100.
GaugeReading ReadBatteryGauge(BYTE percent, BYTE flag);

// ---- Byte counts ------------------------------------------------------------------

// Units enough for FormatLargeByteSize, terminator included.
inline constexpr int kLargeByteSizeUnits = 24;

// As FormatByteSize up to 0xFFFFFFFF bytes; above, "g.t GB" with the tenths
// truncated, so that cards over 4 GB read as what they are. Returns `buffer`.
wchar_t* FormatLargeByteSize(ULONGLONG bytes, wchar_t* buffer, int units);

// ---- Blocks and pages ----------------------------------------------------------------

// A block of the memory page: icon, gauge, free bytes on the left and total
// bytes on the right under it, and the label in dark blue above it.
void DrawMemoryBlock(HDC dc, int x, int y, const MemoryFigures& figures, int iconId, const wchar_t* label);

// A block of the battery page: icon, gauge with the state, and the label.
void DrawBatteryBlock(HDC dc, int x, int y, BYTE percent, BYTE flag, int iconId, const wchar_t* label);

// Program memory: the physical memory free and in total.
MemoryFigures ReadProgramMemory();
// Data memory: the object store's free space and size.
MemoryFigures ReadDataMemory();

// A mounted storage card and the origin of its block on the memory page.
struct CardBlock {
    wchar_t name[MAX_PATH];  // the card's folder name in the device root
    MemoryFigures figures;
    int x;
    int y;
};
using CardBlockList = FList<CardBlock>;

// The cards of the device root in the order the file system lists them:
// folders with the temporary attribute whose free space can be asked. The
// first block is at (4, 100), each next one 50 lower; a card whose query
// fails takes no place.
CardBlockList ListCardBlocks();

// The whole memory page: program memory at (4, 4), data memory at (4, 52),
// then the cards.
void PaintMemoryPage(HDC dc);
// The whole battery page: main battery at (4, 4), backup battery at (4, 46).
// A failed power query shows both as unknown.
void PaintBatteryPage(HDC dc);

// ---- The sheet ----------------------------------------------------------------------

// The application's identity: strings 101 to 106, as far as they exist,
// into the statics 11901 to 11906.
class FAboutApp : public FPropPage {
public:
    INT_PTR OnInitDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Program memory, data memory and the storage cards.
class FAboutMemory : public FPropPage {
public:
    // Paints the page; returns TRUE.
    INT_PTR OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Main and backup battery.
class FAboutBattery : public FPropPage {
public:
    // Paints the page; returns TRUE.
    INT_PTR OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The sheet and its three pages, in tab order.
class FAboutSheet : public FPropSheet {
public:
    FAboutApp app;
    FAboutMemory memory;
    FAboutBattery battery;
};

// Shows the About sheet modally over `owner`, in the interface language,
// and returns when it closes with what ShowSheet returned. A page whose
// template is missing is reported and left out.
INT_PTR ShowAboutBox(HWND owner);
