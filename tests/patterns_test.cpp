// Wildcard patterns: the codes a token compiles into, what names they
// match, hostile patterns that must not take exponential time, and pattern
// lists longer than a path.
#include "shell/patterns.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/paths.h"
#include "tests/support/testsupport.h"

namespace {

constexpr PatternCode kGuardCode = 0x66666666;

// Compiles `token` into a buffer of `capacity` codes followed by guards.
struct Compiled {
    static constexpr int kGuard = 8;
    std::vector<PatternCode> codes;
    bool ok;

    Compiled(const std::wstring& token, int capacity) : codes(capacity + kGuard, kGuardCode) {
        ok = CompileFilePattern(token.c_str(), static_cast<int>(token.size()), codes.data(), capacity);
        for (int i = capacity; i < capacity + kGuard; ++i)
            EXPECT_EQ(codes[i], kGuardCode) << "guard code " << i - capacity << " overwritten by " << Narrow(token);
    }
    // The codes up to and with the terminator.
    std::vector<PatternCode> Codes() const {
        std::vector<PatternCode> out;
        for (PatternCode c : codes) {
            out.push_back(c);
            if (c == 0) break;
        }
        return out;
    }
};

TEST(PatternCompiling, TokensBecomeCodes) {
    const PatternCode a = L'a', b = L'b', c = L'c', dash = L'-';
    struct Case {
        const wchar_t* token;
        std::vector<PatternCode> codes;
    };
    const Case cases[] = {
        /* 0 */ {L"*.?", {ANY_SEQUENCE, L'.', ANY_ONE, 0}},
        /* 1 */ {L"[a-c]", {CHAR_SET | 3, CHAR_RANGE, a, c, 0}},
        /* 2 */ {L"[^ab]x", {NOT_CHAR_SET | 2, a, b, L'x', 0}},
        // A dash first, last or before "]" stands for itself.
        /* 3 */ {L"[a-]", {CHAR_SET | 2, a, dash, 0}},
        /* 4 */ {L"[-a]", {CHAR_SET | 2, dash, a, 0}},
        /* 5 */ {L"[a-c-b]", {CHAR_SET | 5, CHAR_RANGE, a, c, dash, b, 0}},
        // The first "]" closes; an empty set; brackets outside a set are plain.
        /* 6 */ {L"[]]", {CHAR_SET | 0, L']', 0}},
        /* 7 */ {L"a]^", {a, L']', L'^', 0}},
        // Wildcards inside a set are members.
        /* 8 */ {L"[*?[]", {CHAR_SET | 3, L'*', L'?', L'[', 0}},
        /* 9 */ {L"[^]", {NOT_CHAR_SET | 0, 0}},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        Compiled compiled(cases[i].token, kMaxPath);
        EXPECT_TRUE(compiled.ok) << "case " << i;
        EXPECT_EQ(compiled.Codes(), cases[i].codes) << "case " << i;
    }
}

TEST(PatternCompiling, UnclosedOrTooLongTokensDoNotCompile) {
    struct Case {
        const wchar_t* token;
        int capacity;
    };
    const Case cases[] = {
        /* 0 */ {L"[ab", kMaxPath},
        /* 1 */ {L"*.[a-", kMaxPath},
        /* 2 */ {L"[^", kMaxPath},
        /* 3 */ {L"[", kMaxPath},
        // Four codes and the terminator do not fit in four.
        /* 4 */ {L"abcd", 4},
        /* 5 */ {L"[a-c]", 4},
        /* 6 */ {L"x", 1},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        Compiled compiled(cases[i].token, cases[i].capacity);
        EXPECT_FALSE(compiled.ok) << "case " << i;
        EXPECT_EQ(compiled.codes[0], 0u) << "case " << i << ": a refused token must leave no codes";
    }
    // Exactly enough room: n codes and the terminator.
    Compiled fits(L"abcd", 5);
    EXPECT_TRUE(fits.ok);
}

TEST(PatternMatching, NamesAgainstPatternLists) {
    struct Case {
        const wchar_t* name;
        const wchar_t* patterns;
        bool caseSensitive;
        bool matches;
    };
    const Case cases[] = {
        /* 0 */ {L"A.TXT", L"*.txt", false, true},
        /* 1 */ {L"A.TXT", L"*.txt", true, false},
        // Sets compare exactly, even when the rest ignores case.
        /* 2 */ {L"B.txt", L"[a-c]*", false, false},
        /* 3 */ {L"b.TXT", L"[a-c]*.txt", false, true},
        /* 4 */ {L"README", L"*", false, true},
        /* 5 */ {L"", L"*", false, true},
        /* 6 */ {L".txt", L"?.txt", false, false},
        /* 7 */ {L"a.txt", L"?.txt", false, true},
        /* 8 */ {L"a", L"a*", false, true},
        /* 9 */ {L"a", L"a**", false, true},
        /* 10 */ {L"", L"*?", false, false},
        /* 11 */ {L"ab", L"a", false, false},
        /* 12 */ {L"a", L"ab", false, false},
        // An unclosed set never matches, not even its own text.
        /* 13 */ {L"a", L"[ab", false, false},
        /* 14 */ {L"[ab", L"[ab", false, false},
        /* 15 */ {L"q.x", L"[ab;*.x", false, true},
        /* 16 */ {L"skin.ini", L"*.ini;*.txt", false, true},
        /* 17 */ {L"notes.txt", L"*.ini;*.txt", false, true},
        /* 18 */ {L"pic.bmp", L"*.ini;*.txt", false, false},
        /* 19 */ {L"pic.bmp", L";;*.bmp;;", false, true},
        /* 20 */ {L"pic.bmp", L"", false, false},
        /* 21 */ {L"abc", L"[^a]*", false, false},
        /* 22 */ {L"bcd", L"[^a]*", false, true},
        /* 23 */ {L"xaxb", L"*a*b", false, true},
        /* 24 */ {L"xaxbx", L"*a*b", false, false},
        // The star must give back what a later element needs.
        /* 25 */ {L"abcbc", L"*bc", false, true},
        /* 26 */ {L"mississippi", L"m*iss*ppi", false, true},
        /* 27 */ {L"mississippi", L"m*iss*ippx", false, false},
        /* 28 */ {L"a-b", L"a[-]b", false, true},
        /* 29 */ {L"]", L"[]]", false, false},
        /* 30 */ {L"x", L"[^]", false, true},
        // Case folds A to Z and nothing else: the characters next to both
        // ends of A-Z and a-z, and accented letters, match only themselves.
        /* 31 */ {L"A.ZIP", L"*.zip", false, true},
        /* 32 */ {L"Zulu.a", L"zULU.A", false, true},
        /* 33 */ {L"@[`{", L"@?`{", false, true},
        /* 34 */ {L"@", L"`", false, false},
        /* 35 */ {L"`", L"@", false, false},
        /* 36 */ {L"[", L"{", false, false},
        /* 37 */ {L"\u00C9.txt", L"\u00E9.txt", false, false},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(MatchFilePatterns(c.name, c.patterns, L";", c.caseSensitive), c.matches)
            << "case " << i << ": " << Narrow(c.name) << " against " << Narrow(c.patterns);
    }
}

TEST(PatternMatching, AnySeparatorSplitsTheList) {
    EXPECT_TRUE(MatchFilePatterns(L"a.b", L"*.x *.b", L" ;", false));
    EXPECT_TRUE(MatchFilePatterns(L"a.b", L"*.x;*.b", L" ;", false));
    // Without separators the list is one pattern.
    EXPECT_FALSE(MatchFilePatterns(L"a.b", L"*.x;*.b", L"", false));
    EXPECT_TRUE(MatchFilePatterns(L"a.x;b.b", L"*.x;*.b", L"", false));
}

// The plain recursive reading of a pattern's text, which tries every share
// of the name among the stars: slow, but an oracle on short names. Only A
// to Z fold; sets compare exactly; a set left open matches nothing.
bool BacktrackingMatch(const wchar_t* p, const wchar_t* name, bool caseSensitive) {
    const auto fold = [caseSensitive](wchar_t c) {
        return !caseSensitive && c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
    };
    for (;; ++p, ++name) {
        if (*p == L'*') {
            for (const wchar_t* from = name;; ++from) {
                if (BacktrackingMatch(p + 1, from, caseSensitive)) return true;
                if (!*from) return false;
            }
        }
        if (!*p || !*name) return !*p && !*name;
        if (*p == L'[') {
            const bool negated = p[1] == L'^';
            const wchar_t* member = p + 1 + negated;
            bool hit = false;
            for (; *member && *member != L']'; ++member) {
                if (member[1] == L'-' && member[2] && member[2] != L']') {
                    hit = hit || (*name >= member[0] && *name <= member[2]);
                    member += 2;
                } else {
                    hit = hit || *name == *member;
                }
            }
            if (!*member || hit == negated) return false;
            p = member;
        } else if (*p != L'?' && fold(*p) != fold(*name)) {
            return false;
        }
    }
}

TEST(PatternMatching, AgreesWithBacktrackingOnRandomShortCases) {
    unsigned seed = GetTickCount();
    if (const char* given = getenv("PEBBLORA_SEED")) seed = static_cast<unsigned>(strtoul(given, nullptr, 10));
    SCOPED_TRACE("seed " + std::to_string(seed) + " (set PEBBLORA_SEED to repeat)");
    srand(seed);
    // Both ends of A-Z and a-z and their neighbours ("[" opens a set in a pattern).
    const std::wstring patternUnits = L"*?[]^-@`{AZaz";
    const std::wstring nameUnits = L"@[`{AZaz-]^";
    for (int round = 0; round < 20000; ++round) {
        std::wstring pattern, name;
        for (int n = rand() % 9; n > 0; --n) pattern += patternUnits[rand() % patternUnits.size()];
        for (int n = rand() % 9; n > 0; --n) name += nameUnits[rand() % nameUnits.size()];
        const bool caseSensitive = rand() % 2;
        PatternCode codes[kMaxPath];
        const bool matches = CompileFilePattern(pattern.c_str(), static_cast<int>(pattern.size()), codes, kMaxPath) &&
                             MatchPatternCodes(codes, name.c_str(), caseSensitive);
        ASSERT_EQ(matches, BacktrackingMatch(pattern.c_str(), name.c_str(), caseSensitive))
            << Narrow(name) << " against " << Narrow(pattern) << (caseSensitive ? " with case" : "");
    }
}

TEST(PatternMatching, ManyStarsAgainstALongNameFinish) {
    // A backtracking matcher tries every way to share the name among the
    // stars: these would not finish in a lifetime.
    const std::wstring longName(kMaxPath - 1, L'a');
    std::wstring starsAndAs;
    for (int i = 0; i < 30; ++i) starsAndAs += L"*a";
    const std::wstring stars(30, L'*');

    struct Case {
        std::wstring name;
        std::wstring pattern;
        bool matches;
    };
    const Case cases[] = {
        /* 0 */ {longName, starsAndAs + L"*b", false},
        /* 1 */ {longName + L"b", starsAndAs + L"*b", true},
        /* 2 */ {longName, starsAndAs, true},
        /* 3 */ {longName, stars + L"b", false},
        /* 4 */ {longName, L"*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?b", false},
        /* 5 */ {std::wstring(20, L'a'), L"*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?*?", false},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        EXPECT_EQ(MatchFilePatterns(cases[i].name.c_str(), cases[i].pattern.c_str(), L";", false), cases[i].matches)
            << "case " << i;
    }
}

// A pattern list ending exactly at an inaccessible page: any read past the
// units the matcher may use faults.
class FencedText {
public:
    explicit FencedText(const std::wstring& text) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        base_ = static_cast<char*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
        text_ = reinterpret_cast<wchar_t*>(base_ + page_) - text.size();
        text.copy(text_, text.size());
    }
    ~FencedText() { VirtualFree(base_, 0, MEM_RELEASE); }
    const wchar_t* Get() const { return text_; }

private:
    DWORD page_ = 0;
    char* base_ = nullptr;
    wchar_t* text_ = nullptr;
};

TEST(PatternLists, OnlyWholePatternsWithinTheFirst259UnitsCount) {
    // "*.zz;" fills the list up to `at`, where the pattern "*.txt" starts.
    auto listWith = [](int at, const std::wstring& tail) {
        std::wstring list;
        while (static_cast<int>(list.size()) + 5 <= at) list += L"*.zz;";
        list += std::wstring(at - list.size(), L';');
        return list + tail;
    };
    struct Case {
        int at;
        std::wstring tail;
        bool matches;
    };
    const Case cases[] = {
        // Ends at unit 259: the whole pattern is within the limit.
        /* 0 */ {254, L"*.txt", true},
        /* 1 */ {254, L"*.txt;*.zz", true},
        // Cut by the limit to "*.tx": left out, not shortened.
        /* 2 */ {255, L"*.txt", false},
        /* 3 */ {255, L"*.tx", false},
        // Wholly past the limit.
        /* 4 */ {300, L"*.txt", false},
    };
    for (int i = 0; i < int(std::size(cases)); ++i) {
        const std::wstring list = listWith(cases[i].at, cases[i].tail);
        EXPECT_EQ(MatchFilePatterns(L"a.txt", list.c_str(), L";", false), cases[i].matches) << "case " << i;
        EXPECT_EQ(MatchFilePatterns(L"a.tx", list.c_str(), L";", false), cases[i].tail == L"*.tx")
            << "case " << i << ": a cut pattern must not match what it was cut to";
    }
}

TEST(PatternLists, AnUnterminatedListIsNotReadPastItsLimit) {
    // 260 units, no terminator, right before a page nothing may read.
    FencedText fenced(std::wstring(kMaxPath - 6, L';') + L"*.txt" + L"x");
    EXPECT_FALSE(MatchFilePatterns(L"a.txt", fenced.Get(), L";", false));
    FencedText star(std::wstring(kMaxPath - 1, L'*') + L"*");
    EXPECT_FALSE(MatchFilePatterns(L"a.txt", star.Get(), L";", false));
}

}  // namespace
