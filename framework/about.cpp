// The About sheet: identity, memory and battery pages.
#include "framework/about.h"

#include <cwchar>
#include <iterator>

#include "framework/appvalues.h"
#include "framework/language.h"
#include "platform/cestatus.h"
#include "resources/resource.h"

namespace {

constexpr COLORREF kLabelColour = RGB(0, 0, 139);
constexpr int kSemiBold = 600;
constexpr int kTextUnits = MAX_PATH;

// Block layout (96-dpi lengths from the block's origin).
constexpr int kIconTop = 4;
constexpr int kGaugeLeft = 40;
constexpr int kGaugeTop = 14;
constexpr int kGaugeWidth = 160;
constexpr int kGaugeHeight = 16;
constexpr int kBytesTop = 30;
constexpr int kBytesBottom = 42;
constexpr int kBytesMiddle = 120;
constexpr int kBlockRight = 200;
constexpr int kLabelBottom = 14;

// Page layout.
constexpr int kBlockLeft = 4;
constexpr int kProgramMemoryTop = 4;
constexpr int kDataMemoryTop = 52;
constexpr int kFirstCardTop = 100;
constexpr int kCardSpacing = 50;
constexpr int kMainBatteryTop = 4;
constexpr int kBackupBatteryTop = 46;

constexpr int kLevelCount = static_cast<int>(std::size(kAboutLevelColumns));

// The first application string and the static that shows it; six follow.
constexpr UINT kAppStringCount = 6;

// The gauge reading for a share of `percent` (0 to 100): level p div 25.
GaugeReading ShareReading(int percent, const wchar_t* label) {
    int level = percent / 25;
    if (level >= kLevelCount) level = kLevelCount - 1;
    return GaugeReading{percent, kAboutLevelColumns[level], label};
}

// Text pairs of the battery states.
const wchar_t* StateUnknown() { return ByLanguage(L"Unknown", L"不明"); }

// Draws the block's icon at (x, y + 4), fitted to the system icon size.
void DrawBlockIcon(HDC dc, int x, int y, int iconId) {
    const int width = GetSystemMetrics(SM_CXICON);
    const int height = GetSystemMetrics(SM_CYICON);
    FIcon icon(static_cast<HICON>(
        LoadImageW(AppInstance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, width, height, LR_DEFAULTCOLOR)));
    if (!icon) return;
    FitIcon(icon.Ref(), width, height);
    DrawIconEx(dc, ScaleX(x), ScaleY(y + kIconTop), icon.Get(), 0, 0, 0, nullptr, DI_NORMAL);
}

// Draws `text` in the 96-dpi rectangle (left, top, right, bottom) with the
// label font of `weight`, in `colour`, over the background as it is.
void DrawBlockText(HDC dc, int left, int top, int right, int bottom, const wchar_t* text, UINT format,
                   int weight, COLORREF colour) {
    FFont font;
    if (!MakeFont(font, -ScaleY(12), weight, 0, nullptr)) return;
    FSaveDC state(dc);
    SelectObject(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    RECT place{ScaleX(left), ScaleY(top), ScaleX(right), ScaleY(bottom)};
    DrawTextW(dc, text, -1, &place, format | DT_NOPREFIX);
}

// The block's label in dark blue and semi-bold above its gauge.
void DrawBlockLabel(HDC dc, int x, int y, const wchar_t* label) {
    if (!label) return;
    DrawBlockText(dc, x + kGaugeLeft, y, x + kBlockRight, y + kLabelBottom, label,
                  DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS, kSemiBold, kLabelColour);
}

void DrawBlockGauge(HDC dc, int x, int y, const GaugeReading& gauge) {
    DrawGauge(dc, ScaleX(x + kGaugeLeft), ScaleY(y + kGaugeTop), ScaleX(kGaugeWidth), ScaleY(kGaugeHeight),
              gauge.column, gauge.value, gauge.label);
}

// Closes a search of the device root when it goes.
class RootSearch {
public:
    explicit RootSearch(WIN32_FIND_DATAW& data) : find_(ce::FindFirstFileW(L"\\*.*", &data)) {}
    ~RootSearch() {
        if (find_ != INVALID_HANDLE_VALUE) ce::FindClose(find_);
    }
    RootSearch(const RootSearch&) = delete;
    RootSearch& operator=(const RootSearch&) = delete;

    bool Found() const { return find_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAW& data) { return ce::FindNextFileW(find_, &data) != FALSE; }

private:
    HANDLE find_;
};

// The power status with every field unknown, as a failed query leaves it.
ce::SYSTEM_POWER_STATUS_EX UnknownPowerStatus() {
    ce::SYSTEM_POWER_STATUS_EX status{};
    status.ACLineStatus = ce::kPowerUnknown;
    status.BatteryFlag = ce::kPowerUnknown;
    status.BatteryLifePercent = ce::kPowerUnknown;
    status.BackupBatteryFlag = ce::kPowerUnknown;
    status.BackupBatteryLifePercent = ce::kPowerUnknown;
    return status;
}

}  // namespace

// ---- What the gauges show ---------------------------------------------------------------

GaugeReading ReadMemoryGauge(const MemoryFigures& figures) {
    if (!figures.known) return GaugeReading{kGaugeNoFill, kAboutLevelColumns[0], StateUnknown()};
    // A total of 0 has no share, and more free than in total is no share
    // either: the gauge stays empty rather than showing a made-up figure.
    if (figures.totalBytes == 0 || figures.freeBytes > figures.totalBytes)
        return GaugeReading{kGaugeNoFill, kAboutLevelColumns[0], nullptr};
    const double percent = static_cast<double>(figures.freeBytes) * 100.0 / static_cast<double>(figures.totalBytes);
    return ShareReading(static_cast<int>(percent), nullptr);
}

GaugeReading ReadBatteryGauge(BYTE percent, BYTE flag) {
    if (percent != ce::kPowerUnknown) {
        // Above 100 the gauge fills nothing and shows no figure.
        if (percent > 100) return GaugeReading{percent, kAboutLevelColumns[0], nullptr};
        return ShareReading(percent, nullptr);
    }
    switch (flag) {
    case BATTERY_FLAG_HIGH: return GaugeReading{100, kAboutLevelColumns[4], ByLanguage(L"High", L"多い")};
    case BATTERY_FLAG_LOW: return GaugeReading{25, kAboutLevelColumns[1], ByLanguage(L"Low", L"少ない")};
    case BATTERY_FLAG_CRITICAL: return GaugeReading{10, kAboutLevelColumns[0], ByLanguage(L"Critical", L"極少")};
    case BATTERY_FLAG_CHARGING: return GaugeReading{0, kAboutLevelColumns[0], ByLanguage(L"Charging", L"充電中")};
    case BATTERY_FLAG_NO_BATTERY: return GaugeReading{0, kAboutLevelColumns[0], ByLanguage(L"None", L"なし")};
    case BATTERY_FLAG_UNKNOWN: return GaugeReading{0, kAboutLevelColumns[0], StateUnknown()};
    default:
        // Combined flags name no single state.
        return GaugeReading{kGaugeNoFill, kAboutLevelColumns[0], nullptr};
    }
}

// ---- Byte counts ------------------------------------------------------------------------

wchar_t* FormatLargeByteSize(ULONGLONG bytes, wchar_t* buffer, int units) {
    if (!buffer || units <= 0) return buffer;
    if (bytes <= 0xFFFFFFFFull) return FormatByteSize(static_cast<DWORD>(bytes), buffer, units);
    // Tenths in steps of 100 MB, truncated, the last step shown as 9, as
    // FormatByteSize counts its tenths of KB and MB.
    constexpr ULONGLONG kGiga = 1ull << 30;
    constexpr ULONGLONG kTenth = 100ull << 20;
    unsigned tenths = static_cast<unsigned>((bytes % kGiga) / kTenth);
    if (tenths > 9) tenths = 9;
    int written = std::swprintf(buffer, static_cast<size_t>(units), L"%llu.%u GB",
                                static_cast<unsigned long long>(bytes / kGiga), tenths);
    if (written < 0 || written >= units) buffer[units - 1] = L'\0';
    return buffer;
}

// ---- Blocks --------------------------------------------------------------------------------

void DrawMemoryBlock(HDC dc, int x, int y, const MemoryFigures& figures, int iconId, const wchar_t* label) {
    DrawBlockIcon(dc, x, y, iconId);
    DrawBlockGauge(dc, x, y, ReadMemoryGauge(figures));
    if (figures.known) {
        wchar_t text[kLargeByteSizeUnits];
        DrawBlockText(dc, x + kGaugeLeft, y + kBytesTop, x + kBytesMiddle, y + kBytesBottom,
                      FormatLargeByteSize(figures.freeBytes, text, kLargeByteSizeUnits), DT_LEFT | DT_SINGLELINE, 0,
                      RGB(0, 0, 0));
        DrawBlockText(dc, x + kBytesMiddle, y + kBytesTop, x + kBlockRight, y + kBytesBottom,
                      FormatLargeByteSize(figures.totalBytes, text, kLargeByteSizeUnits), DT_RIGHT | DT_SINGLELINE, 0,
                      RGB(0, 0, 0));
    }
    DrawBlockLabel(dc, x, y, label);
}

void DrawBatteryBlock(HDC dc, int x, int y, BYTE percent, BYTE flag, int iconId, const wchar_t* label) {
    DrawBlockIcon(dc, x, y, iconId);
    DrawBlockGauge(dc, x, y, ReadBatteryGauge(percent, flag));
    DrawBlockLabel(dc, x, y, label);
}

// ---- Pages -----------------------------------------------------------------------------------

MemoryFigures ReadProgramMemory() {
    MEMORYSTATUS status{};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    return MemoryFigures{status.dwAvailPhys, status.dwTotalPhys, true};
}

MemoryFigures ReadDataMemory() {
    ce::STORE_INFORMATION store{};
    if (!ce::GetStoreInformation(&store)) return MemoryFigures{};
    return MemoryFigures{store.dwFreeSize, store.dwStoreSize, true};
}

CardBlockList ListCardBlocks() {
    CardBlockList cards;
    WIN32_FIND_DATAW data{};
    RootSearch search(data);
    if (!search.Found()) return cards;
    constexpr DWORD kCardAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_TEMPORARY;
    int y = kFirstCardTop;
    do {
        if ((data.dwFileAttributes & kCardAttributes) != kCardAttributes) continue;
        // Room for the root's backslash before the longest name a search returns.
        wchar_t path[1 + MAX_PATH] = L"\\";
        lstrcpynW(path + 1, data.cFileName, MAX_PATH);
        ULARGE_INTEGER total{};
        ULARGE_INTEGER totalFree{};
        if (!ce::GetDiskFreeSpaceExW(path, nullptr, &total, &totalFree)) continue;
        CardBlock card{};
        lstrcpynW(card.name, data.cFileName, MAX_PATH);
        card.figures = MemoryFigures{totalFree.QuadPart, total.QuadPart, true};
        card.x = kBlockLeft;
        card.y = y;
        cards.push_back(card);
        y += kCardSpacing;
    } while (search.Next(data));
    return cards;
}

void PaintMemoryPage(HDC dc) {
    DrawMemoryBlock(dc, kBlockLeft, kProgramMemoryTop, ReadProgramMemory(), IDI_MEMORY,
                    ByLanguage(L"Rest of program memory", L"空きﾌﾟﾛｸﾞﾗﾑ実行用ﾒﾓﾘ"));
    DrawMemoryBlock(dc, kBlockLeft, kDataMemoryTop, ReadDataMemory(), IDI_MEMORY,
                    ByLanguage(L"Rest of data memory", L"空きﾃﾞｰﾀ記憶用ﾒﾓﾘ"));
    for (const CardBlock& card : ListCardBlocks())
        DrawMemoryBlock(dc, card.x, card.y, card.figures, IDI_STORAGE_CARD, card.name);
}

void PaintBatteryPage(HDC dc) {
    ce::SYSTEM_POWER_STATUS_EX status = UnknownPowerStatus();
    if (!ce::GetSystemPowerStatusEx(&status, FALSE)) status = UnknownPowerStatus();
    DrawBatteryBlock(dc, kBlockLeft, kMainBatteryTop, status.BatteryLifePercent, status.BatteryFlag, IDI_BATTERY,
                     ByLanguage(L"Main Battery", L"ﾒｲﾝﾊﾞｯﾃﾘ"));
    DrawBatteryBlock(dc, kBlockLeft, kBackupBatteryTop, status.BackupBatteryLifePercent, status.BackupBatteryFlag,
                     IDI_BATTERY, ByLanguage(L"Backup Battery", L"ﾊﾞｯｸｱｯﾌﾟﾊﾞｯﾃﾘ"));
}

// ---- The sheet's pages -------------------------------------------------------------------------

INT_PTR FAboutApp::OnInitDialog(HWND hwnd, UINT, WPARAM, LPARAM) {
    for (UINT i = 0; i < kAppStringCount; ++i) {
        wchar_t text[kTextUnits];
        if (LoadStringW(AppInstance, IDS_APP_TITLE + i, text, kTextUnits) > 0)
            SetDlgItemTextW(hwnd, IDC_ABOUT_TITLE + static_cast<int>(i), text);
    }
    return TRUE;
}

INT_PTR FAboutMemory::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
    FPaintDC paint(hwnd);
    if (paint.dc) PaintMemoryPage(paint.dc);
    return TRUE;
}

INT_PTR FAboutBattery::OnPaint(HWND hwnd, UINT, WPARAM, LPARAM) {
    FPaintDC paint(hwnd);
    if (paint.dc) PaintBatteryPage(paint.dc);
    return TRUE;
}

// ---- The sheet -------------------------------------------------------------------------------------

INT_PTR ShowAboutBox(HWND owner) {
    FAboutSheet sheet;
    AddPage(sheet.app, sheet, ByLanguage(L"FAboutApp_E", L"FAboutApp_J"));
    AddPage(sheet.memory, sheet, ByLanguage(L"FAboutMemory_E", L"FAboutMemory_J"));
    AddPage(sheet.battery, sheet, ByLanguage(L"FAboutBattery_E", L"FAboutBattery_J"));
    return ShowSheet(sheet, owner, PSH_NOAPPLYNOW, ByLanguage(L"About...", L"ﾊﾞｰｼﾞｮﾝ情報..."));
}
