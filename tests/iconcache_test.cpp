// The shared image lists: the standard images in order at both sizes, the
// overlays, the image of every kind of file, and the icon-source cache.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/appvalues.h"
#include "resource.h"
#include "shell/iconcache.h"
#include "tests/iconcache_pixels.h"
#include "tests/support/classes.h"
#include "tests/support/testsupport.h"

namespace {

// Runs with this executable's resources and restores the density after.
class IconCacheTest : public testing::Test {
protected:
    void SetUp() override { AppInstance = GetModuleHandleW(nullptr); }
    void TearDown() override {
        HiRes = savedHiRes_;
        ScreenDpiX = savedDpi_;
    }

private:
    bool savedHiRes_ = HiRes;
    int savedDpi_ = ScreenDpiX;
};

// A file the build puts beside this test executable: a program built
// without any icon, and the program's icon as an .ico file.
std::wstring BesideTest(const wchar_t* name) {
    std::wstring path = OwnExecutable();
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

// Files of every kind in a scratch folder of the test device.
struct IconFiles {
    ScratchFolder folder;
    std::wstring withIcon = folder / L"game.exe";      // this executable: its first icon is IDI_APP
    std::wstring withoutIcon = folder / L"tool.exe";   // a program without icons
    std::wstring iconFile = folder / L"pebble.ico";    // IDI_APP as an icon file

    IconFiles() {
        EXPECT_TRUE(CopyFileW(OwnExecutable().c_str(), withIcon.c_str(), FALSE));
        EXPECT_TRUE(CopyFileW(BesideTest(L"noicon_fixture.exe").c_str(), withoutIcon.c_str(), FALSE));
        EXPECT_TRUE(CopyFileW(BesideTest(L"app.ico").c_str(), iconFile.c_str(), FALSE));
        EXPECT_TRUE(CopyFileW(iconFile.c_str(), (folder / L"pebble.ic2").c_str(), FALSE));
        folder.WriteFile(L"broken.exe", "MZ but not a program");
        folder.WriteFile(L"empty.ico", "");
        folder.WriteFile(L"text.ico", "plain text, not an icon");
    }
};

// Image numbers the cache adds for icons of their own, past the standard ones.
constexpr int kOwnImage = -100;

}  // namespace

TEST_F(IconCacheTest, StandardImagesInOrderAtBothSizesAndDensities) {
    for (bool hiRes : {false, true}) {
        HiRes = hiRes;
        BoxWatcher watcher;
        ShellIconCache cache;
        EXPECT_TRUE(watcher.Seen().empty()) << "unexpected box: " << Narrow(watcher.Seen()[0].text);
        const HIMAGELIST lists[] = {cache.LargeList(), cache.SmallList()};
        const SIZE sizes[] = {{GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)},
                              {GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)}};
        for (int l = 0; l < 2; ++l) {
            const char* which = l == 0 ? "large" : "small";
            ASSERT_EQ(ImageList_GetImageCount(lists[l]), kStandardImageCount) << which;
            const SIZE size = ListIconSize(lists[l]);
            EXPECT_EQ(size.cx, sizes[l].cx) << which;
            EXPECT_EQ(size.cy, sizes[l].cy) << which;
            for (int i = 0; i < kStandardImageCount; ++i) {
                const Pixels image = DrawListImage(lists[l], i);
                EXPECT_GT(InkedPixels(image), size.cx * size.cy / 20)
                    << which << " image " << i << " is (nearly) empty, hiRes " << hiRes;
                // The picture of icon resource i of the table: the order holds.
                EXPECT_EQ(NearestIcon(image, kExpectedImageIcons, size), kExpectedImageIcons[i])
                    << which << " image " << i << ", hiRes " << hiRes;
            }
        }
    }
}

TEST_F(IconCacheTest, OverlaysMarkTheLowerLeftCorner) {
    ShellIconCache cache;
    for (HIMAGELIST list : {cache.LargeList(), cache.SmallList()}) {
        const SIZE size = ListIconSize(list);
        const Pixels plain = DrawListImage(list, kImageDocument);
        for (int overlay : {kOverlayShortcut, kOverlayInRom, kOverlayShortcutInRom}) {
            const Pixels marked = DrawListImage(list, kImageDocument, ILD_NORMAL | INDEXTOOVERLAYMASK(overlay));
            int lowerLeft = 0;
            int upperRight = 0;
            for (int y = 0; y < size.cy; ++y) {
                for (int x = 0; x < size.cx; ++x) {
                    const int i = y * size.cx + x;
                    if (marked[i] == plain[i]) continue;
                    if (x < size.cx / 2 && y >= size.cy / 2) ++lowerLeft;
                    if (x >= size.cx / 2 && y < size.cy / 2) ++upperRight;
                }
            }
            EXPECT_GT(lowerLeft, size.cx * size.cy / 32) << "overlay " << overlay << " at " << size.cx;
            EXPECT_EQ(upperRight, 0) << "overlay " << overlay << " at " << size.cx;
        }
    }
}

TEST_F(IconCacheTest, EveryKindOfFileGetsItsImage) {
    IconFiles files;
    RegisteredClasses classes;
    ASSERT_TRUE(classes.SetText(L".txt", L"Pebblora.Text"));
    ASSERT_TRUE(classes.SetText(L"Pebblora.Text", L"Text Document"));
    ASSERT_TRUE(classes.SetText(L"Pebblora.Text\\DefaultIcon", L"\"" + files.iconFile + L"\",0"));
    ASSERT_TRUE(classes.SetText(L".pbtn", L"Pebblora.Undescribed"));
    ASSERT_TRUE(classes.SetText(L".pbtm", L"Pebblora.Missing"));
    ASSERT_TRUE(classes.SetText(L"Pebblora.Missing\\DefaultIcon", L"\\nowhere\\none.ico,0"));
    ShellIconCache cache;
    const std::wstring f = files.folder.Path() + L"\\";
    struct Case {
        std::wstring path;
        DWORD attributes;
        DWORD flags;
        int expected;  // kOwnImage: an image of its own
    };
    const Case cases[] = {
        /* 0 */ {f + L"game.exe", FILE_ATTRIBUTE_NORMAL, kIconsFromAll, kOwnImage},
        /* 1 */ {f + L"game.exe", FILE_ATTRIBUTE_NORMAL, kIconsFromIconFiles | kIconsFromTypes, kImageProgram},
        /* 2 */ {f + L"tool.exe", FILE_ATTRIBUTE_NORMAL, kIconsFromAll, kImageProgram},
        /* 3 */ {f + L"broken.exe", 0, kIconsFromAll, kImageProgram},
        /* 4 */ {f + L"pebble.ico", 0, kIconsFromAll, kOwnImage},
        /* 5 */ {f + L"pebble.ico", 0, kIconsFromPrograms | kIconsFromTypes, kImageDocument},
        /* 6 */ {f + L"pebble.ic2", 0, kIconsFromIconFiles, kOwnImage},
        /* 7 */ {f + L"empty.ico", 0, kIconsFromAll, kImageDocument},
        /* 8 */ {f + L"text.ico", 0, kIconsFromAll, kImageDocument},
        /* 9 */ {f + L"report.TXT", 0, kIconsFromAll, kOwnImage},
        /* 10 */ {f + L"report.TXT", 0, kIconsFromPrograms | kIconsFromIconFiles, kImageDocument},
        /* 11 */ {f + L"notes.abc", 0, kIconsFromAll, kImageDocument},
        /* 12 */ {f + L"README", 0, kIconsFromAll, kImageDocument},
        /* 13 */ {f + L"x.pbtn", 0, kIconsFromAll, kImageDocument},
        /* 14 */ {f + L"x.pbtm", 0, kIconsFromAll, kImageDocument},
        /* 15 */ {f + L"Skins.exe", FILE_ATTRIBUTE_DIRECTORY, kIconsFromAll, kImageFolder},
        /* 16 */ {f + L"game.exe", INVALID_FILE_ATTRIBUTES, kIconsFromAll, kOwnImage},
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        const Case& c = cases[i];
        const int image = GetFileIconIndex(cache, c.path.c_str(), c.attributes, c.flags);
        if (c.expected == kOwnImage) {
            EXPECT_GE(image, kStandardImageCount) << "case " << i;
        } else {
            EXPECT_EQ(image, c.expected) << "case " << i;
        }
    }

    // Files of one type share the type's image; the picture is the type's icon.
    const int report = GetFileIconIndex(cache, (f + L"report.TXT").c_str(), 0, kIconsFromAll);
    EXPECT_EQ(GetFileIconIndex(cache, L"\\elsewhere\\other.txt", 0, kIconsFromAll), report);
    const int pebble = GetFileIconIndex(cache, files.iconFile.c_str(), 0, kIconsFromAll);
    EXPECT_NE(report, pebble) << "a type and an icon file are separate sources";
    const int game = GetFileIconIndex(cache, files.withIcon.c_str(), 0, kIconsFromAll);
    const int candidates[] = {IDI_APP, IDI_MEMORY, IDI_SHELL_DOCUMENT, IDI_SHELL_PROGRAM};
    for (HIMAGELIST list : {cache.LargeList(), cache.SmallList()}) {
        const Pixels fromIconFile = DrawListImage(list, pebble);
        EXPECT_EQ(NearestIcon(fromIconFile, candidates, ListIconSize(list)), IDI_APP);
        for (int image : {report, game}) {
            EXPECT_LT(DifferentShare(DrawListImage(list, image), fromIconFile), 0.02) << "image " << image;
        }
    }
    EXPECT_EQ(ImageList_GetImageCount(cache.LargeList()), ImageList_GetImageCount(cache.SmallList()));
}

TEST_F(IconCacheTest, SecondCallIsServedFromTheCacheWithoutTheFile) {
    IconFiles files;
    ShellIconCache cache;
    const int first = GetFileIconIndex(cache, files.withIcon.c_str(), 0, kIconsFromAll);
    ASSERT_GE(first, kStandardImageCount);
    const int count = ImageList_GetImageCount(cache.LargeList());
    ASSERT_TRUE(DeleteFileW(files.withIcon.c_str())) << "the icon's file is still held open";

    // Paths are lowered before they become keys: any case is the same source.
    std::wstring upper = files.withIcon;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    for (const std::wstring& path : {files.withIcon, upper}) {
        EXPECT_EQ(GetFileIconIndex(cache, path.c_str(), 0, kIconsFromAll), first) << Narrow(path);
    }
    EXPECT_EQ(ImageList_GetImageCount(cache.LargeList()), count);
    EXPECT_EQ(ImageList_GetImageCount(cache.SmallList()), count);

    // Without a file behind it, a program that was never cached is a plain program.
    EXPECT_EQ(GetFileIconIndex(cache, (files.folder / L"gone.exe").c_str(), 0, kIconsFromAll), kImageProgram);
}

TEST_F(IconCacheTest, LockedFileGivesTheStandardImageUntilItOpens) {
    IconFiles files;
    ShellIconCache cache;
    HANDLE lock = CreateFileW(files.withIcon.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetFileIconIndex(cache, files.withIcon.c_str(), 0, kIconsFromAll), kImageProgram);
    EXPECT_EQ(ImageList_GetImageCount(cache.LargeList()), kStandardImageCount);
    CloseHandle(lock);
    // The failure was not remembered.
    EXPECT_GE(GetFileIconIndex(cache, files.withIcon.c_str(), 0, kIconsFromAll), kStandardImageCount);
}

TEST_F(IconCacheTest, AddIconFromFileFallsBackToACopy) {
    IconFiles files;
    ShellIconCache cache;
    EXPECT_EQ(AddIconFromFile(cache, L"plain", files.withoutIcon.c_str(), 0, nullptr), -1);
    EXPECT_EQ(ImageList_GetImageCount(cache.LargeList()), kStandardImageCount) << "a failure added an image";

    HICON fallback = static_cast<HICON>(LoadImageW(AppInstance, MAKEINTRESOURCEW(IDI_MEMORY), IMAGE_ICON, 48, 48, 0));
    ASSERT_NE(fallback, nullptr);
    const int image = AddIconFromFile(cache, L"with fallback", files.withoutIcon.c_str(), 0, fallback);
    ASSERT_GE(image, kStandardImageCount);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(fallback, &info)) << "the caller's fallback icon was destroyed";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(fallback);
    const int candidates[] = {IDI_APP, IDI_MEMORY, IDI_BATTERY, IDI_SHELL_DOCUMENT, IDI_SHELL_PROGRAM};
    for (HIMAGELIST list : {cache.LargeList(), cache.SmallList()}) {
        EXPECT_EQ(NearestIcon(DrawListImage(list, image), candidates, ListIconSize(list)), IDI_MEMORY);
    }
    // Keys are exact: another spelling is another source.
    EXPECT_EQ(AddIconFromFile(cache, L"with fallback", L"\\nowhere.exe", 0, nullptr), image);
    EXPECT_EQ(AddIconFromFile(cache, L"With Fallback", L"\\nowhere.exe", 0, nullptr), -1);

    // A negative number names the icon resource by its id.
    const int memory = AddIconFromFile(cache, L"by id", files.withIcon.c_str(), -IDI_MEMORY, nullptr);
    ASSERT_GE(memory, kStandardImageCount);
    EXPECT_EQ(NearestIcon(DrawListImage(cache.LargeList(), memory), candidates, ListIconSize(cache.LargeList())),
              IDI_MEMORY);
}

TEST_F(IconCacheTest, HighDensityLibrariesHaveATwinNamedAfterTheDensity) {
    IconFiles files;
    const std::wstring library = files.folder / L"lib.dll";
    ASSERT_TRUE(CopyFileW(files.withoutIcon.c_str(), library.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(OwnExecutable().c_str(), (files.folder / L"lib.192.dll").c_str(), FALSE));
    ShellIconCache cache;
    struct Case {
        bool hiRes;
        int dpi;
        bool found;
    };
    const Case cases[] = {
        /* 0 */ {true, 192, true},
        /* 1 */ {false, 192, false},  // only high density looks for the twin
        /* 2 */ {true, 131, false},   // no twin for this density: the library itself
    };
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i) {
        HiRes = cases[i].hiRes;
        ScreenDpiX = cases[i].dpi;
        const std::wstring key = L"lib case " + std::to_wstring(i);
        const int image = AddIconFromFile(cache, key.c_str(), library.c_str(), 0, nullptr);
        EXPECT_EQ(image >= kStandardImageCount, cases[i].found) << "case " << i << ": image " << image;
    }
}
