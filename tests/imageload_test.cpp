// Image files into bitmaps: the BMP reader on good and hostile files, the
// decoder DLL called directly and through LoadImageFile with and without it
// beside the program, bitmap sizes and tiling.
#include "skin/imageload.h"

#include <gtest/gtest.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "imgdecmp/imgdecmp.h"
#include "tests/support/testsupport.h"

namespace {

using Picture = std::function<std::uint32_t(int x, int y)>;  // 0xRRGGBB

void Put(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
    if (bytes.size() < at + size) bytes.resize(at + size);
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// Pixel rows as a BMP stores them: bottom row first, each padded to 4 bytes.
// `raw` gives a palette index, a 16-bit word or a colour.
std::string Rows(int width, int height, int bits, const Picture& raw) {
    std::string rows;
    const std::size_t stride = (bits * width + 31) / 32 * 4;
    for (int y = height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = raw(x, y);
            if (bits < 8) row[x * bits / 8] |= static_cast<char>(v << (8 - bits - x * bits % 8));
            else Put(row, x * bits / 8, bits == 24 || bits == 32 ? v & 0xFFFFFF : v, bits / 8);
        }
        rows += row;
    }
    return rows;
}

// The fields of a BMP file; `extra` (masks or colour table) follows the header
// unless a long header holds the masks itself.
struct Bmp {
    std::int32_t width = 3, height = 2;
    std::uint16_t bits = 24;
    std::uint32_t compression = BI_RGB, headerSize = 40, coloursUsed = 0;
    std::vector<std::uint32_t> extra{};
    std::string pixels{};
    std::uint32_t gap = 0;
    std::int64_t offset = -1;  // computed unless set

    std::string Bytes() const {
        std::string info;
        for (auto [at, value, size] : {std::tuple{0u, headerSize, 4}, {4u, std::uint32_t(width), 4},
                                       {8u, std::uint32_t(height), 4}, {12u, 1u, 2}, {14u, bits, 2},
                                       {16u, compression, 4}, {32u, coloursUsed, 4}})
            Put(info, at, value, size);
        info.resize(std::max<std::size_t>(headerSize, 40));
        const bool masksInside = compression == BI_BITFIELDS && headerSize >= 52;
        for (std::size_t i = 0; i < extra.size(); ++i) Put(info, masksInside ? 40 + 4 * i : info.size(), extra[i], 4);
        info += std::string(gap, '\x77');
        std::string file = "BM";
        Put(file, 10, offset >= 0 ? std::uint32_t(offset) : std::uint32_t(14 + info.size()), 4);
        return file + info + pixels;
    }
};

const std::uint32_t kPure[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0xFFFFFF};

BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    return info;
}

// Every pixel of a bitmap as 0xRRGGBB, top row first.
std::vector<std::uint32_t> ReadPixels(HBITMAP bitmap, int& width, int& height) {
    std::vector<std::uint32_t> pixels;
    if (!GetBitmapSize(bitmap, width, height)) return pixels;
    BITMAPINFO info = TopDown32(width, height);
    pixels.resize(std::size_t(width) * height);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (auto& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > tolerance) return false;
    return true;
}

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", value);
    return text;
}

TEST(BmpFile, LoadsEveryUncompressedDepth) {
    struct Case {
        std::uint16_t bits;
        std::uint32_t compression, headerSize;
        int colours;  // palette entries written and used; 8 for direct colour
    };
    const Case cases[] = {
        /* 0 */ {24, BI_RGB, 40, 8},        /* 1 */ {32, BI_RGB, 40, 8},
        /* 2 */ {8, BI_RGB, 40, 5},         /* 3 */ {4, BI_RGB, 40, 16},
        /* 4 */ {1, BI_RGB, 40, 2},         /* 5 */ {16, BI_RGB, 40, 8},  // 5-5-5
        /* 6 */ {16, BI_BITFIELDS, 40, 8},  /* 7 */ {32, BI_BITFIELDS, 124, 8},
        /* 8 */ {24, BI_RGB, 108, 8},       /* 9 */ {8, BI_RGB, 124, 7},
    };
    ScratchFolder folder;
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const Case& c = cases[i];
        const int used = std::min(c.colours, 8);
        const auto colour = [&](int x, int y) { return kPure[(x + 3 * y) % used]; };
        Bmp bmp{.width = 9, .height = 3, .bits = c.bits, .compression = c.compression, .headerSize = c.headerSize};
        if (c.bits <= 8) {
            bmp.coloursUsed = c.colours == (1 << c.bits) ? 0 : c.colours;
            for (int k = 0; k < c.colours; ++k) bmp.extra.push_back(kPure[k % 8]);
        }
        if (c.compression == BI_BITFIELDS && c.bits == 16) bmp.extra = {0xF800, 0x07E0, 0x001F};
        if (c.compression == BI_BITFIELDS && c.bits == 32) bmp.extra = {0xFF0000, 0xFF00, 0xFF};
        bmp.pixels = Rows(9, 3, c.bits, [&](int x, int y) -> std::uint32_t {
            const std::uint32_t v = colour(x, y), r = v >> 19 & 31, g = v >> 8 & 0xFF, b = v >> 3 & 31;
            if (c.bits <= 8) return (x + 3 * y) % used;
            if (c.bits != 16) return v;
            return c.compression == BI_RGB ? r << 10 | g >> 3 << 5 | b : r << 11 | g >> 2 << 5 | b;
        });
        HBITMAP bitmap = LoadBmpFile(folder.WriteFile(L"depth.bmp", bmp.Bytes()).c_str());
        ASSERT_NE(bitmap, nullptr) << "case " << i;
        int width = 0, height = 0;
        const auto pixels = ReadPixels(bitmap, width, height);
        EXPECT_EQ(width, 9) << "case " << i;
        EXPECT_EQ(height, 3) << "case " << i;
        for (int p = 0; p < int(pixels.size()); ++p)
            EXPECT_EQ(Hex(pixels[p]), Hex(colour(p % 9, p / 9))) << "case " << i << " pixel " << p;
        DeleteObject(bitmap);
    }
}

TEST(BmpFile, PixelDataIsReadAtTheOffsetAfterAnyGap) {
    ScratchFolder folder;
    Bmp bmp{.width = 1, .height = 2, .pixels = Rows(1, 2, 24, [](int, int y) { return kPure[y + 1]; }), .gap = 30};
    HBITMAP bitmap = LoadImageFile(folder.WriteFile(L"gap.bmp", bmp.Bytes() + "trailing").c_str(), 240, 320, 24);
    int width = 0, height = 0;
    EXPECT_EQ(ReadPixels(bitmap, width, height), (std::vector<std::uint32_t>{kPure[1], kPure[2]}));
    DeleteObject(bitmap);
}

TEST(BmpFile, HostileFilesGiveNullAndAreClosed) {
    const Bmp good{.pixels = std::string(24, '\x40')};
    const auto with = [&](auto change) {
        Bmp bmp = good;
        change(bmp);
        return bmp.Bytes();
    };
    const std::string goodBytes = good.Bytes();
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"13 bytes", goodBytes.substr(0, 13)},
        {"not BM", "BA" + goodBytes.substr(2)},
        {"offset 0", with([](Bmp& b) { b.offset = 0; })},
        {"offset 13", with([](Bmp& b) { b.offset = 13; })},
        {"offset inside the header", with([](Bmp& b) { b.offset = 14 + 39; })},
        {"offset beyond the file", with([](Bmp& b) { b.offset = 100000; })},
        {"offset 0xFFFFFFFF", with([](Bmp& b) { b.offset = 0xFFFFFFFF; })},
        // Files long enough to hold their pixels from any of these offsets:
        // only the offset's lower bound refuses them.
        {"offset 0 in a 3 KB file", with([](Bmp& b) { b.width = b.height = 32; b.pixels.resize(3072); b.offset = 0; })},
        {"offset 13 in a 3 KB file", with([](Bmp& b) { b.width = b.height = 32; b.pixels.resize(3072); b.offset = 13; })},
        {"core header", with([](Bmp& b) { b.headerSize = 12; })},
        {"header size 41", with([](Bmp& b) { b.headerSize = 41; })},
        {"header longer than the block", with([](Bmp& b) { b.headerSize = 124; b.offset = 14 + 40; })},
        {"width 0", with([](Bmp& b) { b.width = 0; })},
        {"width -3", with([](Bmp& b) { b.width = -3; })},
        {"width 100000", with([](Bmp& b) { b.width = 100000; })},
        {"height 0", with([](Bmp& b) { b.height = 0; })},
        {"top-down", with([](Bmp& b) { b.height = -2; })},
        {"height 0x80000000", with([](Bmp& b) { b.height = INT32_MIN; })},
        {"8192 x 8192 x 32 in a small file", with([](Bmp& b) { b.width = b.height = 8192; b.bits = 32; })},
        {"0 bits", with([](Bmp& b) { b.bits = 0; })},
        {"7 bits", with([](Bmp& b) { b.bits = 7; })},
        {"64 bits", with([](Bmp& b) { b.bits = 64; })},
        {"RLE8", with([](Bmp& b) { b.bits = 8; b.compression = BI_RLE8; b.extra.assign(256, 0); })},
        {"RLE4", with([](Bmp& b) { b.bits = 4; b.compression = BI_RLE4; b.extra.assign(16, 0); })},
        {"JPEG inside", with([](Bmp& b) { b.compression = BI_JPEG; })},
        {"bit fields at 24 bits", with([](Bmp& b) { b.compression = BI_BITFIELDS; b.extra = {0xFF, 0xFF00, 0}; })},
        {"bit fields without masks", with([](Bmp& b) { b.bits = 32; b.compression = BI_BITFIELDS; })},
        {"colour table past the block", with([](Bmp& b) { b.bits = 8; b.extra.assign(255, 0); })},
        {"257 colours at 8 bits", with([](Bmp& b) { b.bits = 8; b.coloursUsed = 257; b.extra.assign(257, 0); })},
        {"pixel data one byte short", goodBytes.substr(0, goodBytes.size() - 1)},
        {"no pixel data", goodBytes.substr(0, 54)},
    };
    ScratchFolder folder;
    HBITMAP control = LoadBmpFile(folder.WriteFile(L"good.bmp", goodBytes).c_str());
    ASSERT_NE(control, nullptr) << "the file every case changes must load";
    DeleteObject(control);
    for (const auto& [name, bytes] : cases) {
        const std::wstring path = folder.WriteFile(L"hostile.bmp", bytes);
        EXPECT_EQ(LoadBmpFile(path.c_str()), nullptr) << name;
        EXPECT_EQ(LoadImageFile(path.c_str(), 240, 320, 24), nullptr) << name;
        EXPECT_TRUE(DeleteFileW(path.c_str())) << name << ": the file was left open";
    }
    EXPECT_EQ(LoadBmpFile((folder / L"missing.bmp").c_str()), nullptr);
    EXPECT_EQ(LoadImageFile(folder.Path().c_str(), 240, 320, 24), nullptr) << "a folder";
}

TEST(BmpFileFuzz, MutatedFilesNeverCrashAndLoadOnlyAsTheirHeaderSays) {
    const char* text = std::getenv("PEBBLORA_SEED");
    const std::uint64_t seed = text ? std::strtoull(text, nullptr, 0) : std::random_device{}();
    std::printf("BmpFileFuzz seed: %llu (set PEBBLORA_SEED to replay)\n", static_cast<unsigned long long>(seed));
    std::mt19937_64 random(seed);
    const auto below = [&](std::size_t n) { return std::size_t(random() % n); };
    const std::string seeds[] = {
        Bmp{.width = 5, .height = 3, .bits = 8, .coloursUsed = 4, .extra = {1, 2, 3, 4},
            .pixels = Rows(5, 3, 8, [](int x, int) { return x % 4; })}.Bytes(),
        Bmp{.width = 4, .height = 4, .pixels = std::string(48, '\x33')}.Bytes()};
    const std::uint32_t interesting[] = {0,   1,    4,    8,          12,         14,        40,
                                         54, 124, 8192, 8193, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    ScratchFolder folder;
    int loaded = 0;
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        std::string bytes = seeds[i % 2];
        for (int edits = 1 + below(3); edits > 0; --edits) {
            switch (below(4)) {
            case 0: bytes[below(std::min<std::size_t>(bytes.size(), 70))] = char(random()); break;
            case 1: Put(bytes, 2 + 4 * below(12), interesting[below(std::size(interesting))], 4); break;
            case 2: bytes.resize(below(bytes.size() + 1)); break;
            default: bytes += std::string(below(64), char(random())); break;
            }
            if (bytes.size() < 2) break;
        }
        const std::wstring path = folder.WriteFile(L"fuzz.bmp", bytes);
        HBITMAP bitmap = LoadBmpFile(path.c_str());
        if (bitmap) {
            ++loaded;
            int width = 0, height = 0;
            ASSERT_TRUE(GetBitmapSize(bitmap, width, height));
            std::int32_t declared[2];
            std::memcpy(declared, bytes.data() + 18, sizeof declared);
            EXPECT_EQ(width, declared[0]) << "file " << i;
            EXPECT_EQ(height, declared[1]) << "file " << i;
            DeleteObject(bitmap);
        }
        ASSERT_TRUE(DeleteFileW(path.c_str())) << "file " << i << " was left open";
    }
    std::printf("%d of 3000 mutated files loaded\n", loaded);
    EXPECT_GT(loaded, 0) << "the mutations never left a loadable file";
}

// ---- Decoded formats ------------------------------------------------------

// Four quadrants: red, green / blue, white.
const std::uint32_t kQuadrants[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
std::uint32_t Quadrants(int x, int y, int width, int height) {
    return kQuadrants[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
}
Picture QuadrantPicture(int width, int height) {
    return [width, height](int x, int y) { return Quadrants(x, y, width, height); };
}

// Encodes a picture with WIC: 24-bit, or (GIF) indexed over kPure.
std::string Encode(const GUID& container, UINT width, UINT height, const Picture& picture) {
    IWICImagingFactory* factory = nullptr;
    IStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IWICPalette* palette = nullptr;
    const bool indexed = container == GUID_ContainerFormatGif;
    const WICPixelFormatGUID wanted = indexed ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
    WICPixelFormatGUID format = wanted;
    const UINT bytesPerPixel = indexed ? 1 : 3, stride = (width * bytesPerPixel + 3) & ~3u;
    std::vector<BYTE> pixels(std::size_t(stride) * height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            const std::uint32_t v = picture(x, y);
            if (indexed) pixels[y * stride + x] = BYTE(std::find(kPure, kPure + 8, v) - kPure);
            else for (UINT k = 0; k < 3; ++k) pixels[y * stride + x * 3 + k] = BYTE(v >> 8 * k);
        }
    WICColor colours[8];
    for (int k = 0; k < 8; ++k) colours[k] = 0xFF000000 | kPure[k];
    std::string bytes;
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
        SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
        SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
        IsEqualGUID(format, wanted) &&
        SUCCEEDED(factory->CreatePalette(&palette)) && SUCCEEDED(palette->InitializeCustom(colours, 8)) &&
        (!indexed || SUCCEEDED(frame->SetPalette(palette))) &&
        SUCCEEDED(frame->WritePixels(height, stride, UINT(pixels.size()), pixels.data())) &&
        SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit())) {
        STATSTG stat{};
        HGLOBAL memory = nullptr;
        if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && SUCCEEDED(GetHGlobalFromStream(stream, &memory))) {
            bytes.assign(static_cast<const char*>(GlobalLock(memory)), std::size_t(stat.cbSize.QuadPart));
            GlobalUnlock(memory);
        }
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{palette, frame, encoder, stream, factory})
        if (object) object->Release();
    if (SUCCEEDED(hr)) CoUninitialize();
    EXPECT_FALSE(bytes.empty()) << "could not encode a test picture";
    return bytes;
}

// An icon file holding one PNG image.
std::string IconWithPng(int size, const std::string& png) {
    std::string icon;
    Put(icon, 2, 1, 2), Put(icon, 4, 1, 2), Put(icon, 6, size, 1), Put(icon, 7, size, 1);
    Put(icon, 10, 1, 2), Put(icon, 12, 32, 2), Put(icon, 14, std::uint32_t(png.size()), 4), Put(icon, 18, 22, 4);
    return icon + png;
}

struct Sample {
    const wchar_t* name;
    std::string bytes;
    int width, height, tolerance;  // expected size; 0 when no bitmap is expected
};

// One of each format, a large picture to be scaled and undecodable data.
std::vector<Sample> Samples() {
    const auto quadrants = QuadrantPicture;
    const std::string png = Encode(GUID_ContainerFormatPng, 40, 30, quadrants(40, 30));
    return {{L"q.png", png, 40, 30, 2},
            {L"q.jpg", Encode(GUID_ContainerFormatJpeg, 40, 30, quadrants(40, 30)), 40, 30, 48},
            {L"q.gif", Encode(GUID_ContainerFormatGif, 40, 30, quadrants(40, 30)), 40, 30, 2},
            {L"q.tif", Encode(GUID_ContainerFormatTiff, 40, 30, quadrants(40, 30)), 40, 30, 2},
            {L"q.bmp", Bmp{.width = 40, .height = 30, .pixels = Rows(40, 30, 24, quadrants(40, 30))}.Bytes(), 40, 30,
             0},
            {L"q.ico", IconWithPng(32, Encode(GUID_ContainerFormatPng, 32, 32, quadrants(32, 32))), 32, 32, 2},
            {L"wide.png", Encode(GUID_ContainerFormatPng, 480, 200, quadrants(480, 200)), 240, 100, 2},
            {L"half.png", png.substr(0, png.size() / 2), 0, 0, 0},
            {L"noise.png", std::string(300, '\x5A'), 0, 0, 0}};
}

// What a child reports of one loaded image: "width height bits" and the
// colours at the middles of the four quadrants, or "null".
std::string Describe(HBITMAP bitmap) {
    int width = 0, height = 0;
    const auto pixels = ReadPixels(bitmap, width, height);
    if (pixels.empty()) return "null";
    DIBSECTION dib{};
    GetObjectW(bitmap, sizeof dib, &dib);
    std::string text = std::to_string(width) + " " + std::to_string(height);
    text += " " + std::to_string(dib.dsBm.bmBitsPixel);
    for (int q = 0; q < 4; ++q) {
        const int x = width / 4 + q % 2 * width / 2, y = height / 4 + q / 2 * height / 2;
        text += " " + Hex(pixels[y * width + x]);
    }
    return text;
}

// Compares descriptions with the samples.
void CheckDescriptions(const std::vector<Sample>& samples, const std::vector<std::string>& seen, int bits) {
    ASSERT_EQ(seen.size(), samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const Sample& s = samples[i];
        SCOPED_TRACE(Narrow(s.name) + ": " + seen[i]);
        if (s.width == 0) {
            EXPECT_EQ(seen[i], "null");
            continue;
        }
        int width = 0, height = 0, depth = 0;
        std::uint32_t c[4] = {};
        ASSERT_EQ(std::sscanf(seen[i].c_str(), "%d %d %d %x %x %x %x", &width, &height, &depth, &c[0], &c[1], &c[2],
                              &c[3]),
                  7);
        EXPECT_EQ(width, s.width);
        EXPECT_EQ(height, s.height);
        EXPECT_EQ(depth, bits);
        for (int q = 0; q < 4; ++q) EXPECT_TRUE(Near(c[q], kQuadrants[q], s.tolerance)) << "quadrant " << q;
    }
}

// Loads every file named after the report path with LoadImageFile and writes
// one description per line to the report.
PEBBLORA_CHILD(DescribeImages) {
    FILE* report = _wfopen(Widen(argv[0]).c_str(), L"w");
    if (!report) return 2;
    for (int i = 1; i < argc; ++i) {
        HBITMAP bitmap = LoadImageFile(Widen(argv[i]).c_str(), 240, 320, 16);
        std::fprintf(report, "%s\n", Describe(bitmap).c_str());
        DeleteObject(bitmap);
    }
    std::fclose(report);
    return 0;
}

// Runs DescribeImages from `exe` in `directory` over the samples written to `folder`.
std::vector<std::string> DescribeInChild(const std::wstring& exe, const std::wstring& directory,
                                         const ScratchFolder& folder, const std::vector<Sample>& samples) {
    std::wstring arguments = L"--child DescribeImages \"" + folder / L"report.txt" + L"\"";
    for (const Sample& s : samples) arguments += L" \"" + folder.WriteFile(s.name, s.bytes) + L"\"";
    ChildProcess child;
    EXPECT_TRUE(StartProgram(exe, arguments, child, directory));
    EXPECT_EQ(child.Wait(60000), 0);
    std::vector<std::string> lines;
    if (FILE* report = _wfopen((folder / L"report.txt").c_str(), L"r")) {
        for (char line[256]; std::fgets(line, sizeof line, report);) lines.emplace_back(line, std::strcspn(line, "\n"));
        std::fclose(report);
    }
    return lines;
}

std::wstring BuiltDecoder() {
    std::wstring exe = OwnExecutable();
    exe = exe.substr(0, exe.rfind(L'\\'));
    return exe.substr(0, exe.rfind(L'\\')) + L"\\app\\IMGDECMP.DLL";
}

TEST(ImageFile, WithoutTheDecoderOnlyBmpFilesLoad) {
    std::wstring beside = OwnExecutable();
    beside = beside.substr(0, beside.rfind(L'\\')) + L"\\IMGDECMP.DLL";
    ASSERT_EQ(GetFileAttributesW(beside.c_str()), INVALID_FILE_ATTRIBUTES) << "the test folder must hold no decoder";
    HBITMAP sentinel = reinterpret_cast<HBITMAP>(0x66);
    DecompressImageInfo info{};
    info.dwSize = sizeof info;
    info.phBM = &sentinel;
    EXPECT_EQ(DecompressImage(&info), E_NOTIMPL);
    EXPECT_EQ(sentinel, reinterpret_cast<HBITMAP>(0x66));

    ScratchFolder folder;
    std::vector<Sample> samples = Samples();
    std::vector<std::string> seen;
    for (Sample& s : samples) {
        if (std::wstring(s.name) != L"q.bmp") s.width = 0;  // nothing but BMP loads
        HBITMAP bitmap = LoadImageFile(folder.WriteFile(s.name, s.bytes).c_str(), 240, 320, 16);
        seen.push_back(Describe(bitmap));
        DeleteObject(bitmap);
    }
    CheckDescriptions(samples, seen, 24);
}

TEST(ImageFile, WithTheDecoderBesideTheProgramEveryFormatLoads) {
    ScratchFolder folder;
    ASSERT_TRUE(CopyFileW(OwnExecutable().c_str(), (folder / L"program.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(BuiltDecoder().c_str(), (folder / L"IMGDECMP.DLL").c_str(), FALSE)) << Narrow(BuiltDecoder());
    const std::vector<Sample> samples = Samples();
    CheckDescriptions(samples, DescribeInChild(folder / L"program.exe", L"", folder, samples), 24);
}

TEST(ImageFile, ADecoderInTheCurrentFolderIsNeverLoaded) {
    ScratchFolder folder;
    ASSERT_TRUE(CopyFileW(BuiltDecoder().c_str(), (folder / L"IMGDECMP.DLL").c_str(), FALSE));
    std::vector<Sample> samples = Samples();
    samples.resize(1);
    samples[0].width = 0;
    wchar_t full[MAX_PATH];
    GetFullPathNameW(folder.Path().c_str(), MAX_PATH, full, nullptr);
    CheckDescriptions(samples, DescribeInChild(OwnExecutable(), full, folder, samples), 24);
}

// ---- The decoder called directly --------------------------------------------

struct Source {
    std::string bytes;
    std::size_t at = 0;
    std::vector<DWORD> asked{};
    int progress = 0;
};

DWORD CALLBACK ReadSource(LPSTR buffer, DWORD size, LPARAM param) {
    auto& source = *reinterpret_cast<Source*>(param);
    source.asked.push_back(size);
    const DWORD count = DWORD(std::min<std::size_t>(size, source.bytes.size() - source.at));
    std::memcpy(buffer, source.bytes.data() + source.at, count);
    source.at += count;
    return count;
}

void CALLBACK CountProgress(void* render, BOOL complete, LPARAM param) {
    if (!render && complete) ++reinterpret_cast<Source*>(param)->progress;
}

// IMGDECMP.DLL from the build, loaded for the length of one test.
class Decoder : public testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(BuiltDecoder().c_str());
        ASSERT_NE(module_, nullptr) << Narrow(BuiltDecoder());
        decode_ = reinterpret_cast<DecompressImageIndirectProc>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DecompressImageIndirect")));
        ASSERT_NE(decode_, nullptr);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }
    DecompressImageInfo Info(Source& source, BYTE* buffer, DWORD bufferSize, HBITMAP* result) {
        return {sizeof(DecompressImageInfo), buffer, bufferSize, 0, result, nullptr, 24,
                reinterpret_cast<LPARAM>(&source), nullptr, 100, 240, 320, ReadSource, CountProgress, CLR_INVALID};
    }
    HMODULE module_ = nullptr;
    DecompressImageIndirectProc decode_ = nullptr;
};

TEST_F(Decoder, ScalesDownToFitKeepingProportionsAndGivesTheDepthAsked) {
    struct Case {
        int width, height, maxWidth, maxHeight, scale, depth, outWidth, outHeight, outBits;
    };
    const Case cases[] = {
        /* 0 */ {480, 200, 240, 320, 100, 16, 240, 100, 24}, /* 1 */ {100, 400, 240, 320, 100, 32, 80, 320, 32},
        /* 2 */ {240, 320, 240, 320, 100, 24, 240, 320, 24}, /* 3 */ {40, 30, 240, 320, 100, 8, 40, 30, 24},
        /* 4 */ {300, 300, 240, 0, 100, 24, 240, 240, 24},   /* 5 */ {1000, 2, 240, 320, 100, 24, 240, 1, 24},
        /* 6 */ {40, 30, 0, 0, 50, 24, 20, 15, 24},          /* 7 */ {40, 30, 10, 10, 0, 24, 10, 8, 24},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const Case& c = cases[i];
        Source source{Encode(GUID_ContainerFormatPng, c.width, c.height, QuadrantPicture(c.width, c.height))};
        HBITMAP bitmap = nullptr;
        BYTE buffer[4096];
        DecompressImageInfo info = Info(source, buffer, sizeof buffer, &bitmap);
        info.iMaxWidth = c.maxWidth, info.iMaxHeight = c.maxHeight, info.iScale = c.scale, info.iBitDepth = c.depth;
        ASSERT_EQ(decode_(&info), S_OK) << "case " << i;
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(bitmap, sizeof dib, &dib), int(sizeof dib)) << "case " << i << ": not a DIB section";
        EXPECT_EQ(dib.dsBm.bmWidth, c.outWidth) << "case " << i;
        EXPECT_EQ(dib.dsBm.bmHeight, c.outHeight) << "case " << i;
        EXPECT_EQ(dib.dsBm.bmBitsPixel, c.outBits) << "case " << i;
        DeleteObject(bitmap);
    }
}

TEST_F(Decoder, ReadsThroughTheCallerBufferAndReportsFailuresWithoutABitmap) {
    const std::string png = Encode(GUID_ContainerFormatPng, 120, 90, QuadrantPicture(120, 90));
    for (DWORD bufferSize : {4096u, 1000u}) {
        // The first 100 bytes are already in the buffer; the callback serves the rest.
        Source source{png.substr(100)};
        std::vector<BYTE> buffer(bufferSize + 16, 0x66);
        std::memcpy(buffer.data(), png.data(), 100);
        HBITMAP bitmap = nullptr;
        DecompressImageInfo info = Info(source, buffer.data(), bufferSize, &bitmap);
        info.dwBufferCurrent = 100;
        EXPECT_EQ(decode_(&info), S_OK) << bufferSize;
        EXPECT_NE(bitmap, nullptr);
        EXPECT_EQ(source.at, source.bytes.size()) << "not everything was read";
        for (DWORD asked : source.asked) EXPECT_EQ(asked, bufferSize);
        EXPECT_EQ(std::string(buffer.end() - 16, buffer.end()), std::string(16, '\x66')) << "buffer overrun";
        EXPECT_EQ(source.progress, 1);
        DeleteObject(bitmap);
    }
    for (const std::string& bad : {std::string(), std::string(5000, '\x5A'), png.substr(0, png.size() / 2)}) {
        Source source{bad};
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(0x66);
        DecompressImageInfo info = Info(source, nullptr, 0, &bitmap);
        EXPECT_TRUE(FAILED(decode_(&info))) << bad.size() << " bytes";
        EXPECT_EQ(bitmap, nullptr);
        EXPECT_EQ(source.progress, 0);
    }
    Source source{png};
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(0x66);
    DecompressImageInfo info = Info(source, nullptr, 0, &bitmap);
    EXPECT_EQ(decode_(nullptr), E_POINTER);
    info.dwSize = 60;  // the 32-bit size: the layout cannot be trusted, nothing is written
    EXPECT_EQ(decode_(&info), E_INVALIDARG);
    EXPECT_EQ(bitmap, reinterpret_cast<HBITMAP>(0x66));
    info.dwSize = sizeof info, info.pfnGetData = nullptr;
    EXPECT_EQ(decode_(&info), E_INVALIDARG);
    EXPECT_EQ(bitmap, nullptr);
    info.phBM = nullptr, info.pfnGetData = ReadSource;
    EXPECT_EQ(decode_(&info), E_INVALIDARG);
}

// ---- Bitmap size and tiling -----------------------------------------------

// A DIB section of 32 bits, top-down, filled with `colour`.
HBITMAP Surface(int width, int height, std::uint32_t colour) {
    const BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::fill_n(static_cast<std::uint32_t*>(bits), std::size_t(width) * height, colour);
    return bitmap;
}

TEST(ImageBitmapSize, OnlyBitmapsHaveASize) {
    HBITMAP deleted = CreateBitmap(2, 2, 1, 32, nullptr);
    DeleteObject(deleted);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    for (HGDIOBJ object : {HGDIOBJ(nullptr), HGDIOBJ(deleted), HGDIOBJ(brush), HGDIOBJ(uintptr_t(0x12345))}) {
        int width = -1, height = -1;
        EXPECT_FALSE(GetBitmapSize(static_cast<HBITMAP>(object), width, height)) << object;
        EXPECT_EQ(width, 0);
        EXPECT_EQ(height, 0);
    }
    DeleteObject(brush);
    HBITMAP bitmap = Surface(7, 3, 0);
    int width = -1, height = -1;
    EXPECT_TRUE(GetBitmapSize(bitmap, width, height));
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 3);
    DeleteObject(bitmap);
}

TEST(TileBitmap, CoversTheRectangleWithWholeCopiesReachingPastItsFarEdges) {
    // A 1 x 4 strip over 240 x 268 at (5, 7): columns 5..245, rows 7..278.
    const std::uint32_t stripe[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, sentinel = 0x666666;
    HBITMAP tile = Surface(1, 4, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = Surface(260, 290, sentinel);
    SelectObject(dc, tile);
    for (int y = 0; y < 4; ++y) SetPixelV(dc, 0, y, RGB(stripe[y] >> 16, stripe[y] >> 8 & 0xFF, stripe[y] & 0xFF));
    SelectObject(dc, target);
    TileBitmap(dc, RECT{5, 7, 245, 275}, tile);
    for (const RECT& empty : {RECT{250, 10, 250, 20}, RECT{250, 284, 255, 284}})
        TileBitmap(dc, empty, tile);  // must draw nothing, like a handle that is no bitmap
    TileBitmap(dc, RECT{0, 0, 260, 290}, nullptr);
    DeleteDC(dc);
    int width = 0, height = 0, wrong = 0;
    const auto pixels = ReadPixels(target, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool covered = x >= 5 && x <= 245 && y >= 7 && y <= 278;
            const std::uint32_t expected = covered ? stripe[(y - 7) % 4] : sentinel;
            if (pixels[y * width + x] != expected && ++wrong <= 5)
                ADD_FAILURE() << "(" << x << ", " << y << ") is " << Hex(pixels[y * width + x]) << ", expected "
                              << Hex(expected);
        }
    EXPECT_EQ(wrong, 0);
    DeleteObject(target);
    DeleteObject(tile);
}

TEST(TileBitmap, CopiesA1By4Bitmap241By68TimesOver240By268) {
    // Counted in a metafile, which records each copy.
    HBITMAP tile = Surface(1, 4, 0x123456);
    HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(recorder, nullptr);
    TileBitmap(recorder, RECT{0, 0, 240, 268}, tile);
    HENHMETAFILE recording = CloseEnhMetaFile(recorder);
    std::vector<POINT> copies;
    EnumEnhMetaFile(nullptr, recording, [](HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM param) -> int {
        if (record->iType == EMR_BITBLT) {
            const auto* blt = reinterpret_cast<const EMRBITBLT*>(record);
            reinterpret_cast<std::vector<POINT>*>(param)->push_back({blt->xDest, blt->yDest});
        }
        return 1;
    }, &copies, nullptr);
    DeleteEnhMetaFile(recording);
    DeleteObject(tile);
    ASSERT_EQ(copies.size(), 241u * 68u);
    for (std::size_t k = 0; k < copies.size(); ++k)  // rows top to bottom, each left to right
        ASSERT_TRUE(copies[k].x == LONG(k % 241) && copies[k].y == LONG(k / 241 * 4)) << "copy " << k;
}

}  // namespace
