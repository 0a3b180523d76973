// Listing a folder the way the handheld lists it, and searching a tree of
// folders. Every walk of the program goes through ForEachFound: the folder
// view's listing, the file operation engine's passes and the search.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "platform/cestatus.h"

// The finds of one pattern, closed when the walk leaves it by any way.
class FindScope {
public:
    FindScope(const wchar_t* pattern, WIN32_FIND_DATAW* data) : find_(ce::FindFirstFileW(pattern, data)) {}
    ~FindScope() {
        if (find_ != INVALID_HANDLE_VALUE) ce::FindClose(find_);
    }
    FindScope(const FindScope&) = delete;
    FindScope& operator=(const FindScope&) = delete;
    bool Found() const { return find_ != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAW* data) { return ce::FindNextFileW(find_, data) != FALSE; }

private:
    HANDLE find_;
};

inline bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// Calls `step(data)` for every entry that `pattern` finds, "." and ".."
// left out, in the order found (the handheld's find calls: in-ROM files and
// storage cards carry their attributes), until `step` returns false. A
// pattern that finds nothing, or cannot be listed, calls nothing.
template <class Step>
void ForEachFound(const wchar_t* pattern, Step step) {
    WIN32_FIND_DATAW data;
    FindScope find(pattern, &data);
    if (!find.Found()) return;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        if (!step(static_cast<const WIN32_FIND_DATAW&>(data))) return;
    } while (find.Next(&data));
}

// A search of `root` and every folder below it for the entries, files and
// folders alike, whose names match `patterns` (";"-separated, compared
// without regard to case, "*" and "?"; an empty text matches every entry).
//
// Folders that cannot be read are passed over in silence, and so is every
// entry whose full path would not fit in kMaxPath units (it is never cut).
// A link to a folder (any reparse point; a Unix symbolic link shows as one
// under Wine) is reported like any entry but not searched: a link back up
// the tree cannot make the search run away, and no entry is reported twice.
//
// `entering` is called with each folder as the search enters it, `found`
// with the folder and the find data of each match; both on the searching
// thread. `stop` is read before every entry: once it is true the search
// returns false at once. True when the whole tree was searched.
struct SearchCalls {
    std::function<void(const wchar_t* folder)> entering;
    std::function<void(const wchar_t* folder, const WIN32_FIND_DATAW& data)> found;
};
bool SearchTree(const wchar_t* root, const wchar_t* patterns, const std::atomic<bool>& stop, const SearchCalls& calls);
