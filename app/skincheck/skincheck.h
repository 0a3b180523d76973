// The skin checker: reads a skin file with the game's own reader and image
// loading and names every problem an author can fix, with the line it is on.
// Knows nothing of consoles; skincheck_main.cpp prints what it finds.
#pragma once

#include <string>
#include <vector>

// One problem in a skin file. An error keeps the game from loading the skin
// as its author meant it; a warning is a skin that loads but will surprise
// someone (on another device, or with the part the game ignores).
struct SkinProblem {
    int line = 1;
    bool error = true;
    std::wstring english;
    std::wstring japanese;
};

// Everything wrong with the skin file at `path` (backslash separators, as
// the game is given them), in file order where a line is known. Empty for a
// clean skin. Never throws for what the file or its images hold.
std::vector<SkinProblem> CheckSkin(const wchar_t* path);

// "<shownPath>:<line>: error: <text>" (or "warning"), in English or Japanese.
std::wstring FormatSkinProblem(const std::wstring& shownPath, const SkinProblem& problem, bool japanese);

// The last line of a run: how many skins, errors and warnings.
std::wstring FormatSkinSummary(int skins, int errors, int warnings, bool japanese);

// The exit status for a run: 0 clean, 1 warnings only, 2 with errors.
int SkinCheckStatus(int errors, int warnings);

// The nearest of `known` to `name` when it is close enough to be a slip of the
// keyboard or of case (at most two edits, case ignored); empty when none is.
std::string NearestName(const std::string& name, const std::vector<std::string>& known);
