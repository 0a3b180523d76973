// Holders for GDI objects, device contexts and icons; language fonts; icons
// fitted to a size.
#include "framework/gdi.h"

#include "framework/language.h"

// ---- FGdiObject ------------------------------------------------------------------

FGdiObject::~FGdiObject() { Reset(); }

FGdiObject::FGdiObject(FGdiObject&& other) noexcept : handle_(other.handle_), owned_(other.owned_) {
    other.handle_ = nullptr;
    other.owned_ = FALSE;
}

FGdiObject& FGdiObject::operator=(FGdiObject&& other) noexcept {
    if (this != &other) {
        Reset();
        handle_ = other.handle_;
        owned_ = other.owned_;
        other.handle_ = nullptr;
        other.owned_ = FALSE;
    }
    return *this;
}

void FGdiObject::Reset(HGDIOBJ handle) {
    if (owned_ && handle_ && handle_ != handle) DeleteObject(handle_);
    handle_ = handle;
    owned_ = handle != nullptr;
}

HGDIOBJ FGdiObject::Release() {
    HGDIOBJ handle = handle_;
    handle_ = nullptr;
    owned_ = FALSE;
    return handle;
}

// ---- Device contexts -------------------------------------------------------------

FPaintDC::FPaintDC(HWND window) : hwnd(window) { dc = BeginPaint(window, &ps); }

FPaintDC::~FPaintDC() {
    if (dc) EndPaint(hwnd, &ps);
}

FClientDC::FClientDC(HWND window) : window_(window), dc_(GetDC(window)) {}

FClientDC::~FClientDC() {
    if (dc_) ReleaseDC(window_, dc_);
}

FMemoryDC::FMemoryDC(HDC dc) : dc_(CreateCompatibleDC(dc)) {
    if (dc_) original_ = GetCurrentObject(dc_, OBJ_BITMAP);
}

FMemoryDC::~FMemoryDC() { Reset(); }

FMemoryDC::FMemoryDC(FMemoryDC&& other) noexcept : dc_(other.dc_), original_(other.original_) {
    other.dc_ = nullptr;
    other.original_ = nullptr;
}

FMemoryDC& FMemoryDC::operator=(FMemoryDC&& other) noexcept {
    if (this != &other) {
        Reset();
        dc_ = other.dc_;
        original_ = other.original_;
        other.dc_ = nullptr;
        other.original_ = nullptr;
    }
    return *this;
}

HBITMAP FMemoryDC::SelectBitmap(HBITMAP bitmap) {
    if (!dc_ || !bitmap) return nullptr;
    return static_cast<HBITMAP>(SelectObject(dc_, bitmap));
}

void FMemoryDC::DeselectBitmap() {
    if (dc_ && original_) SelectObject(dc_, original_);
}

void FMemoryDC::Reset() {
    if (!dc_) return;
    DeselectBitmap();
    DeleteDC(dc_);
    dc_ = nullptr;
    original_ = nullptr;
}

// ---- Icons ---------------------------------------------------------------------------

FIcon::~FIcon() { Reset(); }

FIcon& FIcon::operator=(FIcon&& other) noexcept {
    if (this != &other) {
        Reset(other.icon_);
        other.icon_ = nullptr;
    }
    return *this;
}

void FIcon::Reset(HICON icon) {
    if (icon_ && icon_ != icon) DestroyIcon(icon_);
    icon_ = icon;
}

HICON FIcon::Release() {
    HICON icon = icon_;
    icon_ = nullptr;
    return icon;
}

namespace {

// A new icon drawn from `icon` at width x height: its mask into a
// monochrome bitmap, its image into a colour bitmap of the screen's depth.
// Null when either draw fails. The given icon is left alone.
HICON MakeFittedIcon(HICON icon, int width, int height) {
    if (!icon || width <= 0 || height <= 0) return nullptr;
    FMemoryDC dc(nullptr);
    if (!dc) return nullptr;
    // A fresh memory context holds a monochrome bitmap, so a bitmap
    // compatible with it is monochrome too: right for the mask.
    FBitmap mask(CreateCompatibleBitmap(dc.Get(), width, height));
    FBitmap colour(CreateBitmap(width, height, 1, GetDeviceCaps(dc.Get(), BITSPIXEL), nullptr));
    if (!mask || !colour) return nullptr;

    dc.SelectBitmap(mask.Get());
    bool drawn = DrawIconEx(dc.Get(), 0, 0, icon, width, height, 0, nullptr, DI_MASK) != FALSE;
    dc.SelectBitmap(colour.Get());
    // Where the mask is transparent the image must be black; new bitmap
    // bits are undefined.
    PatBlt(dc.Get(), 0, 0, width, height, BLACKNESS);
    drawn = DrawIconEx(dc.Get(), 0, 0, icon, width, height, 0, nullptr, DI_IMAGE) != FALSE && drawn;
    // The bitmaps are read by CreateIconIndirect, which wants them out of
    // every device context.
    dc.DeselectBitmap();
    if (!drawn) return nullptr;

    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.Get();
    info.hbmColor = colour.Get();
    return CreateIconIndirect(&info);
}

}  // namespace

bool FitIcon(HICON& icon, int width, int height) {
    HICON fitted = MakeFittedIcon(icon, width, height);
    if (!fitted) return false;
    DestroyIcon(icon);
    icon = fitted;
    return true;
}

int ReplaceImageListIcon(HIMAGELIST list, int index, HICON icon) {
    int width = 0;
    int height = 0;
    FIcon fitted;
    if (ImageList_GetIconSize(list, &width, &height)) fitted.Reset(MakeFittedIcon(icon, width, height));
    return ImageList_ReplaceIcon(list, index, fitted ? fitted.Get() : icon);
}

// ---- Fonts -----------------------------------------------------------------------------

LOGFONTW MakeFontTemplate() {
    LOGFONTW font{};
    font.lfCharSet = LangJapanese ? SHIFTJIS_CHARSET : DEFAULT_CHARSET;
    return font;
}

HFONT MakeFont(FFont& font, int height, int weight, BYTE pitchAndFamily, const wchar_t* face) {
    LOGFONTW description = MakeFontTemplate();
    description.lfHeight = height;
    description.lfWeight = weight;
    description.lfPitchAndFamily = pitchAndFamily;
    if (face) lstrcpynW(description.lfFaceName, face, LF_FACESIZE);
    font.Reset(CreateFontIndirectW(&description));
    return font.Get();
}
