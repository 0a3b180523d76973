// Randomised skin files: generated ones must give exactly what a simple model
// of the format predicts; mutated and random ones, with random bytes behind
// the image names, must give a loaded skin or false and never leave SkinInfo
// broken. Prints its seed; set PEBBLORA_SEED to replay a run.
#include "game/skinfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/skincheck/skincheck.h"
#include "game/boardpainter.h"
#include "skin/imageload.h"
#include "tests/support/testsupport.h"

namespace {

constexpr int kGenerated = 400;
constexpr int kMutated = 600;

std::uint64_t ChooseSeed() {
    if (const char* text = std::getenv("PEBBLORA_SEED")) return std::strtoull(text, nullptr, 0);
    return std::random_device{}();
}

class Random {
public:
    explicit Random(std::uint64_t seed) : engine(seed) {}
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine); }
    bool OneIn(int n) { return Below(n) == 0; }
    template <class T, std::size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(int(N))]; }
    std::string Bytes(int most) {
        static const char steering[] = {'\n', '\r', '\x1A', '\0', '[', ']', '=', '"', ';', ' ', '\\', '\x83', '\xFF'};
        std::string bytes(Below(most + 1), '\0');
        for (char& c : bytes) c = OneIn(2) ? Pick(steering) : char(Below(256));
        return bytes;
    }
    std::mt19937_64 engine;
};

// A `num` value as written and the colours it must give.
struct Num {
    const char* text;
    int colours;
};
const Num kNums[] = {{"2", 2}, {"3", 3}, {"4", 4}, {"5", 5}, {"1", 4}, {"6", 4}, {"0", 4}, {"-2", 4},
                     {" 3 ", 3}, {"+5", 5}, {"4x", 4}, {"x", 4}, {"", 4}, {"2147483648", 4}, {"-2147483649", 4}};

// What the model knows of one image key.
struct Image {
    bool present = false;
    bool quoted = false;
    bool exists = false;
    std::wstring name;
};

// Builds a generated skin's text and the state ReadSkinFile must leave.
struct ModelSkin {
    bool ver = false;
    std::optional<Num> num;
    Image piece, background;
    std::string text;

    void Write(Random& random) {
        std::vector<std::string> main, images, noise;
        const char* sections[] = {"PEBBLORA", "pebblora", "Pebblora"};
        const char* imageSections[] = {"IMAGES", "images", " Images "};
        if (ver) main.push_back("ver=" + std::to_string(random.Below(9)));
        if (num) main.push_back(std::string(random.OneIn(2) ? "num=" : "  num =  ") + num->text);
        for (auto [key, image] : {std::pair{"piece", &piece}, {"background", &background}}) {
            if (!image->present) continue;
            const std::string name = Narrow(image->name);
            images.push_back(std::string(key) + "=" + (image->quoted ? "\"" + name + "\"" : name));
        }
        // Lines that must not count: keys in the wrong case, comments, lines
        // without "=", and the real keys in a section of their own.
        const char* decoys[] = {"Ver=1", "NUM=3", "; num=2", "# ver=1", "junk line"};
        main.insert(main.begin() + random.Below(int(main.size()) + 1), random.Pick(decoys));
        images.insert(images.begin() + random.Below(int(images.size()) + 1), "Piece=x.bmp");
        noise = {"ver=1", "num=2", "piece=a.bmp", "background=a.bmp"};
        text.clear();
        auto emit = [&](const char* header, std::vector<std::string>& lines) {
            text += std::string("[") + header + "]\r\n";
            for (auto& line : lines) text += line + (random.OneIn(2) ? "\r\n" : "\n");
        };
        if (random.OneIn(2)) {
            emit(random.Pick(sections), main);
            emit(random.Pick(imageSections), images);
        } else {
            emit(random.Pick(imageSections), images);
            emit(random.Pick(sections), main);
        }
        emit("OTHER", noise);
        // A later key of the same name never wins over the first.
        if (num && random.OneIn(3)) text += "[PEBBLORA]\nnum=7\n";
    }
};

void CheckTerminated(int round) {
    ASSERT_LT(wcsnlen(SkinInfo.piecePath, kMaxPath), std::size_t(kMaxPath)) << "round " << round;
    ASSERT_LT(wcsnlen(SkinInfo.backgroundPath, kMaxPath), std::size_t(kMaxPath)) << "round " << round;
}

TEST(SkinFileFuzz, GeneratedSkinsGiveWhatTheModelPredicts) {
    const std::uint64_t seed = ChooseSeed();
    std::printf("PEBBLORA_SEED=%llu\n", static_cast<unsigned long long>(seed));
    SCOPED_TRACE("PEBBLORA_SEED=" + std::to_string(seed));
    Random random(seed);
    ScratchFolder folder;
    // A deep folder puts long names over the limit of a path.
    const std::wstring deep = folder / std::wstring(150, L'd');
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    const wchar_t* names[] = {L"a.bmp", L"b c.png", L"pieces.jpg", L"x.y.gif", L"z"};
    SkinInfo = SkinDescription{};
    int loaded = 0;

    for (int round = 0; round < kGenerated; ++round) {
        const std::wstring& place = random.OneIn(3) ? deep : folder.Path();
        ModelSkin skin;
        skin.ver = !random.OneIn(6);
        if (!random.OneIn(6)) skin.num = random.Pick(kNums);
        for (Image* image : {&skin.piece, &skin.background}) {
            image->present = !random.OneIn(5);
            image->quoted = random.OneIn(2);
            image->name = random.OneIn(4) ? std::wstring(80 + random.Below(40), L'n') + L".bmp" : random.Pick(names);
            image->exists = random.OneIn(4) ? false : true;
            const std::wstring full = place + L"\\" + image->name;
            if (full.size() < std::size_t(kMaxPath)) {
                if (image->exists) {
                    HANDLE file = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
                    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Narrow(full);
                    CloseHandle(file);
                } else {
                    DeleteFileW(full.c_str());
                }
            }
        }
        skin.Write(random);
        const std::wstring ini = place + L"\\skin.ini";
        HANDLE file = CreateFileW(ini.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, skin.text.data(), DWORD(skin.text.size()), &written, nullptr);
        CloseHandle(file);

        // The model: ver and num gate everything; each present key replaces
        // its path (empty when it would not fit); then both must exist.
        SkinDescription expected = SkinInfo;
        bool result = false;
        if (skin.ver && skin.num) {
            expected.colours = skin.num->colours;
            for (auto [image, path] : {std::pair{&skin.piece, expected.piecePath}, {&skin.background, expected.backgroundPath}}) {
                if (!image->present) continue;
                const std::wstring full = place + L"\\" + image->name;
                if (full.size() < std::size_t(kMaxPath)) std::wcscpy(path, full.c_str());
                else path[0] = L'\0';
            }
            result = PathExists(expected.piecePath) && PathExists(expected.backgroundPath);
        }
        const bool actual = ReadSkinFile(ini.c_str());
        loaded += actual;
        SCOPED_TRACE("round " + std::to_string(round) + ":\n" + skin.text);
        ASSERT_EQ(actual, result);
        ASSERT_EQ(SkinInfo.colours, expected.colours);
        ASSERT_STREQ(SkinInfo.piecePath, expected.piecePath);
        ASSERT_STREQ(SkinInfo.backgroundPath, expected.backgroundPath);
    }
    std::printf("SkinFileFuzz: %d generated skins read as the model predicts, %d of them loaded\n", kGenerated, loaded);
}

// The skin checker on the same file: every problem names a line of the file
// and says something in both languages, and a skin it finds no error in is
// one the game loads when no skin came before it.
void CheckWithTheChecker(const std::wstring& ini, int round) {
    const std::string text = ReadAll(ini);
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    bool clean = true;
    for (const SkinProblem& problem : CheckSkin(ini.c_str())) {
        ASSERT_TRUE(problem.line >= 1 && problem.line <= lines)
            << "round " << round << ": line " << problem.line << " of a file of " << lines << " lines";
        ASSERT_FALSE(problem.english.empty() || problem.japanese.empty()) << "round " << round;
        if (problem.error) clean = false;
    }
    if (!clean) return;
    const SkinDescription before = SkinInfo;
    SkinInfo = SkinDescription{};
    const bool loaded = ReadSkinFile(ini.c_str());
    SkinInfo = before;
    ASSERT_TRUE(loaded) << "round " << round << ": the checker found no error in a skin the game refuses";
}

// Flips, inserts, cuts and splices bytes of a valid skin, or makes up a file.
std::string Mutate(Random& random, std::string text) {
    if (random.OneIn(5)) return random.Bytes(700);
    for (int edits = 1 + random.Below(6); edits > 0; --edits) {
        const std::size_t at = text.empty() ? 0 : std::size_t(random.Below(int(text.size())));
        switch (random.Below(5)) {
        case 0: if (!text.empty()) text[at] = char(random.Below(256)); break;
        case 1: text.insert(at, random.Bytes(8)); break;
        case 2: text.erase(at, std::size_t(random.Below(12))); break;
        case 3: text.insert(at, std::string(200 + random.Below(200), random.OneIn(2) ? 'n' : '"')); break;
        default: text.insert(at, text.substr(0, std::size_t(random.Below(60)))); break;
        }
    }
    return text;
}

TEST(SkinFileFuzz, AnyBytesGiveASkinOrFalseAndLeaveSkinInfoWhole) {
    const std::uint64_t seed = ChooseSeed();
    std::printf("PEBBLORA_SEED=%llu\n", static_cast<unsigned long long>(seed));
    SCOPED_TRACE("PEBBLORA_SEED=" + std::to_string(seed));
    Random random(seed);
    ScratchFolder folder;
    const std::string valid = "[PEBBLORA]\r\nver=1\r\nnum=3\r\n[IMAGES]\r\npiece=\"p.bmp\"\r\nbackground=b.bmp\r\n";
    const std::wstring ini = folder / L"fuzz.ini";
    SkinInfo = SkinDescription{};
    int loadedCount = 0;

    for (int round = 0; round < kMutated; ++round) {
        // Random bytes behind the names, now and then a real BMP header.
        for (const wchar_t* name : {L"p.bmp", L"b.bmp"}) {
            std::string image = random.Bytes(300);
            if (random.OneIn(2)) image.replace(0, std::min<std::size_t>(2, image.size()), "BM");
            folder.WriteFile(name, image);
        }
        folder.WriteFile(L"fuzz.ini", Mutate(random, valid));
        const int before = SkinInfo.colours;
        const bool loaded = ReadSkinFile(ini.c_str());
        CheckTerminated(round);
        ASSERT_TRUE(SkinInfo.colours == before || (SkinInfo.colours >= 2 && SkinInfo.colours <= 5))
            << "round " << round << ": colours " << SkinInfo.colours;
        CheckWithTheChecker(ini, round);
        if (!loaded) continue;
        ++loadedCount;
        ASSERT_TRUE(PathExists(SkinInfo.piecePath) && PathExists(SkinInfo.backgroundPath)) << "round " << round;
        // What the layout does next with the paths must not break either.
        for (const wchar_t* path : {SkinInfo.piecePath, SkinInfo.backgroundPath}) DeleteObject(LoadImageFile(path, 240, 320, 16));
    }
    std::printf("SkinFileFuzz: %d mutated or random skins read and checked, %d of them loaded\n", kMutated, loadedCount);
}

}  // namespace
