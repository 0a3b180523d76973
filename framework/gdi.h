// Drawing helpers: holders for GDI objects and device contexts, fonts that
// follow the interface language, the percentage gauge, byte-size texts and
// icons fitted to a size.
//
// Ownership is in the type. FGdiObject and the holders derived from it
// (FFont, FBitmap, FPen, FBrush) own what they hold and delete it when they
// go; a raw handle (HFONT, HBITMAP, HGDIOBJ) is always borrowed. The same
// goes for device contexts: FMemoryDC deletes its context, FClientDC and
// FPaintDC give theirs back, and a raw HDC is borrowed.
//
// All lengths are screen pixels: callers scale 96-dpi layout numbers with
// ScaleX and ScaleY before passing them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

#include "framework/fobject.h"

// ---- GDI objects ------------------------------------------------------------

// One GDI object (pen, brush, font, bitmap, region). When owned, the object
// is deleted with the holder; moving hands the ownership on.
class FGdiObject : public FObject {
public:
    FGdiObject() = default;
    // Takes ownership of `handle` (none is allowed).
    explicit FGdiObject(HGDIOBJ handle) : handle_(handle), owned_(handle != nullptr) {}
    // Deletes the object when owned. It must not be selected into a device
    // context any more: GDI refuses to delete a selected object.
    ~FGdiObject() override;
    FGdiObject(FGdiObject&& other) noexcept;
    FGdiObject& operator=(FGdiObject&& other) noexcept;
    FGdiObject(const FGdiObject&) = delete;
    FGdiObject& operator=(const FGdiObject&) = delete;

    HGDIOBJ Handle() const { return handle_; }
    bool Owned() const { return owned_ != FALSE; }
    explicit operator bool() const { return handle_ != nullptr; }

    // Deletes the object held when owned, then owns `handle` (or holds none).
    void Reset(HGDIOBJ handle = nullptr);
    // Gives the object up without deleting it; the caller owns it now.
    [[nodiscard]] HGDIOBJ Release();

private:
    HGDIOBJ handle_ = nullptr;
    BOOL owned_ = FALSE;
};

// A GDI object holder that hands out its handle with its own type.
template <class H>
class FTypedGdiObject : public FGdiObject {
public:
    FTypedGdiObject() = default;
    explicit FTypedGdiObject(H handle) : FGdiObject(handle) {}
    H Get() const { return static_cast<H>(Handle()); }
    void Reset(H handle = nullptr) { FGdiObject::Reset(handle); }
    [[nodiscard]] H Release() { return static_cast<H>(FGdiObject::Release()); }
};

// An owned font; MakeFont fills it.
class FFont : public FTypedGdiObject<HFONT> {
public:
    FFont() = default;
    explicit FFont(HFONT font) : FTypedGdiObject(font) {}
};

using FBitmap = FTypedGdiObject<HBITMAP>;
using FPen = FTypedGdiObject<HPEN>;
using FBrush = FTypedGdiObject<HBRUSH>;

// ---- Device contexts ----------------------------------------------------------

// The paint scope of a WM_PAINT handler: BeginPaint when made, EndPaint when
// it goes. `dc` is null when BeginPaint failed.
class FPaintDC : public FObject {
public:
    explicit FPaintDC(HWND window);
    ~FPaintDC() override;
    FPaintDC(const FPaintDC&) = delete;
    FPaintDC& operator=(const FPaintDC&) = delete;

    HDC dc = nullptr;
    PAINTSTRUCT ps{};
    HWND hwnd = nullptr;
};

// A device context of a window's client area, or of the screen when the
// window is null: GetDC when made, ReleaseDC when it goes.
class FClientDC : public FObject {
public:
    explicit FClientDC(HWND window);
    ~FClientDC() override;
    FClientDC(const FClientDC&) = delete;
    FClientDC& operator=(const FClientDC&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// An owned memory device context. A bitmap put in with SelectBitmap stays
// the caller's: the context puts its own original bitmap back before it is
// deleted, so the caller may delete its bitmap afterwards.
class FMemoryDC : public FObject {
public:
    FMemoryDC() = default;
    // A memory context compatible with `dc` (the screen when null).
    explicit FMemoryDC(HDC dc);
    ~FMemoryDC() override;
    FMemoryDC(FMemoryDC&& other) noexcept;
    FMemoryDC& operator=(FMemoryDC&& other) noexcept;
    FMemoryDC(const FMemoryDC&) = delete;
    FMemoryDC& operator=(const FMemoryDC&) = delete;

    HDC Get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

    // Selects `bitmap` (borrowed) and returns the bitmap it displaced.
    HBITMAP SelectBitmap(HBITMAP bitmap);
    // Puts the context's original bitmap back, releasing the caller's.
    void DeselectBitmap();
    // Puts the original bitmap back and deletes the context.
    void Reset();

private:
    HDC dc_ = nullptr;
    HGDIOBJ original_ = nullptr;  // the bitmap the context was made with
};

// Selects an object into a device context for the life of the scope and
// selects the displaced object back at the end.
class FSelectObject {
public:
    [[nodiscard]] FSelectObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~FSelectObject() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    FSelectObject(const FSelectObject&) = delete;
    FSelectObject& operator=(const FSelectObject&) = delete;

    // False when the object could not be selected.
    bool Selected() const { return previous_ && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Saves the whole state of a device context (objects, colours, modes) and
// restores it at the end of the scope.
class FSaveDC {
public:
    [[nodiscard]] explicit FSaveDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
    ~FSaveDC() {
        if (saved_ != 0) RestoreDC(dc_, saved_);
    }
    FSaveDC(const FSaveDC&) = delete;
    FSaveDC& operator=(const FSaveDC&) = delete;

private:
    HDC dc_;
    int saved_;
};

// ---- Icons ---------------------------------------------------------------------

// An owned icon, destroyed with the holder.
class FIcon : public FObject {
public:
    FIcon() = default;
    explicit FIcon(HICON icon) : icon_(icon) {}
    ~FIcon() override;
    FIcon(FIcon&& other) noexcept : icon_(other.icon_) { other.icon_ = nullptr; }
    FIcon& operator=(FIcon&& other) noexcept;
    FIcon(const FIcon&) = delete;
    FIcon& operator=(const FIcon&) = delete;

    HICON Get() const { return icon_; }
    // The handle itself, for FitIcon to replace in place.
    HICON& Ref() { return icon_; }
    explicit operator bool() const { return icon_ != nullptr; }
    void Reset(HICON icon = nullptr);
    [[nodiscard]] HICON Release();

private:
    HICON icon_ = nullptr;
};

// Replaces `icon` by a copy drawn at width x height and destroys the old
// one. Returns true when it was replaced; on false `icon` is untouched.
bool FitIcon(HICON& icon, int width, int height);

// Puts `icon` (borrowed) at `index` of `list`, fitted to the list's icon
// size; falls back to the icon as it is when no fitted copy can be made.
// Returns what ImageList_ReplaceIcon returns: the index, or -1.
int ReplaceImageListIcon(HIMAGELIST list, int index, HICON icon);

// ---- Fonts ---------------------------------------------------------------------

// The start of every font the framework makes: all zero except the
// character set, Shift-JIS for a Japanese interface and the default one
// otherwise, so that the system font face shows the interface's script.
LOGFONTW MakeFontTemplate();

// Makes a font from the template with the given height (negative: character
// height), weight and pitch-and-family, and the face name when given (cut to
// LF_FACESIZE - 1 units); `font` owns it. Returns the handle, null on failure.
HFONT MakeFont(FFont& font, int height, int weight, BYTE pitchAndFamily, const wchar_t* face);

// ---- Gauge -------------------------------------------------------------------------

// Columns of the gauge colour strip (bitmap 103) that callers pick as level.
inline constexpr int kGaugeLightBlue = 0;
inline constexpr int kGaugeGreen = 1;
inline constexpr int kGaugeOrange = 3;
inline constexpr int kGaugeRed = 4;
inline constexpr int kGaugeEmpty = 8;  // light grey, the unfilled part

// Draws a percentage gauge over (x, y, width, height): the empty grey strip,
// the first value percent of it in the colour of strip column `level`, and
// the label centred on top in black over a white shadow. Without a label the
// text is "value%" for values up to 100 and nothing above. A value outside
// 0 to 100, or a level outside the strip's 35 columns, fills nothing. The font is the label font of the interface
// language; the context's state is left as it was.
void DrawGauge(HDC dc, int x, int y, int width, int height, int level, int value,
               const wchar_t* label);

// ---- Byte sizes ------------------------------------------------------------------

// Units enough for every text FormatByteSize makes, terminator included
// (the longest is "4095.9 MB").
inline constexpr int kByteSizeUnits = 16;

// Writes "n B" below 1 KB, "k.t KB" below 1 MB and "m.t MB" above, the
// tenths truncated, into `buffer` of `units` units (always terminated, cut
// when too small). Returns `buffer`.
wchar_t* FormatByteSize(DWORD bytes, wchar_t* buffer, int units);

template <std::size_t N>
wchar_t* FormatByteSize(DWORD bytes, wchar_t (&buffer)[N]) {
    static_assert(N >= kByteSizeUnits, "FormatByteSize needs kByteSizeUnits units");
    return FormatByteSize(bytes, buffer, static_cast<int>(N));
}
