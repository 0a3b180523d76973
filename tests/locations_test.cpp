// Location codes: the lookup of typed texts, names and paths by code, and
// the bit meanings the dialog relies on.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/language.h"
#include "framework/paths.h"
#include "shell/locations.h"

namespace {

struct LanguageGuard {
    explicit LanguageGuard(bool japanese) { LangJapanese = japanese; }
    ~LanguageGuard() { LangJapanese = false; }
};

TEST(LocationLookup, TextsBecomeMarkerPathsInEitherLanguage) {
    struct Case {
        const wchar_t* typed;
        LocationCode code;
        const wchar_t* text;  // the text afterwards
    };
    const Case cases[] = {
        /* 0 */ {L"my device", kMyDevice, L"\\"},
        /* 1 */ {L"ﾏｲ ﾄﾞｷｭﾒﾝﾄ", kMyDocuments, L"\\My Documents"},
        /* 2 */ {L"", kDesktop, L""},
        /* 3 */ {L"DESKTOP", kDesktop, L""},
        /* 4 */ {L"\\my documents", kMyDocuments, L"\\My Documents"},
        /* 5 */ {L"\\\\", kMyNetwork, L"\\\\"},
        /* 6 */ {L"\\*controls", kControlPanel, L"\\*CONTROLS"},
        /* 7 */ {L"Database", kDatabases, L"\\*DATABASES"},
        /* 8 */ {L"ごみ箱", kTrashBox, L"\\Recycled"},
        /* 9 */ {L"*result", kFindResult, L"*RESULT"},
        /* 10 */ {L"検索結果", kFindResult, L"*RESULT"},
        // Not a location: a folder path stays as typed.
        /* 11 */ {L"\\My Documents\\Skins", kPlainFolder, L"\\My Documents\\Skins"},
        /* 12 */ {L"My Device ", kPlainFolder, L"My Device "},
        /* 13 */ {L"\\", kMyDevice, L"\\"},
    };
    for (bool japanese : {false, true}) {
        LanguageGuard language(japanese);
        for (int i = 0; i < int(std::size(cases)); ++i) {
            wchar_t text[kMaxPath];
            lstrcpynW(text, cases[i].typed, kMaxPath);
            EXPECT_EQ(LookupLocation(text), cases[i].code) << "case " << i << (japanese ? " (ja)" : " (en)");
            EXPECT_EQ(std::wstring(text), cases[i].text) << "case " << i;
        }
    }
}

TEST(LocationTableTest, NamesFollowTheLanguageAtTheMomentOfUse) {
    EXPECT_EQ(std::wstring(LocationName(kMyDocuments)), L"My Documents");
    {
        LanguageGuard language(true);
        EXPECT_EQ(std::wstring(LocationName(kMyDocuments)), L"ﾏｲ ﾄﾞｷｭﾒﾝﾄ");
        EXPECT_EQ(std::wstring(LocationName(kTrashBox)), L"ごみ箱");
    }
    EXPECT_EQ(std::wstring(LocationPath(kControlPanel)), L"\\*CONTROLS");
    // Index 8 and above are past the table.
    EXPECT_EQ(std::wstring(LocationPath(0xC00F)), L"");
    EXPECT_EQ(std::wstring(LocationName(0xC008)), L"");
}

TEST(LocationTableTest, BitsGiveNewFolderEditingAndParents) {
    for (const LocationRecord& record : LocationTable) {
        const bool newFolder = record.code == kMyDevice || record.code == kMyDocuments;
        EXPECT_EQ(AllowsNewFolder(record.code), newFolder) << std::hex << record.code;
        EXPECT_TRUE(IsSpecialLocation(record.code));
        EXPECT_EQ(HasParentLocation(record.code), record.code != kDesktop) << std::hex << record.code;
        EXPECT_EQ(&LocationTable[record.code & kLocationIndexMask], &record) << "a code indexes its own record";
    }
    EXPECT_TRUE(AllowsNewFolder(kPlainFolder));
    EXPECT_TRUE(HasEditableName(kPlainFolder));
    EXPECT_TRUE(HasEditableName(kFileEntry));
    EXPECT_FALSE(HasEditableName(kDatabaseEntry));
    EXPECT_FALSE(HasEditableName(kAppletEntry));
    EXPECT_FALSE(HasParentLocation(kNoLocation));
}

}  // namespace
