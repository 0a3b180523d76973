// The rules of moving among locations: Up's parents, the location menu's
// items and the paths of ancestors.
#include "filedialog/navigation.h"

#include <gtest/gtest.h>

#include "framework/language.h"
#include "tests/support/testsupport.h"

namespace {

std::string Joined(const std::vector<std::wstring>& parts) {
    std::string text;
    for (const auto& part : parts) text += (text.empty() ? "" : "|") + Narrow(part);
    return text;
}

TEST(ParentLocation, FollowsTheParentTable) {
    struct Case {
        LocationCode code;
        const wchar_t* path;
        bool hasParent;
        LocationCode parent;
        const wchar_t* parentPath;
    };
    const Case cases[] = {
        /* 0 */ {kPlainFolder, L"\\My Documents\\Letters", true, kMyDocuments, L"\\My Documents"},
        /* 1 */ {kPlainFolder, L"\\my documents\\Letters", true, kMyDocuments, L"\\My Documents"},
        /* 2 */ {kPlainFolder, L"\\a", true, kMyDevice, L"\\"},
        /* 3 */ {kPlainFolder, L"\\\\server", true, kMyDevice, L"\\"},
        /* 4 */ {kPlainFolder, L"\\a\\b\\", true, kPlainFolder, L"\\a"},
        /* 5 */ {kPlainFolder, L"\\Recycled\\x", true, kPlainFolder, L"\\Recycled"},
        /* 6 */ {kPlainFolder, L"abc", true, kDesktop, L""},
        /* 7 */ {kMyDevice, L"\\", true, kDesktop, L""},
        /* 8 */ {kMyNetwork, L"\\\\", true, kDesktop, L""},
        /* 9 */ {kMyDocuments, L"\\My Documents", true, kDesktop, L""},
        /* 10 */ {kControlPanel, L"\\*CONTROLS", true, kMyDevice, L"\\"},
        /* 11 */ {kDatabases, L"\\*DATABASES", true, kMyDevice, L"\\"},
        /* 12 */ {kDesktop, L"", false, kNoLocation, L""},
        /* 13 */ {kTrashBox, L"\\Recycled", false, kNoLocation, L""},
        /* 14 */ {kFindResult, L"*RESULT", false, kNoLocation, L""},
        /* 15 */ {kNoLocation, L"", false, kNoLocation, L""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        LocationCode parent = kNoLocation;
        wchar_t path[kMaxPath];
        ASSERT_EQ(ParentLocation(c.code, c.path, parent, path), c.hasParent) << "case " << i;
        if (!c.hasParent) continue;
        EXPECT_EQ(parent, c.parent) << "case " << i;
        EXPECT_STREQ(path, c.parentPath) << "case " << i;
    }
}

TEST(LocationMenu, ListsEveryAncestorIndentedByItsLevel) {
    struct Case {
        const wchar_t* path;
        bool japanese;
        const char* components;
        std::vector<std::wstring> items;
    };
    const Case cases[] = {
        /* 0 */ {L"\\My Documents\\Letters", false, "\\|My Documents|Letters",
                 {L" My Device", L"  My Documents", L"   Letters"}},
        /* 1 */ {L"\\*CONTROLS", false, "\\|*CONTROLS", {L" My Device", L"  Control Panel"}},
        /* 2 */ {L"", false, "", {}},
        /* 3 */ {L"\\My Documents\\Letters", true, "\\|My Documents|Letters",
                 {L" ﾏｲ ﾃﾞﾊﾞｲｽ", L"  My Documents", L"   Letters"}},
        /* 4 */ {L"\\\\server\\share\\\\x", false, "\\\\|server|share|x",
                 {L" My Network", L"  server", L"   share", L"    x"}},
        /* 5 */ {L"*RESULT", false, "*RESULT", {L" Find Result"}},
        /* 6 */ {L"\\a\\*DATABASES\\*X", false, "\\|a|*DATABASES|*X",
                 {L" My Device", L"  a", L"   Database", L"    Unknown"}},
        /* 7 */ {L"a\\b", false, "a|b", {L" a", L"  b"}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        LangJapanese = c.japanese;
        const auto components = SplitLocationPath(c.path);
        EXPECT_EQ(Joined(components), c.components) << "case " << i;
        std::vector<std::wstring> items;
        for (int k = 1; k <= static_cast<int>(components.size()); ++k)
            items.push_back(LocationMenuText(components, k));
        EXPECT_EQ(Joined(items), Joined(c.items)) << "case " << i;
    }
    LangJapanese = false;
}

TEST(AncestorPath, RebuildsThePathOfTheFirstComponents) {
    struct Case {
        const wchar_t* path;
        int level;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"\\My Documents\\Letters", 1, L"\\"},
        {L"\\My Documents\\Letters", 2, L"\\My Documents"},
        {L"\\My Documents\\Letters", 3, L"\\My Documents\\Letters"},
        {L"\\\\server\\share", 2, L"\\\\server"},
        {L"\\*CONTROLS", 2, L"\\*CONTROLS"},
        {L"a\\b", 2, L"a\\b"},
    };
    for (const Case& c : cases) {
        wchar_t out[kMaxPath];
        ASSERT_TRUE(AncestorPath(SplitLocationPath(c.path), c.level, out)) << Narrow(c.path);
        EXPECT_STREQ(out, c.expected) << Narrow(c.path) << " level " << c.level;
    }
    // Components that add up past a path are refused, never cut.
    std::vector<std::wstring> tooLong{L"\\", std::wstring(200, L'a'), std::wstring(60, L'b')};
    wchar_t out[kMaxPath];
    std::fill(std::begin(out), std::end(out), L'\x6666');
    EXPECT_FALSE(AncestorPath(tooLong, 3, out));
    EXPECT_STREQ(out, L"");
    EXPECT_EQ(out[1], L'\x6666') << "nothing written past the terminator";
}

}  // namespace
