// File items: paths and names made from find data, renaming in place,
// special locations, the owned type text, and the find data of one path.
#include "shell/fileitem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/language.h"
#include "tests/support/testsupport.h"

namespace {

struct LanguageScope {
    bool saved = LangJapanese;
    explicit LanguageScope(bool japanese) { LangJapanese = japanese; }
    ~LanguageScope() { LangJapanese = saved; }
};

WIN32_FIND_DATAW Found(const std::wstring& name, DWORD attributes, DWORD sizeLow = 0, DWORD sizeHigh = 0) {
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = attributes;
    data.nFileSizeLow = sizeLow;
    data.nFileSizeHigh = sizeHigh;
    data.ftLastWriteTime = {0x89ABCDEF, 0x01D9F000};
    name.copy(data.cFileName, MAX_PATH - 1);
    return data;
}

std::wstring S(const wchar_t* text) { return text ? text : L"(none)"; }

TEST(FileItems, PathAndNameFromFolderAndFindData) {
    struct Case {
        const wchar_t* folder;
        const wchar_t* name;
        DWORD attributes;
        const wchar_t* path;
        LocationCode kind;
        int image;
    };
    const Case cases[] = {
        /* 0 */ {L"\\My Documents", L"a.txt", FILE_ATTRIBUTE_ARCHIVE, L"\\My Documents\\a.txt", kFileEntry, -1},
        /* 1 */ {L"\\", L"Windows", FILE_ATTRIBUTE_DIRECTORY, L"\\Windows", kPlainFolder, 2},
        /* 2 */ {L"\\x\\", L"b", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY, L"\\x\\b", kPlainFolder, 2},
        /* 3 */ {L"", L"c.ini", FILE_ATTRIBUTE_NORMAL, L"c.ini", kFileEntry, -1},
        /* 4 */ {L"\\\\", L"server", FILE_ATTRIBUTE_DIRECTORY, L"\\\\server", kPlainFolder, 2},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const Case& c = cases[i];
        FileItem item(c.folder, Found(c.name, c.attributes, 1234, 7));
        EXPECT_EQ(S(item.Path()), c.path) << "case " << i;
        EXPECT_EQ(S(item.Name()), c.name) << "case " << i;
        EXPECT_EQ(item.kind, c.kind) << "case " << i;
        EXPECT_EQ(item.image, c.image) << "case " << i;
        EXPECT_EQ(item.Attributes(), c.attributes) << "case " << i;
        EXPECT_EQ(item.Size(), 1234u) << "case " << i << ": the low 32 bits of the size";
        EXPECT_EQ(item.Time().dwLowDateTime, 0x89ABCDEFu) << "case " << i;
        EXPECT_EQ(item.Time().dwHighDateTime, 0x01D9F000u) << "case " << i;
        EXPECT_EQ(item.TypeText(), nullptr) << "case " << i;
    }
}

TEST(FileItems, APathThatWouldNotFitIsEmptyNotCut) {
    const std::wstring folder = L"\\" + std::wstring(250, L'f');
    // 251 + 1 + 8 = 260 units: one too many.
    FileItem item(folder.c_str(), Found(L"12345678", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(S(item.Path()), L"");
    EXPECT_EQ(S(item.Name()), L"");
    EXPECT_FALSE(item.SetName(L"x")) << "a name alone would be a relative path to another file";
    EXPECT_EQ(S(item.Path()), L"");

    // One unit less fits exactly.
    FileItem fits(folder.c_str(), Found(L"1234567", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(S(fits.Path()), folder + L"\\1234567");
    EXPECT_EQ(S(fits.Name()), L"1234567");

    // A found name that fills its field without a terminator.
    WIN32_FIND_DATAW unterminated = Found(L"", FILE_ATTRIBUTE_NORMAL);
    std::fill(std::begin(unterminated.cFileName), std::end(unterminated.cFileName), L'n');
    FileItem filled(L"\\", unterminated);
    EXPECT_EQ(S(filled.Path()), L"");
}

TEST(FileItems, SetNameWritesOverTheNameOnly) {
    FileItem item(L"\\My Documents", Found(L"old.txt", FILE_ATTRIBUTE_NORMAL));
    ASSERT_TRUE(item.SetName(L"a much longer new name.txt"));
    EXPECT_EQ(S(item.Path()), L"\\My Documents\\a much longer new name.txt");
    EXPECT_EQ(S(item.Name()), L"a much longer new name.txt");
    ASSERT_TRUE(item.SetName(L"b"));
    EXPECT_EQ(S(item.Path()), L"\\My Documents\\b");

    // "\My Documents\" is 14 units: a name of 245 fits, 246 does not.
    const std::wstring longest(kMaxPath - 15, L'n');
    ASSERT_TRUE(item.SetName(longest.c_str()));
    EXPECT_EQ(S(item.Name()), longest);
    EXPECT_FALSE(item.SetName((longest + L"n").c_str()));
    EXPECT_EQ(S(item.Name()), longest) << "a refused name changes nothing";
}

TEST(FileItems, SpecialLocationsShowTheirNameInTheLanguageOfTheMoment) {
    struct Case {
        LocationCode code;
        int image;
        const wchar_t* path;
        const wchar_t* english;
        const wchar_t* japanese;
    };
    const Case cases[] = {
        /* 0 */ {kMyDocuments, 11, L"\\My Documents", L"My Documents", L"ﾏｲ ﾄﾞｷｭﾒﾝﾄ"},
        /* 1 */ {kMyDevice, 9, L"\\", L"My Device", L"ﾏｲ ﾃﾞﾊﾞｲｽ"},
        /* 2 */ {kDesktop, 0, L"", L"Desktop", L"ﾃﾞｽｸﾄｯﾌﾟ"},
        /* 3 */ {kControlPanel, 2, L"\\*CONTROLS", L"Control Panel", L"ｺﾝﾄﾛｰﾙ ﾊﾟﾈﾙ"},
    };
    for (bool createdInJapanese : {false, true}) {
        for (int i = 0; i < int(std::size(cases)); ++i) {
            const Case& c = cases[i];
            std::unique_ptr<FileItem> item;
            {
                LanguageScope language(createdInJapanese);
                item = std::make_unique<FileItem>(c.code, c.image);
            }
            ListEntry& entry = *item;
            EXPECT_EQ(entry.kind, c.code) << "case " << i;
            EXPECT_EQ(entry.image, c.image) << "case " << i;
            EXPECT_EQ(entry.Size(), 0u) << "case " << i;
            EXPECT_EQ(item->Attributes(), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY)) << "case " << i;
            EXPECT_EQ(item->Time().dwLowDateTime | item->Time().dwHighDateTime, 0u) << "case " << i;
            EXPECT_EQ(S(item->Path()), c.path) << "case " << i;
            // The type text is fixed when the item is made...
            EXPECT_EQ(S(item->TypeText()), createdInJapanese ? L"ｼｽﾃﾑ ﾌｫﾙﾀﾞ" : L"System Folder") << "case " << i;
            // ... the name follows the language whenever it is asked for.
            for (bool japanese : {false, true}) {
                LanguageScope language(japanese);
                EXPECT_EQ(S(entry.Name()), japanese ? c.japanese : c.english) << "case " << i;
            }
        }
    }
}

TEST(FileItems, TypeTextIsAnOwnedCopy) {
    FileItem item(L"\\", Found(L"notes.abc", FILE_ATTRIBUTE_NORMAL));
    wchar_t given[] = L"ABC File";
    item.SetTypeText(given);
    given[0] = L'X';
    EXPECT_EQ(S(item.TypeText()), L"ABC File");
    item.SetTypeText(L"Text Document");
    EXPECT_EQ(S(item.TypeText()), L"Text Document");
    item.SetTypeText(nullptr);
    EXPECT_EQ(item.TypeText(), nullptr);
}

TEST(FindDataOfOnePath, FoundFilesAndFoldersMissingPathsAndWildcards) {
    ScratchFolder folder;
    folder.WriteFile(L"report.TXT", std::string(300, 'x'));
    CreateDirectoryW((folder / L"Sub").c_str(), nullptr);

    WIN32_FIND_DATAW data;
    ASSERT_TRUE(ReadFindData((folder / L"report.TXT").c_str(), &data));
    EXPECT_EQ(std::wstring(data.cFileName), L"report.TXT");
    EXPECT_EQ(data.nFileSizeLow, 300u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);

    ASSERT_TRUE(ReadFindData((folder / L"Sub").c_str(), &data));
    EXPECT_EQ(std::wstring(data.cFileName), L"Sub");
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);

    // Not found, or not one path: false and nothing left over from a search.
    const std::wstring refused[] = {
        folder / L"missing.txt",
        folder / L"*.TXT",
        folder / L"report.?XT",
        L"\\*CONTROLS",
        L"",
    };
    for (int i = 0; i < int(std::size(refused)); ++i) {
        std::memset(&data, 0x66, sizeof(data));
        EXPECT_FALSE(ReadFindData(refused[i].c_str(), &data)) << "case " << i;
        EXPECT_EQ(data.cFileName[0], L'\0') << "case " << i;
        EXPECT_EQ(data.dwFileAttributes, 0u) << "case " << i;
    }
}

}  // namespace
