#include "framework/gdi.h"

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "framework/appvalues.h"
#include "resources/resource.h"

namespace {

constexpr COLORREF kSentinel = RGB(0x66, 0x06, 0x66);
constexpr COLORREF kMagenta = RGB(255, 0, 255);

std::string Hex(COLORREF c) {
    char text[16];
    wsprintfA(text, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

// A picture held in a memory context, read pixel by pixel; owns the bitmap.
class Surface {
public:
    explicit Surface(HBITMAP picture) : dc_(nullptr), bitmap_(picture) {
        BITMAP size{};
        GetObjectW(picture, sizeof size, &size);
        width_ = size.bmWidth;
        height_ = size.bmHeight;
        dc_.SelectBitmap(picture);
    }
    // A blank 24-bit surface of one colour.
    Surface(int width, int height, COLORREF fill) : Surface(MakeBlank(width, height)) {
        FBrush brush(CreateSolidBrush(fill));
        RECT all{0, 0, width, height};
        FillRect(dc_.Get(), &all, brush.Get());
    }
    ~Surface() { dc_.DeselectBitmap(); }

    HDC Dc() const { return dc_.Get(); }
    COLORREF At(int x, int y) const { return GetPixel(dc_.Get(), x, y); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The colours of a block, row by row.
    std::vector<COLORREF> Block(int x, int y, int width, int height) const {
        std::vector<COLORREF> out;
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i) out.push_back(At(x + i, y + j));
        return out;
    }

private:
    static HBITMAP MakeBlank(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }

    FMemoryDC dc_;
    FBitmap bitmap_;
    int width_;
    int height_;
};

HBITMAP LoadPicture(int id) {
    return static_cast<HBITMAP>(LoadImageW(AppInstance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0,
                                           LR_CREATEDIBSECTION));
}

class Drawing : public ::testing::Test {
protected:
    void SetUp() override { AppInstance = GetModuleHandleW(nullptr); }
};

// ---- Byte sizes ---------------------------------------------------------------------

// An output buffer followed by units no formatter may write.
struct GuardedText {
    static constexpr int kGuard = 8;
    wchar_t text[kByteSizeUnits];
    wchar_t guard[kGuard];
    GuardedText() {
        for (wchar_t& c : text) c = 0x6666;
        for (wchar_t& c : guard) c = 0x6666;
    }
    bool GuardIntact() const {
        for (wchar_t c : guard)
            if (c != 0x6666) return false;
        return true;
    }
};

TEST(ByteSize, FollowsTheUnitTableWithTruncatedTenths) {
    struct Case { DWORD bytes; const wchar_t* expected; };
    const Case cases[] = {
        /* 0 */ {0, L"0 B"},
        /* 1 */ {1023, L"1023 B"},
        /* 2 */ {1024, L"1.0 KB"},
        /* 3 */ {1500, L"1.4 KB"},
        /* 4 */ {2047, L"1.9 KB"},          // remainder 1023: ten steps, shown as 9
        /* 5 */ {1048575, L"1023.9 KB"},
        /* 6 */ {1048576, L"1.0 MB"},
        /* 7 */ {3 * 1048576 + 524288, L"3.5 MB"},
        /* 8 */ {2097151, L"1.9 MB"},
        /* 9 */ {0xFFFFFFFF, L"4095.9 MB"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        GuardedText out;
        wchar_t* result = FormatByteSize(cases[i].bytes, out.text);
        EXPECT_EQ(out.text, result) << "case " << i;
        EXPECT_EQ(std::wstring(cases[i].expected), std::wstring(out.text)) << "case " << i;
        EXPECT_TRUE(out.GuardIntact()) << "case " << i;
    }
}

TEST(ByteSize, SmallBufferIsCutAndTerminated) {
    GuardedText out;
    FormatByteSize(1023, out.text, 4);
    EXPECT_EQ(std::wstring(L"102"), std::wstring(out.text));
    for (int i = 4; i < kByteSizeUnits; ++i) EXPECT_EQ(0x6666, out.text[i]) << "unit " << i;

    GuardedText untouched;
    EXPECT_EQ(untouched.text, FormatByteSize(5, untouched.text, 0));
    EXPECT_EQ(0x6666, untouched.text[0]);
}

// ---- Fonts ----------------------------------------------------------------------------

TEST(Font, TemplateCharsetFollowsLanguage) {
    const bool saved = LangJapanese;
    for (bool japanese : {false, true}) {
        LangJapanese = japanese;
        LOGFONTW expected{};
        expected.lfCharSet = japanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
        LOGFONTW made = MakeFontTemplate();
        EXPECT_EQ(0, memcmp(&expected, &made, sizeof made)) << "japanese " << japanese;

        FFont font;
        ASSERT_NE(nullptr, MakeFont(font, -14, FW_SEMIBOLD, VARIABLE_PITCH, nullptr));
        LOGFONTW read{};
        ASSERT_TRUE(GetObjectW(font.Get(), sizeof read, &read));
        EXPECT_EQ(expected.lfCharSet, read.lfCharSet) << "japanese " << japanese;
        EXPECT_EQ(-14, read.lfHeight);
        EXPECT_EQ(FW_SEMIBOLD, read.lfWeight);
        EXPECT_EQ(VARIABLE_PITCH, read.lfPitchAndFamily);
        EXPECT_EQ(std::wstring(), std::wstring(read.lfFaceName));
    }
    LangJapanese = saved;
}

TEST(Font, LongFaceIsCutAndARemadeFontFreesTheOld) {
    FFont font;
    const std::wstring face(40, L'x');
    HFONT first = MakeFont(font, -12, 0, 0, face.c_str());
    ASSERT_NE(nullptr, first);
    LOGFONTW read{};
    ASSERT_TRUE(GetObjectW(first, sizeof read, &read));
    EXPECT_EQ(std::wstring(LF_FACESIZE - 1, L'x'), std::wstring(read.lfFaceName));

    HFONT second = MakeFont(font, -20, 0, 0, L"Tahoma");
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(second, font.Get());
    EXPECT_EQ(0u, GetObjectType(first)) << "the first font is still alive";
}

// ---- Holders ------------------------------------------------------------------------

TEST(DrawingHolders, OwnershipMovesAndReleaseHandsItOver) {
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    {
        FPen a(pen);
        FPen b(std::move(a));
        EXPECT_EQ(nullptr, a.Get());
        EXPECT_FALSE(a.Owned());
        EXPECT_TRUE(b.Owned());
        FPen c;
        c = std::move(b);
        EXPECT_EQ(pen, c.Get());
        EXPECT_EQ(static_cast<DWORD>(OBJ_PEN), GetObjectType(pen));
    }
    EXPECT_EQ(0u, GetObjectType(pen)) << "the last holder did not delete the pen";

    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    {
        FBrush holder(brush);
        EXPECT_EQ(brush, holder.Release());
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(brush)) << "a released brush was deleted";
    DeleteObject(brush);
}

TEST(DrawingHolders, ScopesPutTheContextBack) {
    FMemoryDC dc(nullptr);
    ASSERT_TRUE(dc);
    HGDIOBJ original = GetCurrentObject(dc.Get(), OBJ_BITMAP);
    FBitmap picture(CreateCompatibleBitmap(dc.Get(), 4, 4));
    dc.SelectBitmap(picture.Get());
    EXPECT_EQ(picture.Get(), GetCurrentObject(dc.Get(), OBJ_BITMAP));
    dc.DeselectBitmap();
    EXPECT_EQ(original, GetCurrentObject(dc.Get(), OBJ_BITMAP));

    HGDIOBJ font = GetCurrentObject(dc.Get(), OBJ_FONT);
    SetTextColor(dc.Get(), RGB(1, 2, 3));
    {
        FSaveDC state(dc.Get());
        SetTextColor(dc.Get(), RGB(9, 9, 9));
        FSelectObject select(dc.Get(), GetStockObject(ANSI_FIXED_FONT));
        EXPECT_TRUE(select.Selected());
        EXPECT_EQ(GetStockObject(ANSI_FIXED_FONT), GetCurrentObject(dc.Get(), OBJ_FONT));
    }
    EXPECT_EQ(font, GetCurrentObject(dc.Get(), OBJ_FONT));
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(dc.Get()));
}

// ---- Gauge ---------------------------------------------------------------------------

// The gauge under test sits at (kX, kY) on a sentinel-filled surface.
constexpr int kX = 10, kY = 6, kW = 160, kH = 16;

class Gauge : public Drawing {
protected:
    void SetUp() override {
        Drawing::SetUp();
        Surface strip(LoadPicture(IDB_GAUGE));
        ASSERT_EQ(35, strip.Width());
        for (int column = 0; column < strip.Width(); ++column)
            for (int y = 0; y < strip.Height(); ++y) columns_[column].insert(strip.At(column, y));
    }
    // True when `colour` is one of the rows of strip column `column`.
    bool InColumn(COLORREF colour, int column) const { return columns_[column].count(colour) != 0; }
    // The first pixel of row `y` in [x0, x1) that is not of `column`, or -1.
    int FirstOutside(const Surface& s, int y, int x0, int x1, int column) const {
        for (int x = x0; x < x1; ++x)
            if (!InColumn(s.At(x, y), column)) return x;
        return -1;
    }
    // Pixels of the gauge rectangle that are pure black, the label's ink.
    static int BlackPixels(const Surface& s) {
        int count = 0;
        for (int y = kY; y < kY + kH; ++y)
            for (int x = kX; x < kX + kW; ++x) count += s.At(x, y) == RGB(0, 0, 0);
        return count;
    }
    // True when nothing outside the gauge rectangle (and its 1-pixel label
    // shadow) changed.
    static bool OutsideUntouched(const Surface& s) {
        for (int y = 0; y < s.Height(); ++y)
            for (int x = 0; x < s.Width(); ++x) {
                bool inside = x >= kX && x <= kX + kW && y >= kY && y <= kY + kH;
                if (!inside && s.At(x, y) != kSentinel) return false;
            }
        return true;
    }

    std::set<COLORREF> columns_[35];
};

TEST_F(Gauge, EmptyAndFullFillTheStripWithOneColour) {
    struct Case { int value; int column; };
    const Case cases[] = {{0, kGaugeEmpty}, {100, kGaugeOrange}};
    for (const Case& c : cases) {
        Surface s(kW + 20, kH + 12, kSentinel);
        DrawGauge(s.Dc(), kX, kY, kW, kH, kGaugeOrange, c.value, nullptr);
        for (int y : {kY, kY + kH - 1}) {
            int x = FirstOutside(s, y, kX, kX + kW, c.column);
            EXPECT_EQ(-1, x) << "value " << c.value << " row " << y << ": " << Hex(s.At(x, y));
        }
        EXPECT_GT(BlackPixels(s), 0) << "value " << c.value << ": no percentage drawn";
        EXPECT_TRUE(OutsideUntouched(s)) << "value " << c.value;
    }
}

TEST_F(Gauge, HalfFillsTheLeftHalf) {
    Surface s(kW + 20, kH + 12, kSentinel);
    DrawGauge(s.Dc(), kX, kY, kW, kH, kGaugeGreen, 50, nullptr);
    int x = FirstOutside(s, kY, kX, kX + kW / 2, kGaugeGreen);
    EXPECT_EQ(-1, x) << Hex(s.At(x, kY));
    x = FirstOutside(s, kY, kX + kW / 2, kX + kW, kGaugeEmpty);
    EXPECT_EQ(-1, x) << Hex(s.At(x, kY));
}

TEST_F(Gauge, OutOfRangeValuesFillNothing) {
    // 255 stands for "unknown": grey only, and no text unless one is given.
    // A negative value must not spill a mirrored fill left of the gauge.
    struct Case { int value; const wchar_t* label; bool ink; };
    const Case cases[] = {{255, nullptr, false}, {255, L"Charging", true}, {-30, nullptr, true}};
    for (const Case& c : cases) {
        Surface s(kW + 20, kH + 12, kSentinel);
        DrawGauge(s.Dc(), kX, kY, kW, kH, kGaugeRed, c.value, c.label);
        if (!c.ink) {
            for (int y = kY; y < kY + kH; ++y) {
                int x = FirstOutside(s, y, kX, kX + kW, kGaugeEmpty);
                EXPECT_EQ(-1, x) << "value " << c.value << " row " << y << ": " << Hex(s.At(x, y));
            }
        } else {
            EXPECT_GT(BlackPixels(s), 0) << "value " << c.value << ": label missing";
            EXPECT_EQ(-1, FirstOutside(s, kY, kX, kX + kW, kGaugeEmpty)) << "value " << c.value;
        }
        EXPECT_TRUE(OutsideUntouched(s)) << "value " << c.value;
    }
}

TEST_F(Gauge, LeavesTheContextAsItWas) {
    Surface s(kW + 20, kH + 12, kSentinel);
    SetTextColor(s.Dc(), RGB(10, 20, 30));
    SetBkMode(s.Dc(), OPAQUE);
    SetStretchBltMode(s.Dc(), BLACKONWHITE);
    HGDIOBJ font = GetCurrentObject(s.Dc(), OBJ_FONT);
    DrawGauge(s.Dc(), kX, kY, kW, kH, kGaugeLightBlue, 42, nullptr);
    EXPECT_EQ(RGB(10, 20, 30), GetTextColor(s.Dc()));
    EXPECT_EQ(OPAQUE, GetBkMode(s.Dc()));
    EXPECT_EQ(BLACKONWHITE, GetStretchBltMode(s.Dc()));
    EXPECT_EQ(font, GetCurrentObject(s.Dc(), OBJ_FONT));
}

// ---- Icons ----------------------------------------------------------------------------

// A square icon whose left half is transparent and right half opaque red.
HICON MakeHalfRedIcon(int size) {
    const int stride = ((size + 15) / 16) * 2;  // monochrome rows are word-aligned
    std::vector<BYTE> maskBits(stride * size, 0);
    std::vector<DWORD> colourBits(size * size, 0);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            if (x < size / 2) maskBits[y * stride + x / 8] |= 0x80 >> (x % 8);
            else colourBits[y * size + x] = 0x00FF0000;  // BGRA red, no alpha
        }
    FBitmap mask(CreateBitmap(size, size, 1, 1, maskBits.data()));
    FBitmap colour(CreateBitmap(size, size, 1, 32, colourBits.data()));
    ICONINFO info{TRUE, 0, 0, mask.Get(), colour.Get()};
    return CreateIconIndirect(&info);
}

// Width and height of an icon's mask, and whether the handle is an icon.
SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {-1, -1};
    BITMAP mask{};
    GetObjectW(info.hbmMask, sizeof mask, &mask);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return {mask.bmWidth, info.hbmColor ? mask.bmHeight : mask.bmHeight / 2};
}

TEST(Icon, FitIconReplacesTheIconWithOneOfTheAskedSize) {
    HICON icon = MakeHalfRedIcon(32);
    ASSERT_NE(nullptr, icon);
    HICON old = icon;
    ASSERT_TRUE(FitIcon(icon, 16, 16));
    FIcon fitted(icon);
    EXPECT_NE(old, icon);
    SIZE size = IconSize(icon);
    EXPECT_EQ(16, size.cx);
    EXPECT_EQ(16, size.cy);
    EXPECT_EQ(-1, IconSize(old).cx) << "the old icon was not destroyed";

    Surface s(16, 16, RGB(255, 255, 255));
    DrawIconEx(s.Dc(), 0, 0, icon, 16, 16, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(RGB(255, 255, 255), s.At(3, 8)) << Hex(s.At(3, 8)) << ": transparent half lost";
    EXPECT_EQ(RGB(255, 0, 0), s.At(12, 8)) << Hex(s.At(12, 8));
}

TEST(Icon, FitIconRefusesNothingToFit) {
    HICON none = nullptr;
    EXPECT_FALSE(FitIcon(none, 16, 16));
    EXPECT_EQ(nullptr, none);
    FIcon icon(MakeHalfRedIcon(16));
    HICON kept = icon.Get();
    EXPECT_FALSE(FitIcon(icon.Ref(), 0, 16));
    EXPECT_EQ(kept, icon.Get());
    EXPECT_EQ(16, IconSize(icon.Get()).cx);
}

TEST(Icon, ReplaceImageListIconFitsAndKeepsTheGivenIcon) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1);
    ASSERT_NE(nullptr, list);
    FIcon small(MakeHalfRedIcon(16));
    ASSERT_EQ(0, ImageList_ReplaceIcon(list, -1, small.Get()));
    FIcon large(MakeHalfRedIcon(48));
    EXPECT_EQ(0, ReplaceImageListIcon(list, 0, large.Get()));
    EXPECT_EQ(48, IconSize(large.Get()).cx) << "the given icon was destroyed";
    EXPECT_EQ(-1, ReplaceImageListIcon(list, 5, large.Get()));

    Surface s(16, 16, RGB(255, 255, 255));
    ImageList_Draw(list, 0, s.Dc(), 0, 0, ILD_NORMAL);
    EXPECT_EQ(RGB(255, 255, 255), s.At(3, 8)) << Hex(s.At(3, 8));
    EXPECT_EQ(RGB(255, 0, 0), s.At(12, 8)) << Hex(s.At(12, 8));
    ImageList_Destroy(list);
}

// ---- Pictures -------------------------------------------------------------------------

TEST_F(Drawing, PictureSizes) {
    struct Case { int id; int width; int height; };
    const Case cases[] = {
        {IDB_PIECES, 80, 32},  {IDB_BACKGROUND, 1, 4},    {IDB_DIGITS, 143, 20},
        {IDB_GAUGE, 35, 64},   {IDB_BAR_BUTTONS, 144, 16}, {IDB_BAR_BUTTONS_HI, 288, 32},
    };
    for (const Case& c : cases) {
        FBitmap picture(LoadPicture(c.id));
        ASSERT_TRUE(picture) << "bitmap " << c.id;
        BITMAP size{};
        GetObjectW(picture.Get(), sizeof size, &size);
        EXPECT_EQ(c.width, size.bmWidth) << "bitmap " << c.id;
        EXPECT_EQ(c.height, size.bmHeight) << "bitmap " << c.id;
        EXPECT_EQ(24, size.bmBitsPixel) << "bitmap " << c.id;
    }
}

TEST_F(Drawing, PictureBlocksAreDistinctAndPiecesSitOnTheBoard) {
    Surface pieces(LoadPicture(IDB_PIECES));
    Surface board(LoadPicture(IDB_BACKGROUND));
    std::set<std::vector<COLORREF>> normal;
    for (int k = 0; k < 5; ++k) {
        std::vector<COLORREF> block = pieces.Block(k * 16, 0, 16, 16);
        EXPECT_NE(block, pieces.Block(k * 16, 16, 16, 16)) << "colour " << k << ": marked looks normal";
        normal.insert(block);
        // A piece is copied as a whole cell: its corner shows the board.
        for (int y : {0, 1, 2, 3})
            EXPECT_EQ(board.At(0, y), pieces.At(k * 16, y)) << "colour " << k << " row " << y;
    }
    EXPECT_EQ(5u, normal.size());

    // Eleven glyphs, the minus sign last, no two alike.
    Surface digits(LoadPicture(IDB_DIGITS));
    std::set<std::vector<COLORREF>> glyphs;
    for (int i = 0; i < 11; ++i) glyphs.insert(digits.Block(i * 13, 0, 13, 20));
    EXPECT_EQ(11u, glyphs.size());

    // Every button has its own image over the magenta mask colour.
    for (int id : {IDB_BAR_BUTTONS, IDB_BAR_BUTTONS_HI}) {
        Surface buttons(LoadPicture(id));
        const int side = buttons.Height();
        std::set<std::vector<COLORREF>> images;
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(kMagenta, buttons.At(i * side, 0)) << "bitmap " << id << " image " << i;
            images.insert(buttons.Block(i * side, 0, side, side));
        }
        EXPECT_EQ(9u, images.size()) << "bitmap " << id;
    }
}

}  // namespace
