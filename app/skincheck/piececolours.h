// Whether the pieces of a strip stay apart for players who see colours
// differently: each piece's colour is the mean of its own pixels (not the
// cell's backdrop) in linear light, compared by CIEDE2000 with normal vision
// and under simulated protanopia, deuteranopia and tritanopia (Machado,
// Oliveira and Fernandes, 2009, at full severity). tools/skin_measures.py
// measures the sample skins the same way for the README's table.
#pragma once

#include <windows.h>

#include <vector>

// Two pieces a player with `vision` cannot tell apart: their colours are
// less than kHardToTell apart, and their patterns of light and dark differ
// in less than a fifth of the cell, so the shape does not tell them apart
// either. Pieces count from 1, as the strip's columns from the left.
struct AlikePieces {
    int first = 0;
    int second = 0;
    double difference = 0.0;
    const wchar_t* vision = L"";          // "deuteranopia", ...
    const wchar_t* visionJapanese = L"";  // "2型色覚", ...
};

// Colours closer than this are hard to tell apart; ten or more apart are
// told apart at a glance.
constexpr double kHardToTell = 5.0;

// The alike pairs among the first `colours` cells of the normal (top) row
// of `strip`, two rows of square cells of `side` pixels; the closest view
// of each pair. Empty when the bitmap cannot be read.
std::vector<AlikePieces> FindAlikePieces(HBITMAP strip, int side, int colours);
