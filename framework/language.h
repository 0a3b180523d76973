// The user-interface language, decided once at start-up.
//
// Kept apart from the other process-wide values so that code without
// <windows.h> (the INI reader) can read it.
#pragma once

// True when the interface is Japanese. Written only during start-up.
extern bool LangJapanese;

// Picks the English or the Japanese member of a text pair at the moment of use.
// Arguments are taken by value so that two literals of different lengths
// decay to the same pointer type.
template <class T>
T ByLanguage(T english, T japanese) {
    return LangJapanese ? japanese : english;
}
