// Image files into bitmaps: the optional decoder DLL, the BMP reader that
// stands in for it, and tiling.
#include "skin/imageload.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imgdecmp/imgdecmp.h"

namespace {

// An open file, closed when the holder goes.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = INVALID_HANDLE_VALUE; }
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = other.handle_;
            other.handle_ = INVALID_HANDLE_VALUE;
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE Get() const { return handle_; }
    void Close() {
        if (*this) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

// Opens an existing file for reading, others may read it too.
FileHandle OpenForReading(const wchar_t* path) {
    return FileHandle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
}

// A loaded library, freed when the holder goes.
class LoadedLibrary {
public:
    explicit LoadedLibrary(HMODULE module) : module_(module) {}
    ~LoadedLibrary() {
        if (module_) FreeLibrary(module_);
    }
    LoadedLibrary(LoadedLibrary&& other) noexcept : module_(other.module_) { other.module_ = nullptr; }
    LoadedLibrary& operator=(LoadedLibrary&&) = delete;
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    explicit operator bool() const { return module_ != nullptr; }
    HMODULE Get() const { return module_; }

private:
    HMODULE module_;
};

// A GDI bitmap deleted unless it is released to the caller.
class OwnedBitmap {
public:
    explicit OwnedBitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
    ~OwnedBitmap() {
        if (bitmap_) DeleteObject(bitmap_);
    }
    OwnedBitmap(OwnedBitmap&& other) noexcept : bitmap_(other.bitmap_) { other.bitmap_ = nullptr; }
    OwnedBitmap& operator=(OwnedBitmap&&) = delete;
    OwnedBitmap(const OwnedBitmap&) = delete;
    OwnedBitmap& operator=(const OwnedBitmap&) = delete;

    explicit operator bool() const { return bitmap_ != nullptr; }
    [[nodiscard]] HBITMAP Release() {
        HBITMAP bitmap = bitmap_;
        bitmap_ = nullptr;
        return bitmap;
    }

private:
    HBITMAP bitmap_;
};

// A memory device context compatible with another, its first state saved;
// the state is restored (deselecting whatever was selected) and the context
// deleted when the scope ends.
class MemoryDCScope {
public:
    explicit MemoryDCScope(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {
        if (dc_) saved_ = SaveDC(dc_);
    }
    ~MemoryDCScope() {
        if (!dc_) return;
        if (saved_) RestoreDC(dc_, saved_);
        DeleteDC(dc_);
    }
    MemoryDCScope(const MemoryDCScope&) = delete;
    MemoryDCScope& operator=(const MemoryDCScope&) = delete;

    explicit operator bool() const { return dc_ != nullptr; }
    HDC Get() const { return dc_; }

private:
    HDC dc_;
    int saved_ = 0;
};

// Reads exactly `size` bytes; false on an error or a short read.
[[nodiscard]] bool ReadExactly(HANDLE file, void* buffer, std::uint64_t size) {
    auto* at = static_cast<BYTE*>(buffer);
    while (size > 0) {
        const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(size, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, at, want, &got, nullptr) || got == 0) return false;
        at += got;
        size -= got;
    }
    return true;
}

std::uint16_t ReadU16(const BYTE* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }
std::uint32_t ReadU32(const BYTE* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}
std::int32_t ReadI32(const BYTE* at) { return static_cast<std::int32_t>(ReadU32(at)); }

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::int32_t kMaxBmpSide = 8192;
// The most of the information block the reader looks at: the largest header
// form and a full 256-entry colour table. Bytes beyond it up to the pixel
// data are skipped unread.
constexpr std::uint32_t kMaxInfoBytes = 124 + 256 * 4;

// The information block rewritten as a plain BITMAPINFOHEADER followed by the
// colour masks or the colour table, which is all a DIB section needs.
struct DibDescription {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

// Checks the information block (`available` bytes of it at `block`) against
// the contract of LoadBmpFile and describes the DIB it asks for.
[[nodiscard]] bool DescribeDib(const BYTE* block, std::uint32_t available, DibDescription& dib) {
    if (available < sizeof(BITMAPINFOHEADER)) return false;
    const std::uint32_t headerSize = ReadU32(block);
    const bool knownForm = headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
                           headerSize == 124;
    if (!knownForm || headerSize > available) return false;

    const std::int32_t width = ReadI32(block + 4);
    const std::int32_t height = ReadI32(block + 8);
    const std::uint16_t planes = ReadU16(block + 12);
    const std::uint16_t bits = ReadU16(block + 14);
    const std::uint32_t compression = ReadU32(block + 16);
    const std::uint32_t coloursUsed = ReadU32(block + 32);
    if (width < 1 || width > kMaxBmpSide || height < 1 || height > kMaxBmpSide || planes != 1) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    const bool bitfields = compression == BI_BITFIELDS && (bits == 16 || bits == 32);
    if (compression != BI_RGB && !bitfields) return false;

    std::memset(&dib, 0, sizeof dib);
    dib.header.biSize = sizeof(BITMAPINFOHEADER);
    dib.header.biWidth = width;
    dib.header.biHeight = height;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = bits;
    dib.header.biCompression = compression;
    dib.header.biXPelsPerMeter = ReadI32(block + 24);
    dib.header.biYPelsPerMeter = ReadI32(block + 28);
    if (bitfields) {
        // The three masks follow a 40-byte header and are part of every
        // longer form, so they sit at +40 either way.
        if (available < 52) return false;
        std::memcpy(dib.colours, block + 40, 12);
    } else if (bits <= 8) {
        const std::uint32_t full = 1u << bits;
        if (coloursUsed > full) return false;
        const std::uint32_t entries = coloursUsed ? coloursUsed : full;
        if (headerSize + entries * 4 > available) return false;
        std::memcpy(dib.colours, block + headerSize, entries * 4);
        dib.header.biClrUsed = entries;
    }
    return true;
}

// Does nothing: the program draws images only once they are complete.
void CALLBACK IgnoreImageProgress(void*, BOOL, LPARAM) {}

}  // namespace

// Decoder first, the BMP reader when it gives nothing.
HBITMAP LoadImageFile(const wchar_t* path, int maxWidth, int maxHeight, int bitDepth) {
    HBITMAP bitmap = nullptr;
    {
        FileHandle file = OpenForReading(path);
        if (!file) return nullptr;
        BYTE buffer[4096];
        DecompressImageInfo info{};
        info.dwSize = sizeof info;
        info.pbBuffer = buffer;
        info.dwBufferMax = sizeof buffer;
        info.dwBufferCurrent = 0;
        info.phBM = &bitmap;
        info.ppImageRender = nullptr;
        info.iBitDepth = bitDepth;
        info.lParam = reinterpret_cast<LPARAM>(file.Get());
        info.hdc = nullptr;
        info.iScale = 100;
        info.iMaxWidth = maxWidth;
        info.iMaxHeight = maxHeight;
        info.pfnGetData = ReadImageData;
        info.pfnImageProgress = IgnoreImageProgress;
        info.crTransparentOverride = CLR_INVALID;
        // Success is judged by the bitmap alone: a decoder may report a
        // failure code and still have produced one, or the other way round.
        (void)DecompressImage(&info);
    }
    return bitmap ? bitmap : LoadBmpFile(path);
}

// Only the executable's folder and the system folder are searched: a copy
// of the DLL planted in the current folder (the device's root, which anyone
// can write to) is never loaded.
HRESULT DecompressImage(DecompressImageInfo* info) {
    LoadedLibrary library(
        LoadLibraryExW(L"IMGDECMP.DLL", nullptr, LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!library) return E_NOTIMPL;
    const FARPROC entry = GetProcAddress(library.Get(), "DecompressImageIndirect");
    if (!entry) return E_NOTIMPL;
    return reinterpret_cast<DecompressImageIndirectProc>(reinterpret_cast<void*>(entry))(info);
}

// Plain bounded read from the file handle carried in `param`.
DWORD CALLBACK ReadImageData(LPSTR buffer, DWORD size, LPARAM param) {
    const HANDLE file = reinterpret_cast<HANDLE>(param);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD got = 0;
    if (!ReadFile(file, buffer, size, &got, nullptr)) return 0;
    return got;
}

// Accepted files, numbers little-endian; everything else gives null, without
// reading or writing outside the file's data or the DIB's memory:
// - 14-byte file header: "BM", and at +10 the offset n of the pixel data,
//   at least 14 + 40 and not beyond the end of the file.
// - Information block, the n - 14 bytes from offset 14: a BITMAPINFOHEADER or
//   one of its longer forms (size field 40, 52, 56, 108 or 124, and no larger
//   than the block); width and height 1 to 8192 (a positive height: rows
//   stored bottom-up; top-down files are refused); 1 plane; 1, 4, 8, 16, 24
//   or 32 bits per pixel; BI_RGB, or BI_BITFIELDS at 16 or 32 bits with its
//   three masks inside the block. At 8 bits or fewer the colour table of
//   biClrUsed entries (0: all 2^bits, more than 2^bits refused) follows the
//   header inside the block. Bytes after these up to n are skipped.
// - At offset n, height x stride bytes of pixel rows, stride being the row
//   length rounded up to a multiple of 4 bytes, all inside the file.
HBITMAP LoadBmpFile(const wchar_t* path) {
    FileHandle file = OpenForReading(path);
    if (!file) return nullptr;
    LARGE_INTEGER fileSize{};
    if (!GetFileSizeEx(file.Get(), &fileSize)) return nullptr;

    BYTE fileHeader[kFileHeaderBytes];
    if (!ReadExactly(file.Get(), fileHeader, sizeof fileHeader)) return nullptr;
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') return nullptr;
    const std::uint32_t pixelOffset = ReadU32(fileHeader + 10);
    if (pixelOffset < kFileHeaderBytes + sizeof(BITMAPINFOHEADER) ||
        pixelOffset > static_cast<std::uint64_t>(fileSize.QuadPart))
        return nullptr;

    BYTE block[kMaxInfoBytes];
    const std::uint32_t available = std::min(pixelOffset - kFileHeaderBytes, kMaxInfoBytes);
    if (!ReadExactly(file.Get(), block, available)) return nullptr;
    DibDescription dib;
    if (!DescribeDib(block, available, dib)) return nullptr;

    // Width and height are 1 to 8192 here, so neither product can wrap.
    const std::uint64_t stride = (static_cast<std::uint64_t>(dib.header.biBitCount) * dib.header.biWidth + 31) / 32 * 4;
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(dib.header.biHeight);
    if (pixelBytes > static_cast<std::uint64_t>(fileSize.QuadPart) - pixelOffset) return nullptr;

    void* pixels = nullptr;
    OwnedBitmap bitmap(
        CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&dib), DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bitmap || !pixels) return nullptr;
    LARGE_INTEGER at{};
    at.QuadPart = pixelOffset;
    if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) return nullptr;
    if (!ReadExactly(file.Get(), pixels, pixelBytes)) return nullptr;
    return bitmap.Release();
}

// Asks GDI for the object's description, after making sure it is a bitmap:
// for another kind of object GetObject would describe that one instead.
bool GetBitmapSize(HBITMAP bitmap, int& width, int& height) {
    width = 0;
    height = 0;
    if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP) return false;
    BITMAP description{};
    if (GetObjectW(bitmap, sizeof description, &description) == 0) return false;
    width = description.bmWidth;
    height = std::abs(description.bmHeight);
    return true;
}

// Rows of copies top to bottom, each row left to right: span / size + 1 of
// them each way, so the last row and column always reach or pass the far
// edges, even when the sizes divide the rectangle.
void TileBitmap(HDC dc, const RECT& rect, HBITMAP bitmap) {
    int tileWidth = 0, tileHeight = 0;
    if (!GetBitmapSize(bitmap, tileWidth, tileHeight) || tileWidth <= 0 || tileHeight <= 0) return;
    if (rect.right <= rect.left || rect.bottom <= rect.top) return;
    MemoryDCScope source(dc);
    if (!source || !SelectObject(source.Get(), bitmap)) return;
    const std::int64_t columns = (static_cast<std::int64_t>(rect.right) - rect.left) / tileWidth;
    const std::int64_t rows = (static_cast<std::int64_t>(rect.bottom) - rect.top) / tileHeight;
    for (std::int64_t i = 0; i <= rows; ++i) {
        for (std::int64_t j = 0; j <= columns; ++j) {
            BitBlt(dc, static_cast<int>(rect.left + j * tileWidth), static_cast<int>(rect.top + i * tileHeight),
                   tileWidth, tileHeight, source.Get(), 0, 0, SRCCOPY);
        }
    }
}
