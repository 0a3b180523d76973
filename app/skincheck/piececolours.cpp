// The colour arithmetic follows tools/skin_measures.py step by step, so that
// the checker and the README's table give the same figures.
#include "app/skincheck/piececolours.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <numbers>

namespace {

using Rgb = std::array<int, 3>;
using Linear = std::array<double, 3>;
using Lab = std::array<double, 3>;
using Matrix = std::array<Linear, 3>;

struct Vision {
    const wchar_t* english;
    const wchar_t* japanese;
    Matrix matrix;
};

// The published matrices, applied to linear RGB.
const Vision kVisions[] = {
    {L"normal vision", L"一般色覚", {{{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}}}},
    {L"protanopia", L"1型色覚",
     {{{0.152286, 1.052583, -0.204868}, {0.114503, 0.786281, 0.099216}, {-0.003882, -0.048116, 1.051998}}}},
    {L"deuteranopia", L"2型色覚",
     {{{0.367322, 0.860646, -0.227968}, {0.280085, 0.672501, 0.047413}, {-0.011820, 0.042940, 0.968881}}}},
    {L"tritanopia", L"3型色覚",
     {{{1.255528, -0.076749, -0.178779}, {-0.078411, 0.930809, 0.147602}, {0.004733, 0.691367, 0.303900}}}},
};

// Two pixels of one cell whose lightness differs by more than this are
// told apart without colour; a fifth of the cell so told makes a shape.
constexpr double kLightnessStep = 20.0;
constexpr double kShapeShare = 0.2;
// A pixel within this sum of channel distances of a backdrop colour is
// backdrop: JPEG jitters a flat backdrop by a few levels.
constexpr int kBackdropReach = 30;

double ToLinear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

Linear Simulate(const Linear& colour, const Vision& vision) {
    Linear seen{};
    for (int i = 0; i < 3; ++i) {
        double sum = 0.0;
        for (int j = 0; j < 3; ++j) sum += vision.matrix[i][j] * colour[j];
        seen[i] = std::clamp(sum, 0.0, 1.0);
    }
    return seen;
}

// CIELAB, D65 white, of a linear sRGB colour.
Lab ToLab(const Linear& c) {
    const double x = (0.4124564 * c[0] + 0.3575761 * c[1] + 0.1804375 * c[2]) / 0.95047;
    const double y = 0.2126729 * c[0] + 0.7151522 * c[1] + 0.0721750 * c[2];
    const double z = (0.0193339 * c[0] + 0.1191920 * c[1] + 0.9503041 * c[2]) / 1.08883;
    constexpr double kEdge = 6.0 / 29.0;
    auto f = [](double t) { return t > kEdge * kEdge * kEdge ? std::cbrt(t) : t / (3 * kEdge * kEdge) + 4.0 / 29.0; };
    const double fx = f(x), fy = f(y), fz = f(z);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

double Degrees(double radians) { return radians * 180.0 / std::numbers::pi; }
double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }
double Hue(double b, double a) { return a == 0.0 && b == 0.0 ? 0.0 : std::fmod(Degrees(std::atan2(b, a)) + 360.0, 360.0); }

// The CIEDE2000 difference of two CIELAB colours (kL = kC = kH = 1).
double Ciede2000(const Lab& one, const Lab& other) {
    const double cMean = (std::hypot(one[1], one[2]) + std::hypot(other[1], other[2])) / 2.0;
    const double c7 = std::pow(cMean, 7);
    const double g = 0.5 * (1.0 - std::sqrt(c7 / (c7 + std::pow(25.0, 7))));
    const double a1 = (1.0 + g) * one[1], a2 = (1.0 + g) * other[1];
    const double c1 = std::hypot(a1, one[2]), c2 = std::hypot(a2, other[2]);
    const double h1 = c1 != 0.0 ? Hue(one[2], a1) : 0.0, h2 = c2 != 0.0 ? Hue(other[2], a2) : 0.0;

    const double dl = other[0] - one[0], dc = c2 - c1;
    double dh = 0.0;
    if (c1 * c2 != 0.0) {
        dh = h2 - h1;
        if (dh > 180.0) dh -= 360.0;
        if (dh < -180.0) dh += 360.0;
    }
    const double bigDh = 2.0 * std::sqrt(c1 * c2) * std::sin(Radians(dh / 2.0));

    const double lMean = (one[0] + other[0]) / 2.0, cpMean = (c1 + c2) / 2.0;
    double hMean = h1 + h2;
    if (c1 * c2 != 0.0) {
        if (std::abs(h1 - h2) <= 180.0) hMean = (h1 + h2) / 2.0;
        else hMean = (h1 + h2 < 360.0 ? h1 + h2 + 360.0 : h1 + h2 - 360.0) / 2.0;
    }
    const double t = 1.0 - 0.17 * std::cos(Radians(hMean - 30.0)) + 0.24 * std::cos(Radians(2.0 * hMean)) +
                     0.32 * std::cos(Radians(3.0 * hMean + 6.0)) - 0.20 * std::cos(Radians(4.0 * hMean - 63.0));
    const double l50 = (lMean - 50.0) * (lMean - 50.0);
    const double sl = 1.0 + 0.015 * l50 / std::sqrt(20.0 + l50);
    const double sc = 1.0 + 0.045 * cpMean;
    const double sh = 1.0 + 0.015 * cpMean * t;
    const double rotation = 30.0 * std::exp(-std::pow((hMean - 275.0) / 25.0, 2));
    const double cp7 = std::pow(cpMean, 7);
    const double rt = -std::sin(Radians(2.0 * rotation)) * 2.0 * std::sqrt(cp7 / (cp7 + std::pow(25.0, 7)));
    return std::sqrt((dl / sl) * (dl / sl) + (dc / sc) * (dc / sc) + (bigDh / sh) * (bigDh / sh) +
                     rt * (dc / sc) * (bigDh / sh));
}

// One cell of the strip's normal row, row by row.
struct Cell {
    int side = 0;
    std::vector<Rgb> pixels;
    const Rgb& At(int x, int y) const { return pixels[static_cast<std::size_t>(y * side + x)]; }
};

// The cell's own pixels: those not within reach of a backdrop colour, a
// colour that covers a fifth or more of the cell's edge (one flat colour,
// or the two of a dither).
std::vector<bool> OwnPixels(const Cell& cell) {
    std::vector<Rgb> edge;
    for (int y = 0; y < cell.side; ++y)
        for (int x = 0; x < cell.side; ++x)
            if (x == 0 || y == 0 || x == cell.side - 1 || y == cell.side - 1) edge.push_back(cell.At(x, y));
    std::vector<Rgb> backdrop;
    for (const Rgb& colour : edge)
        if (std::count(edge.begin(), edge.end(), colour) * 5 >= static_cast<std::ptrdiff_t>(edge.size()) &&
            std::find(backdrop.begin(), backdrop.end(), colour) == backdrop.end())
            backdrop.push_back(colour);
    std::vector<bool> own;
    own.reserve(cell.pixels.size());
    for (const Rgb& pixel : cell.pixels) {
        int nearest = 999;
        for (const Rgb& ground : backdrop)
            nearest = std::min(nearest, std::abs(pixel[0] - ground[0]) + std::abs(pixel[1] - ground[1]) +
                                            std::abs(pixel[2] - ground[2]));
        own.push_back(nearest > kBackdropReach);
    }
    return own;
}

// The mean of the piece's own pixels in linear light; false for a cell of
// nothing but backdrop.
bool PieceColour(const Cell& cell, Linear& colour) {
    const std::vector<bool> own = OwnPixels(cell);
    colour = {};
    int count = 0;
    for (std::size_t i = 0; i < own.size(); ++i) {
        if (!own[i]) continue;
        for (int c = 0; c < 3; ++c) colour[c] += ToLinear(cell.pixels[i][c]);
        ++count;
    }
    if (count == 0) return false;
    for (double& channel : colour) channel /= count;
    return true;
}

Linear LinearOf(const Rgb& pixel) { return {ToLinear(pixel[0]), ToLinear(pixel[1]), ToLinear(pixel[2])}; }

// The share of the cell where the two pieces, as `vision` sees them, differ
// in lightness by more than a step.
double LightnessPatternShare(const Cell& one, const Cell& other, const Vision& vision) {
    int differing = 0;
    for (std::size_t i = 0; i < one.pixels.size(); ++i) {
        const double a = ToLab(Simulate(LinearOf(one.pixels[i]), vision))[0];
        const double b = ToLab(Simulate(LinearOf(other.pixels[i]), vision))[0];
        if (std::abs(a - b) > kLightnessStep) ++differing;
    }
    return static_cast<double>(differing) / static_cast<double>(one.pixels.size());
}

// The first `count` cells of the top row of `strip`, or none when it cannot
// be read.
std::vector<Cell> ReadCells(HBITMAP strip, int side, int count) {
    BITMAP info{};
    if (side < 1 || GetObjectW(strip, sizeof info, &info) == 0 || info.bmWidth < side * count ||
        info.bmHeight < side)
        return {};
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = info.bmHeight;  // bottom-up: the top row comes last
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(info.bmWidth) *
                                    static_cast<std::size_t>(info.bmHeight));
    HDC screen = GetDC(nullptr);
    const int copied = GetDIBits(screen, strip, 0, static_cast<UINT>(info.bmHeight), rows.data(), &format,
                                 DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (copied != info.bmHeight) return {};
    std::vector<Cell> cells(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        Cell& cell = cells[static_cast<std::size_t>(k)];
        cell.side = side;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const int line = info.bmHeight - 1 - y;
                const std::uint32_t bgr = rows[static_cast<std::size_t>(line * info.bmWidth + k * side + x)];
                cell.pixels.push_back({static_cast<int>((bgr >> 16) & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                                       static_cast<int>(bgr & 0xFF)});
            }
    }
    return cells;
}

}  // namespace

std::vector<AlikePieces> FindAlikePieces(HBITMAP strip, int side, int colours) {
    const std::vector<Cell> cells = ReadCells(strip, side, colours);
    std::vector<Linear> means(cells.size());
    for (std::size_t k = 0; k < cells.size(); ++k)
        if (!PieceColour(cells[k], means[k])) return {};
    std::vector<AlikePieces> alike;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        for (std::size_t j = i + 1; j < cells.size(); ++j) {
            const Vision* closest = nullptr;
            double smallest = 0.0;
            for (const Vision& vision : kVisions) {
                const double difference =
                    Ciede2000(ToLab(Simulate(means[i], vision)), ToLab(Simulate(means[j], vision)));
                if (closest == nullptr || difference < smallest) {
                    closest = &vision;
                    smallest = difference;
                }
            }
            if (smallest >= kHardToTell || LightnessPatternShare(cells[i], cells[j], *closest) >= kShapeShare)
                continue;
            alike.push_back({static_cast<int>(i) + 1, static_cast<int>(j) + 1, smallest, closest->english,
                             closest->japanese});
        }
    }
    return alike;
}
