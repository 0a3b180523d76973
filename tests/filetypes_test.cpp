// Registered file types: what the table reads from the registry, what it
// leaves absent when the registry holds nonsense, and the type texts in
// both languages.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "framework/language.h"
#include "shell/filetypes.h"
#include "tests/support/classes.h"
#include "tests/support/testsupport.h"

namespace {

struct LanguageScope {
    bool saved = LangJapanese;
    explicit LanguageScope(bool japanese) { LangJapanese = japanese; }
    ~LanguageScope() { LangJapanese = saved; }
};

std::wstring Text(const ShellText& text) { return std::wstring(text.c_str()); }

// A type with every part, registered under two extensions.
void RegisterFullType(RegisteredClasses& classes) {
    ASSERT_TRUE(classes.SetText(L".PbtA", L"Pebblora.TestA"));
    ASSERT_TRUE(classes.SetText(L".PBTB", L"Pebblora.TestA"));
    ASSERT_TRUE(classes.SetText(L"Pebblora.TestA", L"Pebblora test document"));
    ASSERT_TRUE(classes.SetText(L"Pebblora.TestA\\Shell\\Open\\Command", L"\"\\Windows\\pword.exe\" \"%1\""));
    ASSERT_TRUE(classes.SetText(L"Pebblora.TestA\\DefaultIcon", L"\"\\Windows\\icons.dll\",-7"));
}

}  // namespace

TEST(TypeTable, ReadsEveryPartOfARegisteredType) {
    RegisteredClasses classes;
    RegisterFullType(classes);
    FileTypeTable table;

    const FileTypeInfo* type = table.FindByExtension(L".pbta");
    ASSERT_NE(type, nullptr) << "a registered type is missing";
    EXPECT_EQ(Text(type->typeKey), L"Pebblora.TestA");
    EXPECT_EQ(Text(type->description), L"Pebblora test document");
    EXPECT_EQ(Text(type->openCommand), L"\"\\Windows\\pword.exe\" \"%1\"");
    EXPECT_EQ(Text(type->iconFile), L"\\Windows\\icons.dll");
    EXPECT_EQ(type->iconNumber, -7);
    // The first extension as the registry spells it, later ones lowered.
    EXPECT_EQ(Text(type->extensions), L".PbtA.pbtb");
    // One info for the type, found by either extension in any case and by
    // its type key compared exactly.
    EXPECT_EQ(table.FindByExtension(L".PBTA"), type);
    EXPECT_EQ(table.FindByExtension(L".pbtb"), type);
    EXPECT_EQ(table.FindByType(L"Pebblora.TestA"), type);
    EXPECT_EQ(table.FindByType(L"pebblora.testa"), nullptr);
}

TEST(TypeTable, RegistryNonsenseLeavesFieldsAbsentWithoutFailingTheTable) {
    RegisteredClasses classes;
    RegisterFullType(classes);
    const DWORD number = 7;
    const std::wstring absurd(300, L'x');
    const std::wstring longKey = L"Pebblora." + std::wstring(246, L'L');  // 255 units, the most a key name has
    const wchar_t unterminated[] = L"Pebblora.TestA";
    // Extensions whose type key cannot be read are not entered at all.
    ASSERT_TRUE(classes.Set(L".pbtc", nullptr, REG_DWORD, &number, sizeof number));
    ASSERT_TRUE(classes.SetText(L".pbtd", absurd));
    ASSERT_TRUE(classes.MakeKey(L".pbte"));
    ASSERT_TRUE(classes.SetText(L".pbtf", L""));
    // Types with missing or broken parts are entered with what could be read.
    ASSERT_TRUE(classes.SetText(L".pbtg", L"Pebblora.NoSuchKey"));
    ASSERT_TRUE(classes.SetText(L".pbth", L"Pebblora.BadParts"));
    ASSERT_TRUE(classes.Set(L"Pebblora.BadParts", nullptr, REG_BINARY, "\x01\x02\x03", 3));
    ASSERT_TRUE(classes.Set(L"Pebblora.BadParts\\Shell\\Open\\Command", nullptr, REG_DWORD, &number, sizeof number));
    ASSERT_TRUE(classes.SetText(L"Pebblora.BadParts\\DefaultIcon", L"\\Windows\\plain.ico"));
    ASSERT_TRUE(classes.SetText(L".pbti", longKey));
    ASSERT_TRUE(classes.SetText(longKey, absurd));
    ASSERT_TRUE(classes.SetText(longKey + L"\\DefaultIcon", L",5"));
    // Stored without its terminator: still the type key of TestA.
    ASSERT_TRUE(classes.Set(L".pbtj", nullptr, REG_SZ, unterminated, sizeof unterminated - sizeof(wchar_t)));
    FileTypeTable table;

    for (const wchar_t* skipped : {L".pbtc", L".pbtd", L".pbte", L".pbtf"}) {
        EXPECT_EQ(table.FindByExtension(skipped), nullptr) << Narrow(skipped);
    }
    struct Case {
        const wchar_t* extension;
        const wchar_t* typeKey;
        const wchar_t* description;
        const wchar_t* openCommand;
        const wchar_t* iconFile;
        int iconNumber;
    };
    const Case cases[] = {
        /* 0 */ {L".pbtg", L"Pebblora.NoSuchKey", L"", L"", L"", 0},
        /* 1 */ {L".pbth", L"Pebblora.BadParts", L"", L"", L"\\Windows\\plain.ico", 0},
        /* 2 */ {L".pbti", longKey.c_str(), L"", L"", L"", 5},
        /* 3 */ {L".pbtj", L"Pebblora.TestA", L"Pebblora test document", L"\"\\Windows\\pword.exe\" \"%1\"",
                 L"\\Windows\\icons.dll", -7},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        const FileTypeInfo* type = table.FindByExtension(c.extension);
        ASSERT_NE(type, nullptr) << "case " << i;
        EXPECT_EQ(Text(type->typeKey), c.typeKey) << "case " << i;
        EXPECT_EQ(Text(type->description), c.description) << "case " << i;
        EXPECT_EQ(Text(type->openCommand), c.openCommand) << "case " << i;
        EXPECT_EQ(Text(type->iconFile), c.iconFile) << "case " << i;
        // The number of a DefaultIcon without a file means nothing either way.
        if (*c.iconFile) {
            EXPECT_EQ(type->iconNumber, c.iconNumber) << "case " << i;
        }
    }
    EXPECT_EQ(Text(table.FindByExtension(L".pbta")->extensions), L".PbtA.pbtb.pbtj");
}

TEST(TypeTable, BuiltOnceAndSharedUntilTheLastHandleGoes) {
    RegisteredClasses classes;
    auto first = std::make_unique<FileTypeTable>();
    const int types = first->TypeCount();
    EXPECT_EQ(first->FindByExtension(L".pbta"), nullptr);
    RegisterFullType(classes);
    {
        // A second handle reads the table of the first: no refresh.
        FileTypeTable second;
        EXPECT_EQ(second.TypeCount(), types);
        EXPECT_EQ(second.FindByExtension(L".pbta"), nullptr);
    }
    first.reset();
    FileTypeTable fresh;
    EXPECT_NE(fresh.FindByExtension(L".pbta"), nullptr) << "the table was not built again";
    EXPECT_EQ(fresh.TypeCount(), types + 1);
}

TEST(TypeNames, InBothLanguages) {
    RegisteredClasses classes;
    ASSERT_TRUE(classes.SetText(L".txt", L"Pebblora.Text"));
    ASSERT_TRUE(classes.SetText(L"Pebblora.Text", L"Text Document"));
    ASSERT_TRUE(classes.SetText(L".pbtn", L"Pebblora.Undescribed"));
    FileTypeTable table;
    struct Case {
        const wchar_t* name;
        DWORD attributes;
        const wchar_t* english;
        const wchar_t* japanese;
    };
    const Case cases[] = {
        /* 0 */ {L"report.TXT", FILE_ATTRIBUTE_ARCHIVE, L"Text Document", L"Text Document"},
        /* 1 */ {L"\\My Documents\\report.txt", 0, L"Text Document", L"Text Document"},
        /* 2 */ {L"notes.abc", FILE_ATTRIBUTE_NORMAL, L"ABC File", L"ABC ﾌｧｲﾙ"},
        /* 3 */ {L"README", 0, L"File", L"ﾌｧｲﾙ"},
        /* 4 */ {L"a.lnk", 0, L"Shortcut", L"ｼｮｰﾄｶｯﾄ"},
        /* 5 */ {L"A.LNK", 0, L"Shortcut", L"ｼｮｰﾄｶｯﾄ"},
        /* 6 */ {L"a.Lnk", 0, L"Shortcut", L"ｼｮｰﾄｶｯﾄ"},
        /* 7 */ {L"Skins", FILE_ATTRIBUTE_DIRECTORY, L"File Folder", L"ﾌｧｲﾙ ﾌｫﾙﾀﾞ"},
        /* 8 */ {L"old.txt", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, L"File Folder", L"ﾌｧｲﾙ ﾌｫﾙﾀﾞ"},
        // A registered type without a description reads like an unknown one.
        /* 9 */ {L"x.pbtn", 0, L"PBTN File", L"PBTN ﾌｧｲﾙ"},
        // Unknown attributes are not a folder.
        /* 10 */ {L"notes.abc", INVALID_FILE_ATTRIBUTES, L"ABC File", L"ABC ﾌｧｲﾙ"},
        // A dot in a folder's name is no extension; nor is a lone final dot.
        /* 11 */ {L"\\v1.2\\README", 0, L"File", L"ﾌｧｲﾙ"},
        /* 12 */ {L"draft.", 0, L"File", L"ﾌｧｲﾙ"},
        /* 13 */ {L"photo.jpeg-1", 0, L"JPEG-1 File", L"JPEG-1 ﾌｧｲﾙ"},
    };
    for (bool japanese : {false, true}) {
        LanguageScope language(japanese);
        for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
            const Case& c = cases[i];
            EXPECT_EQ(std::wstring(GetFileTypeName(table, c.name, c.attributes)), japanese ? c.japanese : c.english)
                << "case " << i << (japanese ? " (Japanese)" : " (English)");
        }
    }
}

TEST(TypeNames, GeneratedTextsStayInTheirHandlesBuffer) {
    // The buffer is the last member of its handle: guard units behind the
    // handle catch a text written past it.
    struct Guarded {
        FileTypeTable table;
        wchar_t guard[16];
    };
    auto first = std::make_unique<Guarded>();
    auto second = std::make_unique<Guarded>();
    for (auto* g : {first.get(), second.get()}) std::fill(std::begin(g->guard), std::end(g->guard), wchar_t(0x6666));

    const std::wstring longName = L"a." + std::wstring(400, L'q');
    const std::wstring longText = GetFileTypeName(first->table, longName.c_str(), 0);
    EXPECT_EQ(longText.size(), static_cast<size_t>(kTypeTextUnits - 1));
    EXPECT_EQ(longText.substr(longText.size() - 5), L" File") << "the suffix was cut instead of the extension";
    EXPECT_EQ(longText.substr(0, 3), L"QQQ");
    {
        LanguageScope japanese(true);
        const std::wstring text = GetFileTypeName(first->table, longName.c_str(), 0);
        EXPECT_EQ(text.substr(text.size() - 5), L" ﾌｧｲﾙ");
    }
    for (auto* g : {first.get(), second.get()}) {
        for (wchar_t unit : g->guard) ASSERT_EQ(unit, wchar_t(0x6666)) << "a text ran past its buffer";
    }

    // Each handle has its own buffer: a text from one survives a call on the other.
    const wchar_t* fromFirst = GetFileTypeName(first->table, L"a.one", 0);
    const wchar_t* fromSecond = GetFileTypeName(second->table, L"b.two", 0);
    EXPECT_STREQ(fromFirst, L"ONE File");
    EXPECT_STREQ(fromSecond, L"TWO File");
}
