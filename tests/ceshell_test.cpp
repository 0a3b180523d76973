// The handheld shell's special folders and shortcut files.
#include "platform/ceshell.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/testsupport.h"

TEST(ShortcutTarget, ReadsTheLineAfterTheCountAndRefusesAnythingElse) {
    ScratchFolder folder;
    struct Case {
        const char* contents;  // null: no file at all
        int units;
        bool read;
        const wchar_t* target;
    };
    const Case cases[] = {
        /* 0 */ {"19#\"\\Windows\\calc.exe\"", 520, true, L"\"\\Windows\\calc.exe\""},
        /* 1 */ {"5#\\a.exe -x\r\nsecond line", 520, true, L"\\a.exe -x"},
        /* 2 */ {"#\\a.exe", 520, false, L""},
        /* 3 */ {"12\\a.exe", 520, false, L""},
        /* 4 */ {"3#", 520, false, L""},
        /* 5 */ {"7#\\a.exe", 6, false, L""},
        /* 6 */ {"7#\\a.exe", 7, true, L"\\a.exe"},
        /* 7 */ {nullptr, 520, false, L""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::wstring path = folder / (L"s" + std::to_wstring(i) + L".lnk");
        if (cases[i].contents) folder.WriteFile(L"s" + std::to_wstring(i) + L".lnk", cases[i].contents);
        wchar_t target[600];
        wmemset(target, L'#', 600);
        EXPECT_EQ(ce::SHGetShortcutTarget(path.c_str(), target, cases[i].units) != FALSE, cases[i].read) << "case " << i;
        EXPECT_EQ(Narrow(target), Narrow(cases[i].target)) << "case " << i;
        EXPECT_EQ(target[cases[i].units], L'#') << "case " << i << ": written past the buffer";
    }
}

TEST(SpecialFolder, DesktopAndDocumentsAreDeviceFolders) {
    wchar_t path[MAX_PATH];
    EXPECT_TRUE(ce::SHGetSpecialFolderPath(nullptr, path, ce::kCsidlDesktop, FALSE));
    EXPECT_STREQ(path, L"\\Windows\\Desktop");
    EXPECT_TRUE(ce::SHGetSpecialFolderPath(nullptr, path, ce::kCsidlPersonal, FALSE));
    EXPECT_STREQ(path, L"\\My Documents");
    EXPECT_FALSE(ce::SHGetSpecialFolderPath(nullptr, path, 0x26, FALSE));
    EXPECT_STREQ(path, L"");
}
