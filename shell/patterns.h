// Wildcard filtering of file names, as the file dialog's type filter uses
// it: "*" any sequence, "?" any one character, "[...]" and "[^...]" sets of
// characters and ranges ("a-z").
//
// A pattern is compiled into a sequence of 32-bit codes ended by 0. The high
// 16 bits of a code give its kind, the low 16 bits its character or count:
//
//   plain character  0x0000'cccc  the character c
//   ANY_SEQUENCE     0x0001'0000  zero or more characters
//   ANY_ONE          0x0002'0000  exactly one character
//   CHAR_SET         0x0003'nnnn  one character among the n codes that follow
//   NOT_CHAR_SET     0x0004'nnnn  one character among none of them
//   CHAR_RANGE       0x0005'0000  inside a set: the two codes that follow are
//                                 the ends of an inclusive range
//
// Characters inside a set are compared exactly, whatever the case argument;
// plain characters ignore case (towlower) unless asked not to.
//
// Matching takes time proportional to the name's length times the pattern's
// length at worst, however many stars a pattern holds.
#pragma once

#include <cstdint>

using PatternCode = std::uint32_t;

inline constexpr PatternCode ANY_SEQUENCE = 0x00010000;
inline constexpr PatternCode ANY_ONE = 0x00020000;
inline constexpr PatternCode CHAR_SET = 0x00030000;
inline constexpr PatternCode NOT_CHAR_SET = 0x00040000;
inline constexpr PatternCode CHAR_RANGE = 0x00050000;

inline constexpr PatternCode kPatternKindMask = 0xFFFF0000;
inline constexpr PatternCode kPatternValueMask = 0x0000FFFF;

// Compiles the first `length` units of `token` into `codes`, ended by 0.
// Returns false, with codes[0] = 0, when a bracket expression or a range is
// not closed, or when the codes would not fit in `capacity` (a token of n
// units needs at most n + 1 codes).
[[nodiscard]] bool CompileFilePattern(const wchar_t* token, int length, PatternCode* codes, int capacity);

// True when the whole of `text` matches the compiled `codes`.
bool MatchPatternCodes(const PatternCode* codes, const wchar_t* text, bool caseSensitive);

// True when `name` matches one of the patterns of `patterns`, a list split at
// any character of `separators` (empty pieces are skipped; a piece that does
// not compile matches nothing). The folder view passes ";" and false.
//
// Only the first 259 units of the list are used. A pattern that the limit
// would cut is left out rather than shortened: "*.txt" cut to "*.t" would
// match other files.
bool MatchFilePatterns(const wchar_t* name, const wchar_t* patterns, const wchar_t* separators,
                       bool caseSensitive);
