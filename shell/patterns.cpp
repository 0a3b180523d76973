// Wildcard patterns: compiling a token into codes and matching names.
#include "shell/patterns.h"

#include <cwctype>

#include "framework/paths.h"

namespace {

PatternCode KindOf(PatternCode code) { return code & kPatternKindMask; }

bool IsSet(PatternCode code) {
    const PatternCode kind = KindOf(code);
    return kind == CHAR_SET || kind == NOT_CHAR_SET;
}

// Codes taken by the element at `code`: a set spans its header and members.
int ElementWidth(const PatternCode* code) {
    return IsSet(*code) ? 1 + static_cast<int>(*code & kPatternValueMask) : 1;
}

// Equality of a pattern character and a name character. Without case this
// is towlower on both; ASCII pairs take a short way to the same answer, as
// the program keeps the C runtime's "C" locale, where towlower lowers just
// A to Z among them.
bool SameCharacter(wchar_t pattern, wchar_t text, bool caseSensitive) {
    if (pattern == text) return true;
    if (caseSensitive) return false;
    if (pattern < 0x80 && text < 0x80) {
        auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
        return lower(pattern) == lower(text);
    }
    return std::towlower(pattern) == std::towlower(text);
}

// A set's members compare exactly, ranges inclusive.
bool InSet(const PatternCode* header, wchar_t c) {
    const PatternCode* member = header + 1;
    const PatternCode* end = member + (*header & kPatternValueMask);
    while (member < end) {
        if (*member == CHAR_RANGE) {
            if (c >= member[1] && c <= member[2]) return true;
            member += 3;
        } else {
            if (c == *member) return true;
            ++member;
        }
    }
    return false;
}

// One element that consumes exactly one character (anything but a star).
bool ElementMatches(const PatternCode* code, wchar_t c, bool caseSensitive) {
    switch (KindOf(*code)) {
        case ANY_ONE: return true;
        case CHAR_SET: return InSet(code, c);
        case NOT_CHAR_SET: return !InSet(code, c);
        default: return SameCharacter(static_cast<wchar_t>(*code), c, caseSensitive);
    }
}

bool IsSeparator(wchar_t c, const wchar_t* separators) {
    for (const wchar_t* s = separators; *s; ++s) {
        if (*s == c) return true;
    }
    return false;
}

}  // namespace

bool CompileFilePattern(const wchar_t* token, int length, PatternCode* codes, int capacity) {
    if (capacity <= 0) return false;
    int count = 0;
    bool ok = true;
    // Keeps one place for the terminator.
    auto put = [&](PatternCode code) {
        if (count < capacity - 1) {
            codes[count++] = code;
        } else {
            ok = false;
        }
    };
    int i = 0;
    while (ok && i < length) {
        const wchar_t c = token[i++];
        if (c == L'*') {
            put(ANY_SEQUENCE);
        } else if (c == L'?') {
            put(ANY_ONE);
        } else if (c != L'[') {
            put(c);
        } else {
            PatternCode kind = CHAR_SET;
            if (i < length && token[i] == L'^') {
                kind = NOT_CHAR_SET;
                ++i;
            }
            const int header = count;
            put(kind);
            bool closed = false;
            while (ok && i < length) {
                const wchar_t member = token[i];
                if (member == L']') {
                    closed = true;
                    ++i;
                    break;
                }
                // A dash between two characters, the second not "]", makes a
                // range; a dash first, last or before "]" stands for itself.
                if (i + 2 < length && token[i + 1] == L'-' && token[i + 2] != L']') {
                    put(CHAR_RANGE);
                    put(member);
                    put(token[i + 2]);
                    i += 3;
                } else {
                    put(member);
                    ++i;
                }
            }
            if (!closed) ok = false;
            if (ok) codes[header] |= static_cast<PatternCode>(count - header - 1);
        }
    }
    codes[ok ? count : 0] = 0;
    return ok;
}

bool MatchPatternCodes(const PatternCode* codes, const wchar_t* text, bool caseSensitive) {
    // Every element but a star consumes exactly one character, so on a
    // mismatch it is enough to let the latest star take one character more
    // and retry from there: earlier stars can never do better. That keeps
    // the work to (name length) x (pattern length) steps.
    const PatternCode* code = codes;
    const wchar_t* name = text;
    const PatternCode* afterStar = nullptr;
    const wchar_t* starTaken = nullptr;
    while (*name) {
        if (KindOf(*code) == ANY_SEQUENCE) {
            while (KindOf(*code) == ANY_SEQUENCE) ++code;
            if (*code == 0) return true;
            afterStar = code;
            starTaken = name;
            continue;
        }
        if (*code != 0 && ElementMatches(code, *name, caseSensitive)) {
            code += ElementWidth(code);
            ++name;
            continue;
        }
        if (!afterStar) return false;
        code = afterStar;
        name = ++starTaken;
    }
    while (KindOf(*code) == ANY_SEQUENCE) ++code;
    return *code == 0;
}

bool MatchFilePatterns(const wchar_t* name, const wchar_t* patterns, const wchar_t* separators,
                       bool caseSensitive) {
    if (!name || !patterns) return false;
    if (!separators) separators = L"";
    constexpr int kLimit = kMaxPath - 1;
    // A token of at most kLimit units compiles into at most kLimit + 1 codes.
    PatternCode codes[kMaxPath];
    int i = 0;
    while (i < kLimit && patterns[i]) {
        if (IsSeparator(patterns[i], separators)) {
            ++i;
            continue;
        }
        const int start = i;
        while (i < kLimit && patterns[i] && !IsSeparator(patterns[i], separators)) ++i;
        // patterns[kLimit] is still inside the text: its terminator or more.
        if (i == kLimit && patterns[i] && !IsSeparator(patterns[i], separators)) return false;
        if (CompileFilePattern(patterns + start, i - start, codes, kMaxPath) &&
            MatchPatternCodes(codes, name, caseSensitive)) {
            return true;
        }
    }
    return false;
}
