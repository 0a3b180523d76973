// IMGDECMP.DLL: decodes PNG, JPEG, GIF, BMP, TIFF and ICO images through the
// Windows Imaging Component into a device-independent bitmap.
//
// What this decoder makes of the parameter block:
// - The whole image is read through pfnGetData first, at most 4096 bytes (and
//   never more than the caller's buffer holds) per call, and decoded from
//   memory. Images above 64 MiB of data are refused.
// - The first frame is decoded (the first picture of an animation or an icon).
// - iScale from 1 to 99 shrinks the image to that percentage; other values
//   keep its size. The result is then scaled down, keeping its proportions,
//   to fit iMaxWidth x iMaxHeight (a limit of 0 or less is none); it is never
//   enlarged. Results wider or higher than 8192 pixels are refused.
// - The bitmap is a bottom-up DIB section of 32 bits per pixel when iBitDepth
//   is 32, and of 24 bits for every other depth: a 16-bit or palette display
//   gets 24 bits and GDI reduces the colours when the bitmap is drawn.
// - Alpha is ignored: every pixel keeps the colour the image gives it, also
//   where it is transparent. crTransparentOverride, hdc and ppImageRender are
//   not used; *ppImageRender is set to null.
// - pfnImageProgress, when given, is called once with complete = TRUE after
//   the bitmap is made.
#include "imgdecmp/imgdecmp.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace {

constexpr DWORD kChunkBytes = 4096;
constexpr std::size_t kMaxImageBytes = 64u * 1024 * 1024;
constexpr UINT kMaxSide = 8192;

// Holds one COM interface and releases it when it goes.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    // Address for a call that stores a new reference; the old one is released.
    T** Put() {
        if (p_) p_->Release();
        p_ = nullptr;
        return &p_;
    }

private:
    T* p_ = nullptr;
};

// COM for the length of one call on the caller's thread. A thread that already
// runs the other apartment model keeps it; COM is usable either way.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

    bool Usable() const { return SUCCEEDED(result_) || result_ == RPC_E_CHANGED_MODE; }
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

// A bitmap deleted on every path that does not hand it to the caller.
class OwnedBitmap {
public:
    explicit OwnedBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    ~OwnedBitmap() {
        if (bitmap_) DeleteObject(bitmap_);
    }
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;

    HBITMAP Get() const { return bitmap_; }
    HBITMAP Release() {
        HBITMAP bitmap = bitmap_;
        bitmap_ = nullptr;
        return bitmap;
    }

private:
    HBITMAP bitmap_;
};

// Reads the whole image through the caller's callback, starting with the
// bytes the caller says are already in its buffer.
HRESULT ReadImage(DecompressImageInfo& info, std::vector<BYTE>& data) {
    BYTE ownBuffer[kChunkBytes];
    BYTE* buffer = ownBuffer;
    DWORD chunk = kChunkBytes;
    if (info.pbBuffer && info.dwBufferMax > 0) {
        buffer = info.pbBuffer;
        chunk = std::min(info.dwBufferMax, kChunkBytes);
        const DWORD already = std::min(info.dwBufferCurrent, info.dwBufferMax);
        data.insert(data.end(), buffer, buffer + already);
    }
    info.dwBufferCurrent = 0;
    for (;;) {
        DWORD got = info.pfnGetData(reinterpret_cast<LPSTR>(buffer), chunk, info.lParam);
        if (got == 0) break;
        got = std::min(got, chunk);  // a callback that claims more than it was asked for
        if (data.size() + got > kMaxImageBytes) return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
        data.insert(data.end(), buffer, buffer + got);
    }
    return data.empty() ? WINCODEC_ERR_BADIMAGE : S_OK;
}

// Size of the result: the image's own size, shrunk by the scale and then to
// fit the limits with its proportions kept, at least 1 x 1.
void ChooseSize(const DecompressImageInfo& info, UINT width, UINT height, UINT& outWidth, UINT& outHeight) {
    std::uint64_t w = width, h = height;
    if (info.iScale >= 1 && info.iScale < 100) {
        w = std::max<std::uint64_t>(1, w * info.iScale / 100);
        h = std::max<std::uint64_t>(1, h * info.iScale / 100);
    }
    // A missing limit stands as 2^31: above any side that can be stored, and
    // small enough that the products below stay within 64 bits.
    constexpr std::uint64_t kNoLimit = std::uint64_t{1} << 31;
    const std::uint64_t maxW = info.iMaxWidth > 0 ? info.iMaxWidth : kNoLimit;
    const std::uint64_t maxH = info.iMaxHeight > 0 ? info.iMaxHeight : kNoLimit;
    if (w > maxW || h > maxH) {
        // Whichever side is the tighter fit sets the factor; the other side
        // is rounded to the nearest pixel.
        if (w * maxH > h * maxW) {
            h = std::clamp<std::uint64_t>((h * maxW + w / 2) / w, 1, maxH);
            w = maxW;
        } else {
            w = std::clamp<std::uint64_t>((w * maxH + h / 2) / h, 1, maxW);
            h = maxH;
        }
    }
    outWidth = static_cast<UINT>(std::min<std::uint64_t>(w, UINT_MAX));
    outHeight = static_cast<UINT>(std::min<std::uint64_t>(h, UINT_MAX));
}

// Writes straight BGRA rows (top row first) into a bottom-up DIB of 24 or 32
// bits per pixel.
void StorePixels(const std::vector<BYTE>& bgra, UINT width, UINT height, int bitsPerPixel, BYTE* bits) {
    const std::size_t stride = ((static_cast<std::size_t>(bitsPerPixel) * width + 31) / 32) * 4;
    const int bytesPerPixel = bitsPerPixel / 8;
    for (UINT y = 0; y < height; ++y) {
        const BYTE* from = bgra.data() + static_cast<std::size_t>(y) * width * 4;
        BYTE* to = bits + static_cast<std::size_t>(height - 1 - y) * stride;
        for (UINT x = 0; x < width; ++x, from += 4, to += bytesPerPixel) {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            if (bytesPerPixel == 4) to[3] = 0;  // reserved in an uncompressed DIB
        }
    }
}

// Decodes `data` into a DIB section as the parameter block asks.
HRESULT DecodeImage(const DecompressImageInfo& info, const std::vector<BYTE>& data, HBITMAP& result) {
    ComScope com;
    if (!com.Usable()) return com.Result();

    ComRef<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(factory.Put()));
    if (FAILED(hr)) return hr;

    ComRef<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(stream.Put()))) return hr;
    if (FAILED(hr = stream->InitializeFromMemory(const_cast<BYTE*>(data.data()), static_cast<DWORD>(data.size()))))
        return hr;

    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(hr = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                                     decoder.Put())))
        return hr;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(hr = decoder->GetFrame(0, frame.Put()))) return hr;

    UINT width = 0, height = 0;
    if (FAILED(hr = frame->GetSize(&width, &height))) return hr;
    if (width == 0 || height == 0) return WINCODEC_ERR_BADIMAGE;
    UINT outWidth = 0, outHeight = 0;
    ChooseSize(info, width, height, outWidth, outHeight);
    if (outWidth > kMaxSide || outHeight > kMaxSide) return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;

    // Every source format becomes BGRA first, so that scaling and storing
    // see one layout.
    ComRef<IWICFormatConverter> converter;
    if (FAILED(hr = factory->CreateFormatConverter(converter.Put()))) return hr;
    if (FAILED(hr = converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                          nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return hr;
    IWICBitmapSource* source = converter.Get();
    ComRef<IWICBitmapScaler> scaler;
    if (outWidth != width || outHeight != height) {
        if (FAILED(hr = factory->CreateBitmapScaler(scaler.Put()))) return hr;
        if (FAILED(hr = scaler->Initialize(source, outWidth, outHeight, WICBitmapInterpolationModeFant))) return hr;
        source = scaler.Get();
    }

    const UINT rowBytes = outWidth * 4;
    std::vector<BYTE> bgra(static_cast<std::size_t>(rowBytes) * outHeight);
    if (FAILED(hr = source->CopyPixels(nullptr, rowBytes, static_cast<UINT>(bgra.size()), bgra.data()))) return hr;

    const int bitsPerPixel = info.iBitDepth == 32 ? 32 : 24;
    BITMAPINFO header{};
    header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header.bmiHeader.biWidth = static_cast<LONG>(outWidth);
    header.bmiHeader.biHeight = static_cast<LONG>(outHeight);
    header.bmiHeader.biPlanes = 1;
    header.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    header.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    OwnedBitmap bitmap(CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap.Get() || !bits) return E_OUTOFMEMORY;
    StorePixels(bgra, outWidth, outHeight, bitsPerPixel, static_cast<BYTE*>(bits));
    result = bitmap.Release();
    return S_OK;
}

}  // namespace

// The published entry point: checks the parameter block, reads, decodes.
// No exception leaves it.
extern "C" HRESULT WINAPI DecompressImageIndirect(DecompressImageInfo* info) {
    if (!info) return E_POINTER;
    if (info->dwSize < sizeof(DecompressImageInfo)) return E_INVALIDARG;
    if (info->ppImageRender) *info->ppImageRender = nullptr;
    if (!info->phBM) return info->ppImageRender ? E_NOTIMPL : E_INVALIDARG;
    *info->phBM = nullptr;
    if (!info->pfnGetData) return E_INVALIDARG;
    try {
        std::vector<BYTE> data;
        HRESULT hr = ReadImage(*info, data);
        if (FAILED(hr)) return hr;
        HBITMAP bitmap = nullptr;
        if (FAILED(hr = DecodeImage(*info, data, bitmap))) return hr;
        *info->phBM = bitmap;
        if (info->pfnImageProgress) info->pfnImageProgress(nullptr, TRUE, info->lParam);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
