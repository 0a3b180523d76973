#include "framework/paths.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#ifdef _WIN32
#include "tests/support/testsupport.h"
#endif

namespace {

// A path buffer followed by a guard that no helper may write. The guard ends
// in two terminators so that a helper which over-reads an unterminated text
// stops, and shows its stray write, inside the guard.
struct GuardedPath {
    static constexpr int kGuard = 16;
    wchar_t text[kMaxPath];
    wchar_t guard[kGuard];

    // Fills the whole buffer with 0x6666, then copies `s`; a text of kMaxPath
    // units or more fills the buffer with no terminator.
    explicit GuardedPath(const std::wstring& s = L"") {
        for (wchar_t& c : text) c = 0x6666;
        for (int i = 0; i < kGuard; ++i) guard[i] = i < kGuard - 2 ? 0x6666 : 0;
        const std::size_t n = s.size() < kMaxPath ? s.size() + 1 : kMaxPath;
        for (std::size_t i = 0; i < n; ++i) text[i] = s.c_str()[i];
    }
    // The first guard unit that changed, -1 when none did.
    int TouchedGuard() const {
        for (int i = 0; i < kGuard; ++i) {
            if (guard[i] != (i < kGuard - 2 ? 0x6666 : 0)) return i;
        }
        return -1;
    }
    std::wstring Text() const { return text; }
};
static_assert(offsetof(GuardedPath, guard) == sizeof(wchar_t) * kMaxPath);

// A text of `n` units: a backslash and then letters.
std::wstring Long(int n) { return L"\\" + std::wstring(n - 1, L'a'); }

// Offset of a found position in `path`, -1 for none.
int At(const wchar_t* path, const wchar_t* found) {
    return found ? static_cast<int>(found - path) : -1;
}

TEST(PathLookup, SeparatorFileNameAndExtension) {
    struct Case { const wchar_t* path; int separator; int fileName; int extension; };
    const Case cases[] = {
        /* 0 */ {L"", -1, 0, 0},
        /* 1 */ {L"abc", -1, 0, 3},
        /* 2 */ {L"\\", -1, 0, 1},
        /* 3 */ {L"\\\\", 0, 1, 2},
        /* 4 */ {L"\\a\\b\\", 2, 3, 5},
        /* 5 */ {L"\\a.b\\c", 4, 5, 2},
        /* 6 */ {L"\\Windows\\CALC.EXE", 8, 9, 13},
        /* 7 */ {L"\\\\server\\share", 8, 9, 14},
        /* 8 */ {L"a/b.c/d", -1, 0, 3},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(c.separator, At(c.path, FindLastSeparator(c.path))) << "case " << i << ": " << c.path;
        EXPECT_EQ(c.fileName, At(c.path, FindFileName(c.path))) << "case " << i << ": " << c.path;
        EXPECT_EQ(c.extension, At(c.path, FindExtension(c.path))) << "case " << i << ": " << c.path;
    }
}

TEST(PathLookup, ExtensionTestsIgnoreCase) {
    struct Case { const wchar_t* path; const wchar_t* extension; bool has, executable, shortcut; };
    const Case cases[] = {
        /* 0 */ {L"\\Windows\\CALC.EXE", L".exe", true, true, false},
        /* 1 */ {L"\\a.b\\c", L".exe", false, false, false},
        /* 2 */ {L"\\Windows\\Start.Lnk", L".LNK", true, false, true},
        /* 3 */ {L"\\x.lnk.exe", L".lnk", false, true, false},
        /* 4 */ {L"\\readme", L"", false, false, false},
        /* 5 */ {L"\\x.exe ", L".exe", false, false, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(c.has, HasExtension(c.path, c.extension)) << "case " << i << ": " << c.path;
        EXPECT_EQ(c.executable, IsExecutable(c.path)) << "case " << i << ": " << c.path;
        EXPECT_EQ(c.shortcut, IsShortcut(c.path)) << "case " << i << ": " << c.path;
    }
}

TEST(PathGrow, AddBackslashAppendsOnceAndRefusesWhatDoesNotFit) {
    struct Case { std::wstring path; std::wstring expected; bool refused; };
    const Case cases[] = {
        /* 0 */ {L"\\Windows", L"\\Windows\\", false},
        /* 1 */ {L"\\Windows\\", L"\\Windows\\", false},
        /* 2 */ {L"", L"", false},
        /* 3 */ {Long(258), Long(258) + L"\\", false},
        /* 4 */ {Long(258) + L"\\", Long(258) + L"\\", false},
        /* 5 */ {Long(259), Long(259), true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        GuardedPath buffer(cases[i].path);
        wchar_t* end = AddBackslash(buffer.text);
        EXPECT_EQ(cases[i].expected, buffer.Text()) << "case " << i;
        EXPECT_EQ(cases[i].refused ? -1 : static_cast<int>(cases[i].expected.size()), At(buffer.text, end))
            << "case " << i;
        EXPECT_EQ(-1, buffer.TouchedGuard()) << "case " << i;
    }

    GuardedPath unterminated(Long(kMaxPath));
    EXPECT_EQ(nullptr, AddBackslash(unterminated.text));
    EXPECT_EQ(L'a', unterminated.text[kMaxPath - 1]);
    EXPECT_EQ(-1, unterminated.TouchedGuard());
}

TEST(PathGrow, JoinPathAddsOneSeparatorAndRefusesWhatDoesNotFit) {
    struct Case { std::wstring folder, name, expected; bool refused; };
    const Case cases[] = {
        /* 0 */ {L"\\", L"a.txt", L"\\a.txt", false},
        /* 1 */ {L"\\My Documents", L"a.txt", L"\\My Documents\\a.txt", false},
        /* 2 */ {L"", L"a.txt", L"a.txt", false},
        /* 3 */ {L"\\a", L"", L"\\a", false},
        /* 4 */ {L"\\\\server", L"share", L"\\\\server\\share", false},
        /* 5 */ {Long(249), L"123456789", Long(249) + L"\\123456789", false},
        /* 6 */ {Long(250), L"123456789", L"", true},
        /* 7 */ {Long(250) + L"\\", L"123456789", L"", true},
        /* 8 */ {Long(kMaxPath), L"a", L"", true},
        /* 9 */ {L"\\a", Long(kMaxPath), L"", true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        GuardedPath folder(c.folder), name(c.name), out(L"\\stale");
        wchar_t* result = JoinPath(out.text, folder.text, name.text);
        EXPECT_EQ(c.refused ? nullptr : out.text, result) << "case " << i;
        EXPECT_EQ(c.expected, out.Text()) << "case " << i;
        EXPECT_EQ(-1, out.TouchedGuard()) << "out, case " << i;

        // Joining into the folder's own buffer gives the same result.
        GuardedPath inPlace(c.folder);
        EXPECT_EQ(c.refused ? nullptr : inPlace.text, JoinPath(inPlace.text, inPlace.text, name.text))
            << "in place, case " << i;
        EXPECT_EQ(c.expected, inPlace.Text()) << "in place, case " << i;
        EXPECT_EQ(-1, inPlace.TouchedGuard()) << "in place, case " << i;
    }
}

TEST(PathGrow, SplitPathSeparatesFolderAndName) {
    struct Case { std::wstring path, folder, name; bool found; };
    const Case cases[] = {
        /* 0 */ {L"\\a\\b", L"\\a", L"b", true},
        /* 1 */ {L"\\a", L"\\", L"a", true},
        /* 2 */ {L"abc", L"", L"abc", false},
        /* 3 */ {L"\\a\\b\\", L"\\a", L"b\\", true},
        /* 4 */ {L"\\", L"", L"\\", false},
        /* 5 */ {L"\\\\server\\share", L"\\\\server", L"share", true},
        /* 6 */ {Long(257) + L"\\b", Long(257), L"b", true},
        /* 7 */ {Long(kMaxPath), L"", L"", false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        GuardedPath path(c.path), folder(L"\\stale"), name(L"\\stale");
        EXPECT_EQ(c.found, SplitPath(folder.text, name.text, path.text)) << "case " << i;
        EXPECT_EQ(c.folder, folder.Text()) << "case " << i;
        EXPECT_EQ(c.name, name.Text()) << "case " << i;
        EXPECT_EQ(-1, folder.TouchedGuard()) << "folder, case " << i;
        EXPECT_EQ(-1, name.TouchedGuard()) << "name, case " << i;

        // Splitting into the path's own buffer leaves the folder there.
        GuardedPath inPlace(c.path), inPlaceName;
        EXPECT_EQ(c.found, SplitPath(inPlace.text, inPlaceName.text, inPlace.text)) << "in place, case " << i;
        EXPECT_EQ(c.folder, inPlace.Text()) << "in place, case " << i;
        EXPECT_EQ(c.name, inPlaceName.Text()) << "in place, case " << i;
        EXPECT_EQ(-1, inPlace.TouchedGuard()) << "in place, case " << i;
        EXPECT_EQ(-1, inPlaceName.TouchedGuard()) << "in place, case " << i;
    }
}

TEST(PathShrink, RemoveFileNameAndUpOneLevel) {
    struct Case { const wchar_t* path; const wchar_t* removed; bool removeChanged; const wchar_t* up; bool upChanged; };
    const Case cases[] = {
        /* 0 */ {L"\\a\\b", L"\\a", true, L"\\a", true},
        /* 1 */ {L"\\a", L"\\", true, L"\\", true},
        /* 2 */ {L"\\a\\", L"\\a", true, L"\\", true},
        /* 3 */ {L"a\\b", L"a", true, L"a", true},
        /* 4 */ {L"abc", L"", true, L"", true},
        /* 5 */ {L"\\", L"\\", false, L"", true},
        /* 6 */ {L"\\\\", L"\\\\", false, L"", true},
        /* 7 */ {L"", L"", false, L"", false},
        /* 8 */ {L"\\\\server", L"\\\\", true, L"\\", true},
        /* 9 */ {L"\\\\server\\share", L"\\\\server", true, L"\\\\server", true},
        /* 10 */ {L"\\a\\b\\", L"\\a\\b", true, L"\\a", true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        GuardedPath removed(c.path), up(c.path);
        EXPECT_EQ(c.removeChanged, RemoveFileName(removed.text)) << "case " << i << ": " << c.path;
        EXPECT_EQ(std::wstring(c.removed), removed.Text()) << "RemoveFileName, case " << i;
        EXPECT_EQ(c.upChanged, UpOneLevel(up.text)) << "case " << i << ": " << c.path;
        EXPECT_EQ(std::wstring(c.up), up.Text()) << "UpOneLevel, case " << i;
        EXPECT_EQ(-1, removed.TouchedGuard()) << "RemoveFileName, case " << i;
        EXPECT_EQ(-1, up.TouchedGuard()) << "UpOneLevel, case " << i;
    }
}

TEST(PathShrink, InPlaceEdits) {
    struct Case { const char* helper; void (*edit)(wchar_t*); const wchar_t* text; const wchar_t* expected; };
    const Case cases[] = {
        /* 0 */ {"RemoveExtension", RemoveExtension, L"\\a.b\\c", L"\\a"},
        /* 1 */ {"RemoveExtension", RemoveExtension, L"\\a\\x.tar.gz", L"\\a\\x.tar"},
        /* 2 */ {"RemoveExtension", RemoveExtension, L"\\a\\b", L"\\a\\b"},
        /* 3 */ {"ToFileName", ToFileName, L"\\a\\b.txt", L"b.txt"},
        /* 4 */ {"ToFileName", ToFileName, L"\\a\\b\\", L"b\\"},
        /* 5 */ {"ToFileName", ToFileName, L"abc", L"abc"},
        /* 6 */ {"StripQuotes", StripQuotes, L"\"", L"\""},
        /* 7 */ {"StripQuotes", StripQuotes, L"\"\"", L""},
        /* 8 */ {"StripQuotes", StripQuotes, L"\"a b\"", L"a b"},
        /* 9 */ {"StripQuotes", StripQuotes, L"\"a", L"\"a"},
        /* 10 */ {"CutArguments", CutArguments, L"\\x.exe -a b", L"\\x.exe"},
        /* 11 */ {"CutArguments", CutArguments, L"\"\\Program Files\\x.exe\" \"a b\"", L"\"\\Program Files\\x.exe\""},
        /* 12 */ {"CommandPath", CommandPath, L"\"\\Program Files\\Viewer\\view.exe\" -open \"%1\"",
                  L"\\Program Files\\Viewer\\view.exe"},
        /* 13 */ {"CommandPath", CommandPath, L"\\Windows\\view.exe %1", L"\\Windows\\view.exe"},
        /* 14 */ {"CommandPath", CommandPath, L"\\Windows\\view.exe", L"\\Windows\\view.exe"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        GuardedPath buffer(cases[i].text);
        cases[i].edit(buffer.text);
        EXPECT_EQ(std::wstring(cases[i].expected), buffer.Text()) << cases[i].helper << ", case " << i;
        EXPECT_EQ(-1, buffer.TouchedGuard()) << cases[i].helper << ", case " << i;
    }
}

TEST(PathShrink, CanonicalizePathResolvesDotsAndRefusesToClimbAboveTheRoot) {
    struct Case { const wchar_t* path; const wchar_t* expected; };  // null: refused, text untouched
    const Case cases[] = {
        /* 0 */ {L"\\Skins\\Garden\\..\\Ocean\\Ocean.ini", L"\\Skins\\Ocean\\Ocean.ini"},
        /* 1 */ {L"\\a\\.\\b.ini", L"\\a\\b.ini"},
        /* 2 */ {L"\\a\\\\b\\", L"\\a\\b"},
        /* 3 */ {L"\\a\\..", L"\\"},
        /* 4 */ {L"\\a\\..\\..", nullptr},
        /* 5 */ {L"\\\\server\\share\\..\\..", L"\\\\"},
        /* 6 */ {L"\\\\..", nullptr},
        /* 7 */ {L"a\\..\\b\\...", L"b\\..."},
        /* 8 */ {L"..\\a", nullptr},
        /* 9 */ {L".", L""},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        GuardedPath buffer(c.path);
        EXPECT_EQ(c.expected != nullptr, CanonicalizePath(buffer.text)) << "case " << i << ": " << c.path;
        EXPECT_EQ(std::wstring(c.expected ? c.expected : c.path), buffer.Text()) << "case " << i;
        EXPECT_EQ(-1, buffer.TouchedGuard()) << "case " << i;
    }
    GuardedPath unterminated(Long(kMaxPath));
    EXPECT_FALSE(CanonicalizePath(unterminated.text)) << "a text without its terminator";
    EXPECT_EQ(-1, unterminated.TouchedGuard());
}

TEST(PathShrink, ParseIconLocationSplitsFileAndIndex) {
    struct Case { const wchar_t* location; const wchar_t* file; int index; };
    const Case cases[] = {
        /* 0 */ {L"\\Windows\\a.dll,-101", L"\\Windows\\a.dll", -101},
        /* 1 */ {L"\\Windows\\a.dll", L"\\Windows\\a.dll", 0},
        /* 2 */ {L"\"\\Program Files\\a b.dll\",3", L"\\Program Files\\a b.dll", 3},
        /* 3 */ {L"a.dll,", L"a.dll", 0},
        /* 4 */ {L"a.dll,x", L"a.dll", 0},
        /* 5 */ {L"a.dll, 7,2", L"a.dll", 7},
        /* 6 */ {L"a.dll,99999999999999999999", L"a.dll", 2147483647},
        /* 7 */ {L"a.dll,-99999999999999999999", L"a.dll", -2147483647 - 1},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        GuardedPath buffer(cases[i].location);
        EXPECT_EQ(cases[i].index, ParseIconLocation(buffer.text)) << "case " << i << ": " << cases[i].location;
        EXPECT_EQ(std::wstring(cases[i].file), buffer.Text()) << "case " << i;
        EXPECT_EQ(-1, buffer.TouchedGuard()) << "case " << i;
    }
}

#ifdef _WIN32
TEST(PathFileSystem, ExistsAndIsFolder) {
    ScratchFolder scratch;
    const std::wstring file = scratch.WriteFile(L"file.txt", "x");
    const std::wstring missing = scratch / L"missing";

    struct Case { const wchar_t* path; bool exists; bool folder; };
    const Case cases[] = {
        /* 0 */ {scratch.Path().c_str(), true, true},
        /* 1 */ {file.c_str(), true, false},
        /* 2 */ {missing.c_str(), false, false},
        /* 3 */ {L"", false, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].exists, PathExists(cases[i].path)) << "case " << i << ": " << cases[i].path;
        EXPECT_EQ(cases[i].folder, IsFolder(cases[i].path)) << "case " << i << ": " << cases[i].path;
    }
}
#endif

}  // namespace
