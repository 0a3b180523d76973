// The search of a tree of folders.
#include "fileops/walk.h"

#include <cwchar>

#include "framework/paths.h"
#include "shell/patterns.h"

namespace {

class TreeSearch {
public:
    TreeSearch(const wchar_t* patterns, const std::atomic<bool>& stop, const SearchCalls& calls)
        : patterns_(patterns), everything_(patterns[0] == L'\0'), stop_(stop), calls_(calls) {}

    // False once stopped.
    bool Search(const wchar_t* folder) {
        if (stop_) return false;
        if (calls_.entering) calls_.entering(folder);

        // "*" rather than "*.*": the deepest folder that still has room for
        // a one-unit name below it can then be listed too.
        wchar_t pattern[kMaxPath];
        if (!JoinPath(pattern, folder, L"*")) return true;
        bool going = true;
        ForEachFound(pattern, [&](const WIN32_FIND_DATAW& data) {
            if (stop_) return going = false;
            wchar_t path[kMaxPath];
            if (!JoinPath(path, folder, data.cFileName)) return true;
            if (everything_ || MatchFilePatterns(data.cFileName, patterns_, L";", false)) calls_.found(folder, data);
            // A link (a reparse point: a symbolic link, a junction, a mount
            // point) is an entry, not a folder below: its target is searched
            // where it lies, or not at all, so that a link back up the tree
            // cannot make the search run away and nothing is found twice.
            const DWORD attributes = data.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
                going = Search(path);
            return going;
        });
        return going && !stop_;
    }

private:
    const wchar_t* patterns_;
    bool everything_;
    const std::atomic<bool>& stop_;
    const SearchCalls& calls_;
};

}  // namespace

bool SearchTree(const wchar_t* root, const wchar_t* patterns, const std::atomic<bool>& stop, const SearchCalls& calls) {
    if (!root || !patterns || wcsnlen(root, kMaxPath) >= static_cast<size_t>(kMaxPath)) return !stop;
    TreeSearch search(patterns, stop, calls);
    return search.Search(root);
}
