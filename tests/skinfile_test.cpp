// The skin setting in the registry, skin files into SkinInfo, the texts shown
// around a skin, and the sample skins shipped with the game.
#include "game/skinfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "framework/language.h"
#include "game/boardpainter.h"
#include "skin/imageload.h"
#include "tests/support/testsupport.h"

namespace {

const std::string kHeader = "[PEBBLORA]\nver=1\n";

// Starts every case from the state at program start.
class SkinFile : public testing::Test {
protected:
    void SetUp() override {
        SkinInfo = SkinDescription{};
        CurrentSkinPath[0] = L'\0';
    }
    // A skin file in the scratch folder; images named in it are made with Touch.
    std::wstring WriteSkin(const std::wstring& name, const std::string& text) { return folder.WriteFile(name, text); }
    std::wstring Touch(const std::wstring& name) { return folder.WriteFile(name, "image"); }

    ScratchFolder folder;
};

// Writes `bytes` to the file at `path`; false when it could not.
bool WriteAt(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

// ---- The setting ----------------------------------------------------------------------

// Raw registry access, so that FRegKey is not checked against itself.
void StoreRaw(DWORD type, const void* data, DWORD bytes) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSkinSettingKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, kSkinSettingValue, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

std::vector<BYTE> ReadRaw(DWORD& type) {
    std::vector<BYTE> data(1024);
    DWORD bytes = DWORD(data.size());
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSkinSettingKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    const LONG result = RegQueryValueExW(key, kSkinSettingValue, nullptr, &type, data.data(), &bytes);
    RegCloseKey(key);
    data.resize(result == ERROR_SUCCESS ? bytes : 0);
    return data;
}

TEST_F(SkinFile, SettingIsEmptyWithoutKeyOrValue) {
    ScratchKey scratch(kSkinSettingKey);
    std::wcscpy(CurrentSkinPath, L"\\stale.ini");
    LoadSkinSetting();
    EXPECT_STREQ(CurrentSkinPath, L"") << "no key";

    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSkinSettingKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    std::wcscpy(CurrentSkinPath, L"\\stale.ini");
    LoadSkinSetting();
    EXPECT_STREQ(CurrentSkinPath, L"") << "key without value";
}

TEST_F(SkinFile, SettingSurvivesSaveAndLoad) {
    ScratchKey scratch(kSkinSettingKey);
    const wchar_t* path = L"\\My Documents\\スキン\\Night Sky.ini";
    std::wcscpy(CurrentSkinPath, path);
    SaveSkinSetting();
    CurrentSkinPath[0] = L'\0';
    LoadSkinSetting();
    EXPECT_STREQ(CurrentSkinPath, path);

    DWORD type = REG_NONE;
    std::vector<BYTE> data = ReadRaw(type);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(data.size(), (std::wcslen(path) + 1) * sizeof(wchar_t)) << "the terminator is stored";
}

TEST_F(SkinFile, NoSkinIsSavedAsAPresentEmptyValue) {
    ScratchKey scratch(kSkinSettingKey);
    StoreRaw(REG_SZ, L"\\old.ini", 18);
    SaveSkinSetting();
    DWORD type = REG_NONE;
    std::vector<BYTE> data = ReadRaw(type);
    EXPECT_EQ(type, DWORD(REG_SZ));
    ASSERT_EQ(data.size(), 2u);
    EXPECT_EQ(data[0] | data[1], 0);
}

TEST_F(SkinFile, SettingThatIsNoUsablePathGivesNoSkin) {
    ScratchKey scratch(kSkinSettingKey);
    const DWORD number = 0x005C005C;  // spells "\\" when read as text
    std::wstring full(kMaxPath, L'a');     // no room for the terminator
    std::wstring longer(kMaxPath + 40, L'b');
    std::vector<BYTE> binary(2 * kMaxPath, 'A');
    struct Case {
        const char* what;
        DWORD type;
        const void* data;
        DWORD bytes;
    } cases[] = {
        /* 0 */ {"number", REG_DWORD, &number, 4},
        /* 1 */ {"binary filling the buffer", REG_BINARY, binary.data(), DWORD(binary.size())},
        /* 2 */ {"text of kMaxPath units without terminator", REG_SZ, full.data(), DWORD(full.size() * 2)},
        /* 3 */ {"text longer than a path", REG_SZ, longer.c_str(), DWORD((longer.size() + 1) * 2)},
    };
    for (const Case& c : cases) {
        StoreRaw(c.type, c.data, c.bytes);
        std::wcscpy(CurrentSkinPath, L"\\stale.ini");
        LoadSkinSetting();
        EXPECT_STREQ(CurrentSkinPath, L"") << c.what;
    }
    // The longest path that fits is kept whole.
    std::wstring fits(kMaxPath - 1, L'c');
    StoreRaw(REG_SZ, fits.c_str(), DWORD((fits.size() + 1) * 2));
    LoadSkinSetting();
    EXPECT_EQ(std::wstring(CurrentSkinPath), fits);
}

TEST_F(SkinFile, SetCurrentSkinPathRefusesWhatDoesNotFit) {
    SetCurrentSkinPath(L"\\a\\b.ini");
    EXPECT_STREQ(CurrentSkinPath, L"\\a\\b.ini");
    SetCurrentSkinPath(CurrentSkinPath);
    EXPECT_STREQ(CurrentSkinPath, L"\\a\\b.ini") << "the setting handed back to itself";
    SetCurrentSkinPath(std::wstring(kMaxPath, L'x').c_str());
    EXPECT_STREQ(CurrentSkinPath, L"");
}

// ---- Reading skin files -----------------------------------------------------------------

TEST_F(SkinFile, ColourCountOutsideTwoToFiveBecomesFour) {
    Touch(L"p.bmp");
    Touch(L"b.bmp");
    const struct {
        const char* num;
        int colours;
    } cases[] = {
        /* 0 */ {"7", 4},  /* 1 */ {"1", 4},   /* 2 */ {"2", 2},   /* 3 */ {"5", 5},           /* 4 */ {"6", 4},
        /* 5 */ {"0", 4},  /* 6 */ {"-3", 4},  /* 7 */ {"3x", 3},  /* 8 */ {"abc", 4},         /* 9 */ {" +3", 3},
        /* 10 */ {"", 4},  /* 11 */ {"99999999999", 4},           /* 12 */ {"-99999999999", 4},
    };
    for (const auto& c : cases) {
        SkinInfo.colours = 3;
        const std::wstring ini = WriteSkin(
            L"n.ini", kHeader + "num=" + c.num + "\n[IMAGES]\npiece=p.bmp\nbackground=b.bmp\n");
        EXPECT_TRUE(ReadSkinFile(ini.c_str())) << "num=" << c.num;
        EXPECT_EQ(SkinInfo.colours, c.colours) << "num=" << c.num;
    }
}

TEST_F(SkinFile, VerAndNumAreRequiredAndLeaveEverythingWhenAbsent) {
    Touch(L"p.bmp");
    Touch(L"b.bmp");
    const char* images = "[IMAGES]\npiece=p.bmp\nbackground=b.bmp\n";
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        /* 0 */ {"no ver", std::string("[PEBBLORA]\nnum=3\n") + images},
        /* 1 */ {"no num", kHeader + images},
        /* 2 */ {"keys are case-sensitive", std::string("[PEBBLORA]\nVer=1\nNUM=3\n") + images},
        /* 3 */ {"keys in another section", std::string("[IMAGES]\nver=1\nnum=3\npiece=p.bmp\nbackground=b.bmp\n")},
        /* 4 */ {"empty file", ""},
    };
    for (const auto& c : cases) {
        SkinInfo = SkinDescription{};
        std::wcscpy(SkinInfo.piecePath, L"\\earlier\\p.png");
        SkinInfo.colours = 5;
        EXPECT_FALSE(ReadSkinFile(WriteSkin(L"bad.ini", c.text).c_str())) << c.what;
        EXPECT_EQ(SkinInfo.colours, 5) << c.what;
        EXPECT_STREQ(SkinInfo.piecePath, L"\\earlier\\p.png") << c.what;
        EXPECT_STREQ(SkinInfo.backgroundPath, L"") << c.what;
    }
    // Section names are not case-sensitive.
    EXPECT_TRUE(ReadSkinFile(WriteSkin(L"ok.ini", "[Pebblora]\nver=0\nnum=2\n[images]\npiece=p.bmp\nbackground=b.bmp\n").c_str()));
    EXPECT_EQ(SkinInfo.colours, 2);
}

TEST_F(SkinFile, MissingFileOrFolderIsNoSkin) {
    SkinInfo.colours = 3;
    EXPECT_FALSE(ReadSkinFile((folder / L"absent.ini").c_str()));
    EXPECT_FALSE(ReadSkinFile(folder.Path().c_str()));
    EXPECT_FALSE(ReadSkinFile(nullptr));
    EXPECT_FALSE(ReadSkinFile(std::wstring(kMaxPath + 5, L'a').c_str()));
    EXPECT_EQ(SkinInfo.colours, 3);
}

TEST_F(SkinFile, ImageNamesResolveInTheSkinFolderWithoutQuotes) {
    Touch(L"my piece.bmp");
    Touch(L"back.bmp");
    const std::wstring ini =
        WriteSkin(L"q.ini", kHeader + "num=3\n[IMAGES]\npiece = \"my piece.bmp\"  \nbackground=back.bmp\n");
    EXPECT_TRUE(ReadSkinFile(ini.c_str()));
    EXPECT_EQ(std::wstring(SkinInfo.piecePath), folder / L"my piece.bmp");
    EXPECT_EQ(std::wstring(SkinInfo.backgroundPath), folder / L"back.bmp");

    // A lone quote is part of the name; a name only in one quote finds nothing.
    EXPECT_FALSE(ReadSkinFile(WriteSkin(L"q.ini", kHeader + "num=3\n[IMAGES]\npiece=\"my piece.bmp\n").c_str()));
    EXPECT_EQ(std::wstring(SkinInfo.piecePath), folder / L"\"my piece.bmp");
}

TEST_F(SkinFile, AbsentImageKeyKeepsTheEarlierSkinsImage) {
    const std::wstring piece = Touch(L"earlier.bmp");
    Touch(L"b.bmp");
    Touch(L"b2.bmp");
    const std::wstring onlyBackground = WriteSkin(L"bg.ini", kHeader + "num=3\n[IMAGES]\nbackground=b2.bmp\n");

    // Nothing loaded before: the piece path stays empty, so the skin is bad.
    EXPECT_FALSE(ReadSkinFile(onlyBackground.c_str()));
    EXPECT_STREQ(SkinInfo.piecePath, L"");

    ASSERT_TRUE(ReadSkinFile(WriteSkin(L"full.ini", kHeader + "num=4\n[IMAGES]\npiece=earlier.bmp\nbackground=b.bmp\n").c_str()));
    EXPECT_TRUE(ReadSkinFile(onlyBackground.c_str()));
    EXPECT_EQ(std::wstring(SkinInfo.piecePath), piece);
    EXPECT_EQ(std::wstring(SkinInfo.backgroundPath), folder / L"b2.bmp");

    ASSERT_TRUE(DeleteFileW(piece.c_str()));
    EXPECT_FALSE(ReadSkinFile(onlyBackground.c_str())) << "the earlier piece file is gone";
}

TEST_F(SkinFile, RejectedSkinKeepsWhatItSetBeforeTheImageCheck) {
    Touch(L"b.bmp");
    EXPECT_FALSE(ReadSkinFile(WriteSkin(L"r.ini", kHeader + "num=2\n[IMAGES]\npiece=gone.bmp\nbackground=b.bmp\n").c_str()));
    EXPECT_EQ(SkinInfo.colours, 2);
    EXPECT_EQ(std::wstring(SkinInfo.piecePath), folder / L"gone.bmp");
    EXPECT_EQ(std::wstring(SkinInfo.backgroundPath), folder / L"b.bmp");
}

TEST_F(SkinFile, ImagePathThatWouldNotFitIsRefusedNotCut) {
    // A folder deep enough that a name of about 120 units reaches the limit.
    const std::wstring deep = folder / std::wstring(120, L'd');
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    const std::size_t room = kMaxPath - 1 - deep.size() - 1;  // units left for a name
    const std::wstring fits = std::wstring(room - 4, L'n') + L".bmp";
    const std::string narrowFits = Narrow(fits);
    const std::wstring image = deep + L"\\" + fits;
    ASSERT_EQ(image.size(), std::size_t(kMaxPath - 1));
    ASSERT_TRUE(WriteAt(image, "image"));
    const std::wstring ini = deep + L"\\long.ini";

    // One unit too many; cut to the limit it would name the image that exists.
    std::wcscpy(SkinInfo.piecePath, L"\\earlier\\p.bmp");
    ASSERT_TRUE(WriteAt(ini, kHeader + "num=3\n[IMAGES]\npiece=" + narrowFits + "x\nbackground=" + narrowFits + "\n"));
    EXPECT_FALSE(ReadSkinFile(ini.c_str()));
    EXPECT_STREQ(SkinInfo.piecePath, L"") << "refused, not cut";
    EXPECT_EQ(std::wstring(SkinInfo.backgroundPath), image) << "the longest path that fits is kept";
    EXPECT_EQ(SkinInfo.colours, 3);

    // The same length in quotes fits once the quotes are gone.
    ASSERT_TRUE(WriteAt(ini, kHeader + "num=3\n[IMAGES]\npiece=\"" + narrowFits + "\"\nbackground=" + narrowFits + "\n"));
    EXPECT_TRUE(ReadSkinFile(ini.c_str()));
    EXPECT_EQ(std::wstring(SkinInfo.piecePath), image);
}

TEST_F(SkinFile, ImageNamesAreReadInTheAnsiCodePage) {
    // The same name in the bytes of the code page the device runs in.
    struct Spelling {
        UINT codePage;
        const char* bytes;
        const wchar_t* name;
    } spellings[] = {{932, "\x83\x58\x83\x4c\x83\x93.bmp", L"スキン.bmp"},
                     {1252, "caf\xe9.bmp", L"café.bmp"},
                     {65001, "caf\xc3\xa9.bmp", L"café.bmp"}};
    if (const char* expected = std::getenv("PEBBLORA_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), UINT(std::atoi(expected)));
    }
    const Spelling* spelling = nullptr;
    for (const Spelling& s : spellings)
        if (s.codePage == GetACP()) spelling = &s;
    if (!spelling) GTEST_SKIP() << "no sample name for code page " << GetACP();
    // Without a matching Unix locale, Wine cannot store every name on disk;
    // the conversion is then checked on the path alone.
    const bool stored = PathExists(Touch(spelling->name).c_str());
    Touch(L"b.bmp");
    const bool loaded = ReadSkinFile(
        WriteSkin(L"a.ini", kHeader + "num=3\n[IMAGES]\npiece=" + spelling->bytes + "\nbackground=b.bmp\n").c_str());
    EXPECT_EQ(loaded, stored) << "code page " << GetACP();
    EXPECT_EQ(std::wstring(SkinInfo.piecePath), folder / spelling->name) << "code page " << GetACP();
}

// ---- Texts around a skin ------------------------------------------------------------------

TEST(SkinTexts, BaseNameDropsFolderAndLastExtension) {
    const struct {
        const wchar_t* path;
        const wchar_t* base;
    } cases[] = {
        /* 0 */ {L"\\My Documents\\my.skin.ini", L"my.skin"},
        /* 1 */ {L"Garden.ini", L"Garden"},
        /* 2 */ {L"\\a.b\\noext", L"noext"},
        /* 3 */ {L"\\Skins\\Night Sky\\Night Sky.ini", L"Night Sky"},
        /* 4 */ {L"", L""},
    };
    for (const auto& c : cases) {
        wchar_t base[kMaxPath];
        SkinBaseName(c.path, base);
        EXPECT_STREQ(base, c.base) << Narrow(c.path);
    }
}

TEST(SkinTexts, TitleAndErrorInTheInterfaceLanguage) {
    struct {
        wchar_t title[kSkinTitleUnits];
        wchar_t sentinel[8];
    } guarded;
    std::wmemset(guarded.sentinel, 0x6666, 8);
    FormatSkinTitle(L"my.skin", guarded.title);
    EXPECT_STREQ(guarded.title, L"VRK - my.skin");
    FormatSkinTitle(std::wstring(kSkinTitleUnits + 20, L'z').c_str(), guarded.title);
    EXPECT_EQ(std::wcslen(guarded.title), std::size_t(kSkinTitleUnits - 1));
    EXPECT_EQ(guarded.sentinel[0], 0x6666) << "wrote past the title buffer";

    const bool saved = LangJapanese;
    LangJapanese = false;
    EXPECT_STREQ(SkinErrorFormat(), L"Skin file error %s");
    LangJapanese = true;
    EXPECT_STREQ(SkinErrorFormat(), L"設定ﾌｧｲﾙが間違っています %s");
    LangJapanese = saved;
}

// ---- The sample skins --------------------------------------------------------------------

struct Sample {
    const wchar_t* name;
    int colours;
    int cell;
    bool bmp;  // loads without the decoder
};
const Sample kSamples[] = {
    {L"Classic", 5, 16, true}, {L"Garden", 4, 16, false}, {L"Ocean", 2, 16, false},
    {L"Candy", 5, 16, false},  {L"Night Sky", 3, 32, false}, {L"Contrast", 5, 16, false},
    {L"Contrast Large", 5, 32, false},
};

// The skins/ folder of the source tree, copied beside the tests by the build.
std::wstring ShippedSkins() {
    std::wstring exe = OwnExecutable();
    return exe.substr(0, exe.rfind(L'\\')) + L"\\skins";
}

std::wstring BuiltDecoder() {
    std::wstring exe = OwnExecutable();
    exe = exe.substr(0, exe.rfind(L'\\'));
    return exe.substr(0, exe.rfind(L'\\')) + L"\\app\\IMGDECMP.DLL";
}

// Copies one shipped skin into `to`; returns its INI path there.
std::wstring CopySkin(const Sample& sample, const std::wstring& to) {
    const std::wstring from = ShippedSkins() + L"\\" + sample.name;
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((from + L"\\*").c_str(), &data);
    EXPECT_NE(find, INVALID_HANDLE_VALUE) << Narrow(from);
    if (find == INVALID_HANDLE_VALUE) return L"";
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            EXPECT_TRUE(CopyFileW((from + L"\\" + data.cFileName).c_str(), (to + L"\\" + data.cFileName).c_str(), FALSE));
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return to + L"\\" + sample.name + L".ini";
}

// Reads the skin and loads both images; one line "colours pw ph bw bh" to
// the report (0 0 for an image that did not load), or "bad".
PEBBLORA_CHILD(DescribeSkin) {
    FILE* report = _wfopen(Widen(argv[0]).c_str(), L"w");
    if (!report) return 2;
    if (!ReadSkinFile(Widen(argv[1]).c_str())) {
        std::fprintf(report, "bad\n");
    } else {
        int size[4] = {};
        const wchar_t* paths[] = {SkinInfo.piecePath, SkinInfo.backgroundPath};
        for (int i = 0; i < 2; ++i) {
            HBITMAP image = LoadImageFile(paths[i], 480, 640, 24);
            if (image && !GetBitmapSize(image, size[2 * i], size[2 * i + 1])) size[2 * i] = size[2 * i + 1] = 0;
            DeleteObject(image);
        }
        std::fprintf(report, "%d %d %d %d %d\n", SkinInfo.colours, size[0], size[1], size[2], size[3]);
    }
    std::fclose(report);
    return 0;
}

// Runs DescribeSkin in `exe` and returns its line.
std::string DescribeInChild(const std::wstring& exe, const ScratchFolder& folder, const std::wstring& ini) {
    ChildProcess child;
    const std::wstring report = folder / L"report.txt";
    EXPECT_TRUE(StartProgram(exe, L"--child DescribeSkin \"" + report + L"\" \"" + ini + L"\"", child));
    EXPECT_EQ(child.Wait(60000), 0);
    char line[128] = "";
    if (FILE* f = _wfopen(report.c_str(), L"r")) {
        if (!std::fgets(line, sizeof line, f)) line[0] = '\0';
        std::fclose(f);
    }
    return std::string(line, std::strcspn(line, "\n"));
}

void CheckDescription(const Sample& sample, const std::string& seen) {
    SCOPED_TRACE(Narrow(sample.name) + ": " + seen);
    int colours = 0, pieceWidth = 0, pieceHeight = 0, width = 0, height = 0;
    ASSERT_EQ(std::sscanf(seen.c_str(), "%d %d %d %d %d", &colours, &pieceWidth, &pieceHeight, &width, &height), 5);
    EXPECT_EQ(colours, sample.colours);
    EXPECT_EQ(pieceHeight, 2 * sample.cell) << "two rows of cells";
    EXPECT_GE(pieceWidth, sample.colours * sample.cell) << "a cell for every colour";
    EXPECT_GT(width * height, 0) << "the background loads";
}

TEST(SampleSkins, EveryShippedSkinReadsAndItsImagesLoad) {
    ScratchFolder folder;
    ASSERT_TRUE(CopyFileW(OwnExecutable().c_str(), (folder / L"program.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(BuiltDecoder().c_str(), (folder / L"IMGDECMP.DLL").c_str(), FALSE)) << Narrow(BuiltDecoder());
    for (const Sample& sample : kSamples) {
        const std::wstring ini = CopySkin(sample, folder / sample.name);
        CheckDescription(sample, DescribeInChild(folder / L"program.exe", folder, ini));
    }
}

TEST(SampleSkins, TheBmpSkinNeedsNoDecoder) {
    ScratchFolder folder;
    for (const Sample& sample : kSamples) {
        const std::wstring ini = CopySkin(sample, folder / sample.name);
        const std::string seen = DescribeInChild(OwnExecutable(), folder, ini);
        if (sample.bmp) CheckDescription(sample, seen);
        else EXPECT_EQ(seen, std::to_string(sample.colours) + " 0 0 0 0") << Narrow(sample.name) << ": reads, no image loads";
    }
}

}  // namespace
