// Tests of the INI reader: sections, entries, line reading, Japanese mode,
// loading and the two value getters.
#include "skin/inifile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "framework/language.h"

namespace {

namespace fs = std::filesystem;

using Entries = std::vector<std::pair<std::string, std::string>>;

// Writes fixture files into a folder of its own under the current directory,
// loads them, and restores the language afterwards.
class IniFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::path("inifile_scratch_" + std::string(info->name()));
        fs::create_directories(folder);
        savedJapanese = LangJapanese;
        LangJapanese = false;
    }

    void TearDown() override {
        LangJapanese = savedJapanese;
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }

    std::wstring WriteFixture(const std::string& bytes) {
        const fs::path path = folder / "fixture.ini";
        std::ofstream(path, std::ios::binary) << bytes;
        return path.wstring();
    }

    void Load(const std::string& bytes) {
        ASSERT_EQ(0, ini.IniLoad(WriteFixture(bytes).c_str()));
    }

    // The value of section/key, or "<absent>".
    std::string Get(const char* section, const char* key) {
        char buffer[512];
        return ini.IniGetString(section, key, buffer, sizeof buffer) ? buffer : "<absent>";
    }

    // Entries of the section that `name` looks up, as (key, value) pairs.
    Entries EntriesOf(const char* name) {
        Entries result;
        const IniSection* section = ini.FindSection(name);
        if (section == nullptr) return {{"<no section>", name}};
        for (const auto& entry : section->entries) result.emplace_back(entry->key, entry->value);
        return result;
    }

    std::vector<std::string> SectionNames() {
        std::vector<std::string> names;
        for (const auto& section : ini.sections) names.push_back(section->name);
        return names;
    }

    IniFile ini;
    fs::path folder;
    bool savedJapanese = false;
};

// Reads every line of `bytes` with IniReadLine.
std::vector<std::string> ReadLines(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    std::vector<std::string> lines;
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (file == nullptr) return {"<cannot open>"};
    char line[IniLineSize];
    while (IniReadLine(line, file) && lines.size() < 100) lines.emplace_back(line);
    std::fclose(file);
    return lines;
}

// ---- Sections ----

TEST_F(IniFileTest, HeadersDifferingInCaseNameOneSection) {
    Load("[Images]\npiece=a\n[Other]\n[IMAGES]\nbackground=b\n");
    EXPECT_EQ((std::vector<std::string>{"Images", "Other"}), SectionNames());
    EXPECT_EQ((Entries{{"piece", "a"}, {"background", "b"}}), EntriesOf("iMaGeS"));
}

// Line numbers are the file's as an editor counts them: only LF starts a
// new one; the rest of a line over 255 bytes and text after 0x1A keep it.
TEST_F(IniFileTest, EntriesAndSectionsCarryTheLineOfTheFile) {
    Load("a=1\n[S]\r\nb=2\x1A" "c=3\n" + std::string(300, 'x') + "=v\nd=4\n" + std::string(255, 'y') + "\ne=5\n");
    std::vector<std::string> seen;
    for (const auto& section : ini.sections) {
        seen.push_back("[" + section->name + "]@" + std::to_string(section->line));
        for (const auto& entry : section->entries) seen.push_back(entry->key + "@" + std::to_string(entry->line));
    }
    EXPECT_EQ((std::vector<std::string>{"[]@1", "a@1", "[S]@2", "b@3", "c@3",
                                        std::string(45, 'x') + "@4", "d@5", "@6", "e@7"}),
              seen);
    EXPECT_EQ((std::vector<int>{4}), std::vector<int>(ini.longLines.begin(), ini.longLines.end()));
}

TEST_F(IniFileTest, HeaderNameRules) {
    const struct {
        const char* line;
        const char* name;
    } cases[] = {
        /* 0 */ {"[  Images \t]", "Images"},
        /* 1 */ {"[Images] trailing text", "Images"},
        /* 2 */ {"[no close bracket  ", "no close bracket"},
        /* 3 */ {"[]", ""},
        /* 4 */ {"[ a ] ]", "a"},
        /* 5 */ {"[in ner]", "in ner"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Load(cases[i].line);
        EXPECT_EQ((std::vector<std::string>{cases[i].name}), SectionNames()) << "case " << i;
        EXPECT_STREQ(cases[i].name, ini.currentSection) << "case " << i;
    }
}

TEST_F(IniFileTest, LinesBeforeAnyHeaderAndAfterAByteOrderMarkGoToTheEmptyName) {
    Load("\xEF\xBB\xBF[PEBBLORA]\nver=1\n[IMAGES]\npiece=p\n");
    EXPECT_EQ((std::vector<std::string>{"", "IMAGES"}), SectionNames());
    EXPECT_EQ("<absent>", Get("PEBBLORA", "ver"));
    EXPECT_EQ("1", Get("", "ver"));
    EXPECT_EQ("p", Get("images", "piece"));
}

TEST_F(IniFileTest, HeaderContainingEqualsAlsoAddsAnEntry) {
    Load("[a=b]\n");
    EXPECT_EQ((std::vector<std::string>{"a=b"}), SectionNames());
    EXPECT_EQ((Entries{{"[a", "b]"}}), EntriesOf("a=b"));
}

// ---- Entries ----

TEST_F(IniFileTest, EntryLineSplitsAtFirstEqualsAndTrimsBothSides) {
    const struct {
        const char* line;
        const char* key;
        const char* value;
    } cases[] = {
        /* 0 */ {"  key  =  some value  ", "key", "some value"},
        /* 1 */ {"a=b=c", "a", "b=c"},
        /* 2 */ {"\tk\t=\t v \t", "k", "v"},
        /* 3 */ {"k=\"a; b\" # c", "k", "\"a; b\" # c"},
        /* 4 */ {"  ; note = x", "; note", "x"},
        /* 5 */ {" = v", "", "v"},
        /* 6 */ {"k =   ", "k", ""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Load(cases[i].line);
        EXPECT_EQ((Entries{{cases[i].key, cases[i].value}}), EntriesOf("")) << "case " << i;
    }
}

TEST_F(IniFileTest, CommentsAndBlankLinesAreKeptUnderMarkerKeysOtherLinesDropped) {
    Load("# c=1\n; d\n\n  ; note\nplain words\nk=v\n");
    EXPECT_EQ((Entries{{"#", "# c=1"}, {";", "; d"}, {"", ""}, {"k", "v"}}), EntriesOf(""));
    EXPECT_EQ("<absent>", Get("", "# c"));
}

TEST_F(IniFileTest, FirstOfDuplicateKeysWins) {
    Load("[s]\nk=first\nK=second\nk=third\n");
    EXPECT_EQ("first", Get("S", "k"));
    EXPECT_EQ("first", Get("S", "K"));
}

TEST_F(IniFileTest, KeyCaseFollowsTheFlagSectionCaseNever) {
    ini.keyCaseSensitive = 1;
    Load("[IMAGES]\nPiece=a\npiece=b\n");
    EXPECT_EQ(1, ini.sections.front()->keyCaseSensitive);
    EXPECT_EQ("b", Get("images", "piece"));
    EXPECT_EQ("a", Get("Images", "Piece"));
    EXPECT_EQ("<absent>", Get("images", "PIECE"));

    ini.keyCaseSensitive = 0;
    Load("[IMAGES]\nPiece=a\n");
    EXPECT_EQ("a", Get("images", "piece"));
}

TEST_F(IniFileTest, CompareNoCaseFoldsAsciiLettersOnly) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        /* 0 */ {"Images", "iMAGES", true},
        /* 1 */ {"", "", true},
        /* 2 */ {"a", "ab", false},
        /* 3 */ {"ab", "a", false},
        /* 4 */ {"[", "{", false},  // differ by 0x20 like a letter pair
        /* 5 */ {"@", "`", false},
        /* 6 */ {"\xC4", "\xE4", false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].equal, IniCompareNoCase(cases[i].a, cases[i].b) == 0) << "case " << i;
    }
    EXPECT_LT(IniCompareNoCase("a", "B"), 0);
    EXPECT_GT(IniCompareNoCase("\xE4", "a"), 0);
}

// ---- Line reading ----

TEST_F(IniFileTest, LineEndsCrAnd1AAllGiveTheSameEntries) {
    const std::string cases[] = {
        /* 0 */ "a=1\nb=2\n",
        /* 1 */ "a=1\r\nb=2\r\n",
        /* 2 */ "a=1\nb=2",
        /* 3 */ "a=1\x1A" "b=2",
        /* 4 */ "a\r=1\nb=\r2\r\r\n",
        /* 5 */ "a=1\nb=2\x1A",
        /* 6 */ std::string("a=1\0junk=3\nb=2", 14),
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Load(cases[i]);
        EXPECT_EQ((Entries{{"a", "1"}, {"b", "2"}}), EntriesOf("")) << "case " << i;
    }
}

TEST_F(IniFileTest, ReadLineSplitsAt255ConsumedBytes) {
    const std::string a200(200, 'a');
    const struct {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        /* 0 */ {"", {}},
        /* 1 */ {"\n", {""}},
        /* 2 */ {"\r", {""}},
        /* 3 */ {"x\x1A\x1A", {"x", ""}},
        /* 4 */ {std::string(300, 'x'), {std::string(255, 'x'), std::string(45, 'x')}},
        /* 5 */ {std::string(255, 'x') + "\n", {std::string(255, 'x'), ""}},
        /* 6 */ {a200 + std::string(100, '\r') + "bc\n", {a200, "bc"}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].lines, ReadLines(folder / "lines.ini", cases[i].bytes)) << "case " << i;
    }
}

TEST_F(IniFileTest, RestOfALongLineIsReadAsTheNextLine) {
    Load("k=" + std::string(253, 'v') + "j = w\n");
    EXPECT_EQ((Entries{{"k", std::string(253, 'v')}, {"j", "w"}}), EntriesOf(""));
}

// ---- Japanese mode ----

TEST_F(IniFileTest, TrimRightStepsOverDoubleByteCharactersInJapaneseMode) {
    const struct {
        const char* text;
        bool japanese;
        const char* trimmed;
    } cases[] = {
        /*  0 */ {"ab  \t", false, "ab"},
        /*  1 */ {" \t ", false, ""},
        /*  2 */ {"ab\x81 ", false, "ab\x81"},
        /*  3 */ {"ab\x81 ", true, "ab\x81 "},
        /*  4 */ {"ab\x81  ", true, "ab\x81 "},
        /*  5 */ {"\xE0\t\xFD ", true, "\xE0\t\xFD "},
        /*  6 */ {"\x9F ", true, "\x9F "},
        /*  7 */ {"\x80 ", true, "\x80"},
        /*  8 */ {"\xA0 ", true, "\xA0"},
        /*  9 */ {"\xDF ", true, "\xDF"},
        /* 10 */ {"\xFE ", true, "\xFE"},
        /* 11 */ {"\x81\x81 ", true, "\x81\x81"},
        /* 12 */ {"\x81\x81\x81 ", true, "\x81\x81\x81 "},
        /* 13 */ {" \x81", true, " \x81"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        LangJapanese = cases[i].japanese;
        std::string text = cases[i].text;
        TrimRight(text.data());
        EXPECT_STREQ(cases[i].trimmed, text.c_str()) << "case " << i;
    }
}

TEST_F(IniFileTest, LeadByteBeforeTheTerminatorReadsNothingBeyondIt) {
    LangJapanese = true;
    char text[] = {'a', '\x81', '\0', ' ', '\x81', '\0'};
    TrimRight(text);
    EXPECT_STREQ("a\x81", text);
    EXPECT_EQ(' ', text[3]);
    EXPECT_EQ('\x81', text[4]);

    Load("[ab\x81");
    EXPECT_EQ((std::vector<std::string>{"ab\x81"}), SectionNames());
}

TEST_F(IniFileTest, TrailBytesLikeBracketOrBlankStayInJapaneseSectionNamesAndValues) {
    const std::string file = "[\x83]x]\nk=\x82\xA0 \x81 \n";
    LangJapanese = true;
    Load(file);
    EXPECT_EQ((std::vector<std::string>{"\x83]x"}), SectionNames());
    EXPECT_EQ("\x82\xA0 \x81 ", Get("\x83]x", "k"));

    LangJapanese = false;
    Load(file);
    EXPECT_EQ((std::vector<std::string>{"\x83"}), SectionNames());
    EXPECT_EQ("\x82\xA0 \x81", Get("\x83", "k"));
}

// ---- Loading ----

TEST_F(IniFileTest, SecondLoadReplacesEverythingIncludingTheCurrentSection) {
    Load("[A]\nk=1\n");
    Load("k=2\n");
    EXPECT_EQ((std::vector<std::string>{""}), SectionNames());
    EXPECT_EQ("2", Get("", "k"));
    EXPECT_EQ("<absent>", Get("A", "k"));
}

TEST_F(IniFileTest, MissingFileReturnsOneAndLeavesTheReaderEmpty) {
    Load("[A]\nk=1\n");
    EXPECT_EQ(1, ini.IniLoad((folder / "missing.ini").wstring().c_str()));
    EXPECT_TRUE(ini.sections.empty());
    EXPECT_STREQ("", ini.currentSection);
    EXPECT_EQ("<absent>", Get("A", "k"));
}

// ---- Values ----

TEST_F(IniFileTest, GetIntReadsSignAndLeadingDigits) {
    const struct {
        const char* value;
        int expected;
    } cases[] = {
        /*  0 */ {"  -12abc", -12},
        /*  1 */ {"x", 0},
        /*  2 */ {"", 0},
        /*  3 */ {"+7", 7},
        /*  4 */ {"- 5", 0},
        /*  5 */ {"12 34", 12},
        /*  6 */ {"007", 7},
        /*  7 */ {"--1", 0},
        /*  8 */ {"2147483647", INT_MAX},
        /*  9 */ {"-2147483648", INT_MIN},
        /* 10 */ {"99999999999999999999", INT_MAX},
        /* 11 */ {"-2147483649", INT_MIN},
    };
    std::string file;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        file += "k" + std::to_string(i) + "=" + cases[i].value + "\n";
    }
    Load(file);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        int out = 0x5A5A;
        EXPECT_TRUE(ini.IniGetInt("", ("k" + std::to_string(i)).c_str(), out)) << "case " << i;
        EXPECT_EQ(cases[i].expected, out) << "case " << i;
    }
}

TEST_F(IniFileTest, GettersOnAbsentNamesReturnFalseAndTouchNothing) {
    Load("[s]\nk=5\n");
    for (const auto& [section, key] : {std::pair{"t", "k"}, std::pair{"s", "j"}}) {
        int out = 0x5A5A;
        EXPECT_FALSE(ini.IniGetInt(section, key, out));
        EXPECT_EQ(0x5A5A, out);
        char buffer[8];
        std::fill(std::begin(buffer), std::end(buffer), '\x66');
        EXPECT_FALSE(ini.IniGetString(section, key, buffer, sizeof buffer));
        EXPECT_EQ(std::string(8, '\x66'), std::string(buffer, 8));
    }
}

TEST_F(IniFileTest, GetStringAlwaysTerminatesWithinSizeAndZeroFillsTheRest) {
    Load("k=abcdef\n");
    constexpr std::size_t guard = 8;
    const std::size_t sizes[] = {0, 1, 2, 6, 7, 10};
    for (std::size_t size : sizes) {
        std::string buffer(guard + size + guard, '\x66');
        ASSERT_TRUE(ini.IniGetString("", "k", buffer.data() + guard, size)) << "size " << size;

        std::string expected(guard, '\x66');
        if (size > 0) {
            const std::size_t copied = std::min<std::size_t>(6, size - 1);
            expected += std::string("abcdef", copied) + std::string(size - copied, '\0');
        }
        expected += std::string(guard, '\x66');
        EXPECT_EQ(expected, buffer) << "size " << size;
    }
}

}  // namespace
