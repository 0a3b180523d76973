// How fast the file dialog's pattern filter is against the platform's own
// PathMatchSpecW.
//
// 100,000 generated file names are matched, without regard to case, against
// pattern lists of the kinds a type filter holds ("*.txt", "*.ini;*.txt",
// several image types, name prefixes, "?" and inner stars). Both sides get
// the same names and lists; only patterns both understand alike are used
// (no brackets, no "*.*", no spaces). Each side's time is the best of five
// runs. Prints the times, the match counts (which must agree), then
// "ratio match_vs_pathmatchspec <ours / baseline>".
#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "shell/patterns.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::wstring> MakeNames(int count) {
    const wchar_t* stems[] = {L"report", L"Skin", L"notes", L"IMG_", L"a", L"New Folder", L"readme",
                              L"Pebblora backup", L"abcde", L"x"};
    const wchar_t* extensions[] = {L".txt", L".TXT", L".ini", L".bmp", L".png", L".jpg", L".doc",
                                   L".exe", L".lnk", L"", L".tar.gz", L".Ini"};
    std::vector<std::wstring> names;
    names.reserve(count);
    unsigned state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u, (state >> 16) & 0x7FFF; };
    for (int i = 0; i < count; ++i) {
        std::wstring name = stems[next() % std::size(stems)];
        name += std::to_wstring(next() % 1000);
        if (next() % 4 == 0) name += L" copy";
        name += extensions[next() % std::size(extensions)];
        names.push_back(std::move(name));
    }
    return names;
}

// Seconds for one pass of `match` over every name and list; `matches`
// receives the number of names that matched.
template <class Match>
double TimePass(const std::vector<std::wstring>& names, const std::vector<const wchar_t*>& lists, Match match,
                long& matches) {
    const auto start = Clock::now();
    long count = 0;
    for (const wchar_t* list : lists)
        for (const std::wstring& name : names) count += match(name.c_str(), list) ? 1 : 0;
    matches = count;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    const std::vector<std::wstring> names = MakeNames(100000);
    const std::vector<const wchar_t*> lists = {
        L"*.txt", L"*.ini;*.txt", L"*.bmp;*.png;*.jpg;*.gif;*.ico", L"skin*", L"*report*",
        L"a*b?c*", L"IMG_???.jpg", L"*", L"*.tar.gz;*.lnk;*.exe",
    };
    auto ours = [](const wchar_t* name, const wchar_t* list) { return MatchFilePatterns(name, list, L";", false); };
    auto platform = [](const wchar_t* name, const wchar_t* list) { return PathMatchSpecW(name, list) != FALSE; };

    double best = 1e9, baseline = 1e9;
    long ourMatches = 0, platformMatches = 0;
    for (int run = 0; run < 5; ++run) {
        baseline = std::min(baseline, TimePass(names, lists, platform, platformMatches));
        best = std::min(best, TimePass(names, lists, ours, ourMatches));
    }
    const double calls = static_cast<double>(names.size() * lists.size());
    std::printf("names %zu, pattern lists %zu\n", names.size(), lists.size());
    std::printf("MatchFilePatterns %.1f ms (%.1f ns per call), %ld matches\n", best * 1e3, best * 1e9 / calls,
                ourMatches);
    std::printf("PathMatchSpecW    %.1f ms (%.1f ns per call), %ld matches\n", baseline * 1e3,
                baseline * 1e9 / calls, platformMatches);
    if (ourMatches != platformMatches) std::printf("note: the match counts differ\n");
    std::printf("ratio match_vs_pathmatchspec %.3f\n", best / baseline);
    return 0;
}
