// The search of a tree of folders: what it reports at every level, how a
// stop ends it, and what it passes over: folders reached again through
// links, paths that would not fit, folders that cannot be read.
#include "fileops/walk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "framework/paths.h"
#include "tests/support/testsupport.h"

namespace {

// What one search reported, paths relative to its root; a folder found
// ends with "\". The root itself is entered as "".
struct Report {
    bool whole = false;
    std::vector<std::wstring> entered;
    std::vector<std::wstring> found;
    // Calls that came after the stop flag was seen set.
    int callsAfterStop = 0;
};

std::string Joined(std::vector<std::wstring> paths) {
    std::sort(paths.begin(), paths.end());
    std::string text;
    for (const auto& path : paths) text += (text.empty() ? "" : " | ") + Narrow(path);
    return "{" + text + "}";
}

std::wstring Relative(const std::wstring& root, const wchar_t* folder) {
    const std::wstring path = folder;
    if (path == root) return L"";
    return path.compare(0, root.size() + 1, root + L"\\") == 0 ? path.substr(root.size() + 1) : L"?" + path;
}

// Searches `root` for `patterns`; `afterFound` runs after each report is
// recorded (it may set `stop`).
Report Search(const std::wstring& root, const wchar_t* patterns, std::atomic<bool>& stop,
              const std::function<void(const Report&, const WIN32_FIND_DATAW&)>& afterFound = {}) {
    Report report;
    SearchCalls calls;
    calls.entering = [&](const wchar_t* folder) {
        if (stop) ++report.callsAfterStop;
        report.entered.push_back(Relative(root, folder));
    };
    calls.found = [&](const wchar_t* folder, const WIN32_FIND_DATAW& data) {
        if (stop) ++report.callsAfterStop;
        std::wstring path = Relative(root, folder);
        path += (path.empty() ? L"" : L"\\") + std::wstring(data.cFileName);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) path += L"\\";
        report.found.push_back(path);
        if (afterFound) afterFound(report, data);
    };
    report.whole = SearchTree(root.c_str(), patterns, stop, calls);
    return report;
}

// Makes the files and folders (those ending with "\") of `paths` below `folder`.
void MakeTree(const ScratchFolder& folder, const std::vector<std::wstring>& paths) {
    for (const auto& path : paths) {
        if (path.back() == L'\\') {
            ASSERT_TRUE(CreateDirectoryW((folder / path.substr(0, path.size() - 1)).c_str(), nullptr))
                << "cannot make folder " << Narrow(path);
        } else {
            folder.WriteFile(path, "x");
            ASSERT_NE(GetFileAttributesW((folder / path).c_str()), INVALID_FILE_ATTRIBUTES)
                << "cannot make file " << Narrow(path);
        }
    }
}

const std::vector<std::wstring> kTree = {
    L"Alpha.TXT", L"beta.dat", L"Docs.txt\\", L"Docs.txt\\inside.bin", L"sub1\\", L"sub1\\gamma.txt",
    L"sub1\\Sub2\\", L"sub1\\Sub2\\delta.TxT", L"sub1\\Sub2\\sub3\\", L"sub1\\Sub2\\sub3\\epsilon.doc",
    L"sub1\\Sub2\\sub3\\zeta.txt", L"sub1\\Sub2\\sub3\\txt",
};
const std::vector<std::wstring> kTreeFolders = {L"", L"Docs.txt", L"sub1", L"sub1\\Sub2", L"sub1\\Sub2\\sub3"};

class SearchTreeTest : public testing::Test {
protected:
    ScratchFolder folder;
    std::atomic<bool> stop{false};
};

}  // namespace

// ---- What a search reports -------------------------------------------------------------------------

TEST_F(SearchTreeTest, ReportsMatchesOfEveryLevelAndEntersEachFolderOnce) {
    MakeTree(folder, kTree);
    struct Case {
        const wchar_t* patterns;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        /* 0 */ {L"*.txt",
                 {L"Alpha.TXT", L"Docs.txt\\", L"sub1\\gamma.txt", L"sub1\\Sub2\\delta.TxT",
                  L"sub1\\Sub2\\sub3\\zeta.txt"}},
        /* 1 */ {L"*.doc;*.DAT", {L"beta.dat", L"sub1\\Sub2\\sub3\\epsilon.doc"}},
        /* 2 */ {L"?eta.*", {L"beta.dat", L"sub1\\Sub2\\sub3\\zeta.txt"}},
        /* 3 */ {L"SUB?", {L"sub1\\", L"sub1\\Sub2\\", L"sub1\\Sub2\\sub3\\"}},
        /* 4 */ {L"*.bin;;txt", {L"Docs.txt\\inside.bin", L"sub1\\Sub2\\sub3\\txt"}},
        /* 5 */ {L"nothing*", {}},
        /* 6 */ {L"", kTree},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Report report = Search(folder.Path(), cases[i].patterns, stop);
        const std::string name = "case " + std::to_string(i) + " \"" + Narrow(cases[i].patterns) + "\"";
        EXPECT_TRUE(report.whole) << name << ": a search that was not stopped searched the whole tree";
        EXPECT_EQ(Joined(report.found), Joined(cases[i].expected)) << name << ": found";
        EXPECT_EQ(report.found.size(), cases[i].expected.size()) << name << ": each match once";
        EXPECT_EQ(Joined(report.entered), Joined(kTreeFolders)) << name << ": folders entered";
        EXPECT_EQ(report.entered.size(), kTreeFolders.size()) << name << ": each folder entered once";
        if (!report.entered.empty()) {
            EXPECT_EQ(Narrow(report.entered[0]), "") << name << ": the root first";
        }
    }
}

// ---- Stopping --------------------------------------------------------------------------------------

TEST_F(SearchTreeTest, StopEndsTheSearchAtOnceAndKeepsWhatWasFound) {
    MakeTree(folder, kTree);
    const std::string all = Joined(kTree);
    // When the flag is set: before the search (0), or after the k-th result,
    // from the searching thread or from another one that the search waits for.
    struct Case {
        const char* name;
        size_t stopAfter;
        bool fromAnotherThread;
    };
    const Case cases[] = {
        {"set before the search", 0, false},
        {"set after the first result", 1, false},
        {"set after the fifth result", 5, false},
        {"set after the last result", kTree.size(), false},
        {"set by another thread after the second result", 2, true},
    };
    for (const Case& c : cases) {
        stop = c.stopAfter == 0;
        HANDLE reached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE set = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        struct Setter {
            HANDLE reached, set;
            std::atomic<bool>* stop;
        } setter{reached, set, &stop};
        HANDLE thread = nullptr;
        if (c.fromAnotherThread) {
            thread = CreateThread(
                nullptr, 0,
                [](void* context) -> DWORD {
                    auto* s = static_cast<Setter*>(context);
                    if (WaitForSingleObject(s->reached, 10000) != WAIT_OBJECT_0) return 1;
                    *s->stop = true;
                    SetEvent(s->set);
                    return 0;
                },
                &setter, 0, nullptr);
            ASSERT_NE(thread, nullptr);
        }
        const Report report = Search(folder.Path(), L"", stop, [&](const Report& r, const WIN32_FIND_DATAW&) {
            if (r.found.size() != c.stopAfter) return;
            if (!c.fromAnotherThread) {
                stop = true;
                return;
            }
            SetEvent(reached);
            EXPECT_EQ(WaitForSingleObject(set, 10000), WAIT_OBJECT_0) << c.name << ": the other thread never set the flag";
        });
        if (thread) {
            SetEvent(reached);  // a search that ended too soon must not leave it waiting
            WaitForSingleObject(thread, 10000);
            CloseHandle(thread);
        }
        CloseHandle(reached);
        CloseHandle(set);
        EXPECT_FALSE(report.whole) << c.name << ": a stopped search says so";
        EXPECT_EQ(report.found.size(), c.stopAfter) << c.name << ": results before the stop, none after: "
                                                    << Joined(report.found);
        EXPECT_EQ(report.callsAfterStop, 0) << c.name << ": calls after the flag was set";
        for (const auto& path : report.found)
            EXPECT_NE(all.find(Narrow(path)), std::string::npos) << c.name << ": not an entry of the tree: " << Narrow(path);
    }
}

// ---- Loops of links --------------------------------------------------------------------------------
//
// Under Wine a host symbolic link to a folder lists as a folder (with the
// reparse-point attribute) and leads into its target. Wine's own
// CreateSymbolicLinkW succeeds without making anything, and neither
// RemoveDirectoryW nor DeleteFileW removes a host link, so the test has the
// host's ln and rm do both: Wine starts a host program named by its host
// path, in the current folder given. Such a process gives no handle to wait
// on, so the test waits, bounded, for the link to show or to go.

bool RunOnHost(const std::wstring& inFolder, std::wstring command, const std::function<bool()>& done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, inFolder.c_str(), &startup,
                        &process))
        return false;
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    for (int waited = 0; waited < 5000; waited += 10) {
        if (done()) return true;
        Sleep(10);
    }
    return false;
}

// True when `inFolder\name` is a link to the folder `target` (a host path,
// relative to inFolder) that lists as a folder.
bool MakeHostLink(const std::wstring& inFolder, const wchar_t* name, const wchar_t* target) {
    const std::wstring link = inFolder + L"\\" + name;
    return RunOnHost(inFolder, L"/bin/ln -s " + std::wstring(target) + L" " + name,
                     [&] { return GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; }) &&
           (GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

// Removes the link `name` of `inFolder`, never its target (the scratch
// folder's removal would follow it); true when it is gone.
bool RemoveHostLink(const std::wstring& inFolder, const wchar_t* name) {
    const std::wstring link = inFolder + L"\\" + name;
    return RunOnHost(inFolder, L"/bin/rm " + std::wstring(name),
                     [&] { return GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

TEST_F(SearchTreeTest, LinksBackUpAndAcrossEndTheSearchWithEachEntryOnce) {
    MakeTree(folder, {L"top.txt", L"a\\", L"a\\a.txt", L"b\\", L"b\\b.txt"});
    const std::wstring a = folder / L"a";
    struct LinkScope {
        std::wstring in;
        std::vector<const wchar_t*> links;
        ~LinkScope() {
            for (const wchar_t* link : links) EXPECT_TRUE(RemoveHostLink(in, link)) << "link left behind: a\\" << Narrow(link);
        }
    } scope{a, {}};
    // A link to the root of the search, and one to a sibling folder.
    ASSERT_TRUE(MakeHostLink(a, L"up", L"..")) << "could not make the link a\\up to its parent folder";
    scope.links.push_back(L"up");
    ASSERT_TRUE(MakeHostLink(a, L"sib", L"../b")) << "could not make the link a\\sib to the folder b";
    scope.links.push_back(L"sib");

    // A search that ran away is cut short here, and fails below.
    const auto bound = [this](const Report& r, const WIN32_FIND_DATAW&) {
        if (r.found.size() > 100) stop = true;
    };
    // The names found, whichever way each folder was reached first.
    const auto names = [](const Report& r) {
        std::vector<std::wstring> names;
        for (auto path : r.found) {
            if (path.back() == L'\\') path.pop_back();
            names.push_back(path.substr(path.rfind(L'\\') + 1));
        }
        return names;
    };
    const Report files = Search(folder.Path(), L"*.txt", stop, bound);
    EXPECT_TRUE(files.whole) << "the search ends by itself, having searched the tree";
    EXPECT_EQ(Joined(names(files)), Joined({L"a.txt", L"b.txt", L"top.txt"})) << "each file once";
    EXPECT_EQ(files.entered.size(), 3u) << "the root, a and b, each once; links are entries, not folders to enter: "
        << Joined(files.entered);

    stop = false;
    const Report everything = Search(folder.Path(), L"", stop, bound);
    EXPECT_TRUE(everything.whole);
    EXPECT_EQ(Joined(names(everything)), Joined({L"a", L"a.txt", L"b", L"b.txt", L"sib", L"top.txt", L"up"}))
        << "each entry once, the links as entries of a";
}

// ---- Paths at the limit ----------------------------------------------------------------------------

// A chain of folders below `from` whose path is exactly `length` units;
// the folder's path, or "" when it could not be made.
std::wstring MakeFolderOfLength(std::wstring from, size_t length) {
    if (!CreateDirectoryW(from.c_str(), nullptr)) return L"";
    while (from.size() < length) {
        const size_t room = length - from.size() - 1;
        const size_t name = room > 60 ? 50 : room;
        from += L"\\" + std::wstring(name, L'd');
        if (!CreateDirectoryW(from.c_str(), nullptr)) return L"";
    }
    return from.size() == length ? from : L"";
}

TEST_F(SearchTreeTest, EntriesUpTo259UnitsAreFoundLongerOnesSkippedNeverCut) {
    constexpr size_t kLongest = kMaxPath - 1;
    // Two chains: one ends in a folder of 257 units, one in a folder of 258.
    const std::wstring at257 = MakeFolderOfLength(folder / L"p", kLongest - 2);
    const std::wstring at258 = MakeFolderOfLength(folder / L"q", kLongest - 1);
    ASSERT_FALSE(at257.empty() || at258.empty()) << "cannot make folders of 257 and 258 units";
    struct Entry {
        const char* what;
        std::wstring path;
        bool found;
    };
    const Entry entries[] = {
        {"a file of 259 units", at257 + L"\\f", true},
        {"a file of 260 units", at257 + L"\\ff", false},
        {"a file of 260 units in a folder of 258", at258 + L"\\g", false},
        {"a file of 261 units", at258 + L"\\gg", false},
    };
    for (const Entry& entry : entries) {
        HANDLE file = CreateFileW(entry.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot make " << entry.what << " (" << entry.path.size() << ")";
        CloseHandle(file);
    }
    std::vector<std::wstring> reported;
    SearchCalls calls;
    calls.found = [&](const wchar_t* in, const WIN32_FIND_DATAW& data) {
        reported.push_back(std::wstring(in) + L"\\" + data.cFileName);
    };
    EXPECT_TRUE(SearchTree(folder.Path().c_str(), L"f*;g*", stop, calls))
        << "skipping a path that does not fit does not stop the search";
    for (const Entry& entry : entries) {
        const bool seen = std::find(reported.begin(), reported.end(), entry.path) != reported.end();
        EXPECT_EQ(seen, entry.found) << entry.what;
    }
    for (const auto& path : reported) {
        EXPECT_LE(path.size(), kLongest) << "a path too long was reported: " << Narrow(path);
        EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << "a cut path: " << Narrow(path);
    }
}

// ---- Folders that cannot be read ------------------------------------------------------------------
//
// The tests run as root, to whom the host grants every folder, so no
// folder can be made unreadable by its permissions. A folder removed after
// its entry was listed and before the search enters it is one the search
// cannot read, for the same calls fail on it.

TEST_F(SearchTreeTest, AFolderThatCannotBeReadIsPassedOverSilently) {
    MakeTree(folder, {L"first.txt", L"gone\\", L"gone\\inside.txt", L"later\\", L"later\\x.txt"});
    const Report report = Search(folder.Path(), L"", stop, [this](const Report&, const WIN32_FIND_DATAW& data) {
        if (std::wstring(data.cFileName) == L"gone") {
            EXPECT_TRUE(RemoveTree(folder / L"gone"));
        }
    });
    EXPECT_TRUE(report.whole) << "the rest of the tree is searched, and the search says it was whole";
    EXPECT_EQ(Joined(report.found), Joined({L"first.txt", L"gone\\", L"later\\", L"later\\x.txt"}));
}
