// Pictures of image-list images and icons, read back as pixels, for the
// tests of the shared image lists.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/appvalues.h"

// The icon resources of the standard images, in image order: document page,
// program window, closed folder, the three overlays, stack of pages,
// checklist, cylinder, handheld, network, My Documents, folder with a red item.
inline constexpr int kExpectedImageIcons[] = {111, 110, 130, 112, 113, 114, 115, 139, 140, 133, 134, 135, 138};

// Pixels (0x00RRGGBB, rows top-down) of a picture drawn over white.
using Pixels = std::vector<std::uint32_t>;

inline constexpr std::uint32_t kWhite = 0x00FFFFFF;

// Draws with `draw(dc)` into a width x height 32-bit surface that starts white.
template <class Draw>
Pixels DrawOnWhite(int width, int height, Draw draw) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    Pixels pixels;
    if (dc && bitmap) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, width, height, WHITENESS);
        draw(dc);
        GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits);
        for (int i = 0; i < width * height; ++i) pixels.push_back(p[i] & 0x00FFFFFF);
        SelectObject(dc, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
    return pixels;
}

inline SIZE ListIconSize(HIMAGELIST list) {
    int width = 0;
    int height = 0;
    ImageList_GetIconSize(list, &width, &height);
    return {width, height};
}

// Image `index` of `list` with the draw style (overlays included).
inline Pixels DrawListImage(HIMAGELIST list, int index, UINT style = ILD_NORMAL) {
    const SIZE size = ListIconSize(list);
    return DrawOnWhite(size.cx, size.cy, [&](HDC dc) { ImageList_Draw(list, index, dc, 0, 0, style); });
}

inline Pixels DrawIconAt(HICON icon, SIZE size) {
    return DrawOnWhite(size.cx, size.cy,
                       [&](HDC dc) { DrawIconEx(dc, 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL); });
}

// The icon resource `id` of AppInstance, loaded and drawn at `size`.
inline Pixels DrawIconResource(int id, SIZE size) {
    HICON icon =
        static_cast<HICON>(LoadImageW(AppInstance, MAKEINTRESOURCEW(id), IMAGE_ICON, size.cx, size.cy, 0));
    if (!icon) return {};
    Pixels pixels = DrawIconAt(icon, size);
    DestroyIcon(icon);
    return pixels;
}

// Share (0 to 1) of pixels whose colours differ by more than `tolerance`
// in some channel; 1 when the pictures differ in size.
inline double DifferentShare(const Pixels& a, const Pixels& b, int tolerance = 24) {
    if (a.size() != b.size() || a.empty()) return 1.0;
    int different = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            if (std::abs(static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF)) >
                tolerance) {
                ++different;
                break;
            }
        }
    }
    return static_cast<double>(different) / static_cast<double>(a.size());
}

// The icon of `ids` whose picture at `size` comes nearest to `pixels`: the
// lists keep no soft edges, so a list image is never exactly its icon.
template <class Ids>
int NearestIcon(const Pixels& pixels, const Ids& ids, SIZE size) {
    int nearest = 0;
    double best = 2.0;
    for (int id : ids) {
        const double share = DifferentShare(pixels, DrawIconResource(id, size));
        if (share < best) {
            best = share;
            nearest = id;
        }
    }
    return nearest;
}

// Pixels that are not white: the picture's ink.
inline int InkedPixels(const Pixels& pixels) {
    int inked = 0;
    for (std::uint32_t p : pixels) inked += p != kWhite;
    return inked;
}
